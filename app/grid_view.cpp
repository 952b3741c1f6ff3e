#include "grid_view.h"

#include "byte_selection.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace kestrel {

namespace {

constexpr int TextInset = 2;

// The cell rectangle inside its section: the grid lines take the last column and row of pixels.
QRect cellRect(const QRect& section, bool verticalLine, bool horizontalLine)
{
    return section.adjusted(0, 0, verticalLine ? -1 : 0, horizontalLine ? -1 : 0);
}

void drawLines(QPainter& p, const QRect& section, bool vertical, bool horizontal,
               const QColor& color)
{
    p.setPen(color);
    if (vertical)
        p.drawLine(section.topRight(), section.bottomRight());
    if (horizontal)
        p.drawLine(section.bottomLeft(), section.bottomRight());
}

} // namespace

GridHeader::GridHeader(Qt::Orientation orientation, bool showText, QWidget* parent)
    : QHeaderView(orientation, parent), m_showText(showText)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    setSectionResizeMode(QHeaderView::Fixed);
}

void GridHeader::setLines(bool vertical, bool horizontal)
{
    m_verticalLines = vertical;
    m_horizontalLines = horizontal;
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    const QRect cell = cellRect(rect, m_verticalLines, m_horizontalLines);
    painter->save();
    painter->fillRect(cell, GridFixedColor);
    // Raised edge of a fixed cell.
    painter->setPen(Qt::white);
    if (m_horizontalLines)
        painter->drawLine(cell.topLeft(), cell.topRight());
    if (m_verticalLines)
        painter->drawLine(cell.topLeft(), cell.bottomLeft());
    drawLines(*painter, rect, m_verticalLines, m_horizontalLines, Qt::black);
    if (m_showText && model() != nullptr) {
        const QString text = model()->headerData(logicalIndex, orientation()).toString();
        const bool corner = m_cornerText && m_cornerText(logicalIndex);
        // Text at the very corner: the cell is filled again, raised edge included.
        if (corner)
            painter->fillRect(cell, GridFixedColor);
        painter->setPen(m_textColor);
        painter->setFont(font());
        painter->drawText(corner ? cell : cell.adjusted(TextInset, TextInset, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
    painter->restore();
}

GridCellDelegate::GridCellDelegate(int textRole, int markRole, bool verticalLines, QObject* parent)
    : QStyledItemDelegate(parent), m_textRole(textRole), m_markRole(markRole),
      m_verticalLines(verticalLines)
{
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    const QRect cell = cellRect(option.rect, m_verticalLines, true);
    // Every selected byte is drawn selected, the cursor's included; the cursor's frame tells it.
    const bool focused = option.state.testFlag(QStyle::State_HasFocus);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    // A difference stays in sight under the selection.
    const bool marked = index.data(m_markRole).toBool();
    const bool highlighted = selected && !marked;

    painter->save();
    CellCanvas canvas{*painter,
                      marked        ? GridMarkColor
                      : highlighted ? option.palette.color(QPalette::Highlight)
                                    : GridCellColor,
                      highlighted ? option.palette.color(QPalette::HighlightedText) : m_textColor};
    painter->fillRect(cell, canvas.brush);
    if (marked && selected) {
        painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
        painter->drawRect(cell.adjusted(1, 1, -1, -1));
    }
    drawLines(*painter, option.rect, m_verticalLines, true, GridLineColor);

    QString text = index.data(m_textRole).toString();
    // Codes without a visible character draw blank.
    if (text.size() == 1 && (!text.at(0).isPrint() || text.at(0) == QChar::ReplacementCharacter))
        text.clear();
    painter->setFont(option.font);
    painter->setPen(canvas.textColor);
    painter->drawText(cell.adjusted(TextInset, TextInset, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    if (m_hook)
        m_hook(canvas, index, cell);
    // The focus frame last, over whatever the hook drew; only on a selected cell: once the cursor
    // has left the grid (typed past the last row) the current cell shows none.
    if (focused && option.state.testFlag(QStyle::State_Selected)) {
        QPen dotted(canvas.textColor, 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    setShowGrid(false);
    setWordWrap(false);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { emit topRowChanged(value + 1); });
}

int GridView::topRow() const
{
    return verticalScrollBar()->value() + 1;
}

void GridView::setTopRow(int row)
{
    verticalScrollBar()->setValue(row - 1);
}

int GridView::visibleRows() const
{
    const int rowHeight = verticalHeader()->defaultSectionSize();
    return rowHeight > 0 ? viewport()->height() / rowHeight : 0;
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (!tab && !text.isEmpty()) {
        // Text of several characters at once is no key press; it never searches the cells.
        if (text.size() == 1) {
            emit keyPress(text.at(0));
            const Qt::KeyboardModifiers mods = event->modifiers();
            if (mods.testFlag(Qt::ControlModifier) == mods.testFlag(Qt::AltModifier))
                emit textTyped(text.at(0));
        }
        event->accept();
        return;
    }
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    if (m_selection && (extend || currentIndex() != before))
        m_selection->moveTo(currentIndex(), extend);
}

QModelIndex GridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (m_selection && current.isValid() && model() != nullptr) {
        const int lastColumn = model()->columnCount() - 1;
        if (action == MoveRight && current.column() == lastColumn &&
            current.row() + 1 < model()->rowCount())
            return model()->index(current.row() + 1, 0);
        if (action == MoveLeft && current.column() == 0 && current.row() > 0)
            return model()->index(current.row() - 1, lastColumn);
    }
    return QTableView::moveCursor(action, modifiers);
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    if (m_selection && event->button() == Qt::LeftButton &&
        indexAt(event->position().toPoint()).isValid())
        m_selection->moveTo(currentIndex(), event->modifiers().testFlag(Qt::ShiftModifier));
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    QTableView::mouseMoveEvent(event);
    if (m_selection && event->buttons().testFlag(Qt::LeftButton) &&
        indexAt(event->position().toPoint()).isValid())
        m_selection->moveTo(currentIndex(), true);
}

} // namespace kestrel

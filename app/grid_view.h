#pragma once

#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

namespace kestrel {

// The canvas state a cell was drawn with; a cell hook may draw over the cell with it.
struct CellCanvas
{
    QPainter& painter;
    QColor brush;     // the colour the cell was filled with
    QColor textColor; // the colour its text was drawn with
};

// Header row or address column: yellow cells, text 2 pixels in from the top-left corner.
class GridHeader : public QHeaderView
{
    Q_OBJECT
public:
    GridHeader(Qt::Orientation orientation, bool showText, QWidget* parent = nullptr);

    void setTextColor(const QColor& color) { m_textColor = color; }
    void setLines(bool vertical, bool horizontal);
    // Sections whose text sits at the very corner of the cell instead of 2 pixels in.
    void setCornerText(std::function<bool(int section)> rule) { m_cornerText = std::move(rule); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    std::function<bool(int)> m_cornerText;
    bool m_showText;
    bool m_verticalLines = true;
    bool m_horizontalLines = true;
    QColor m_textColor;
};

// Data cells: aqua, the text of one model role 2 pixels in from the top-left corner, 1-pixel
// grid lines at the right and bottom edges as configured. A cell whose mark role is true is
// light red, selected or not; a selected marked cell is framed in the selection colour.
class GridCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using DrawHook = std::function<void(CellCanvas&, const QModelIndex&, const QRect&)>;

    GridCellDelegate(int textRole, int markRole, bool verticalLines, QObject* parent = nullptr);

    void setTextColor(const QColor& color) { m_textColor = color; }
    // Runs after a cell has been drawn the ordinary way, with the cell's rectangle (grid lines
    // excluded).
    void setDrawHook(DrawHook hook) { m_hook = std::move(hook); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    int m_textRole;
    int m_markRole;
    bool m_verticalLines;
    QColor m_textColor;
    DrawHook m_hook;
};

class ByteSelection;

// A string grid without scroll bars of its own. Its top row (1 = first data row) follows the
// keyboard and the mouse wheel and can be set from outside. Typed characters are reported and
// never move the current cell. With a byte selection set, a drag, Shift+click and Shift with the
// arrow keys select a run of bytes in address order.
class GridView : public QTableView
{
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    // The selection this grid shares with others; the grid does not own it.
    void setByteSelection(ByteSelection* selection) { m_selection = selection; }

    [[nodiscard]] int topRow() const;
    // Scrolls so that `row` is the first data row shown; clamped to what the grid can show.
    void setTopRow(int row);
    // Number of data rows shown whole.
    [[nodiscard]] int visibleRows() const;

signals:
    void topRowChanged(int row);
    void keyPress(QChar key);
    // The same key when it types a character: not with Ctrl or Alt alone, which make commands
    // (both together are AltGr on some systems).
    void textTyped(QChar key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Left and right go on over the row's end, as through the bytes of the image.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    ByteSelection* m_selection = nullptr;
};

// The fixed look of both grids.
inline constexpr int GridRowHeight = 22; // cell height, without the grid line
inline const QColor GridCellColor{0, 255, 255};
inline const QColor GridFixedColor{255, 255, 0};
inline const QColor GridLineColor{192, 192, 192};
inline const QColor GridMarkColor{255, 160, 160}; // a byte that differs from the chip

} // namespace kestrel

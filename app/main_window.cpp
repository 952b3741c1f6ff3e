#include "main_window.h"

#include "chip_table.h"
#include "hex_entry.h"
#include "image_commands.h"
#include "port_selector.h"
#include "transfer_dispatch.h"
#include "widget_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

static void initResources()
{
    Q_INIT_RESOURCE(kestrel_app);
}

namespace kestrel {

namespace {

const QColor WindowColor{128, 191, 191}; // 12566400 as 0x00BBGGRR
constexpr TColor WindowTColor = 12566400;
const QColor StatusBarColor{192, 192, 192}; // silver
constexpr int ClientWidth = 680;
constexpr int ClientHeight = 479; // below the menu bar, status bar included
constexpr int StatusBarHeight = 25;
constexpr int HexAddressWidth = 40;
constexpr int HexColumnWidths[16] = {25, 25, 25, 24, 25, 25, 24, 25,
                                     25, 25, 25, 25, 25, 24, 24, 24};
constexpr int CharColumnWidth = 10;
constexpr int VisibleDataRows = 13;

QFont sansFont(int pointSize, int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Liberation Sans"),
                      QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
    font.setStyleHint(QFont::SansSerif);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    else
        font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

QFont gridFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Bookman Old Style"), QStringLiteral("URW Bookman"),
                      QStringLiteral("URW Bookman L"), QStringLiteral("TeX Gyre Bonum"),
                      QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

QToolButton* speedButton(QWidget* parent, const char* name, int left, const QString& hint,
                         const QString& icon, int iconSize)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 3, 28, 28);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(hint);
    button->setIcon(QIcon(icon));
    button->setIconSize(QSize(iconSize, iconSize));
    return button;
}

// A selector turned by the mouse wheel only while it has the keyboard focus: a wheel over the
// chip selector would otherwise replace the image by a stray turn.
class WheelNeedsFocus : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Wheel && !static_cast<QWidget*>(watched)->hasFocus()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

QFrame* separatorBar(QWidget* parent, const char* name, int left)
{
    auto* bar = new QFrame(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bar->setLineWidth(1);
    bar->setGeometry(left, 3, 2, 28);
    return bar;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    initResources();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("KESTREL v1.0"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrel.svg")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(sansFont(8, 0, false));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, WindowColor);
    windowPalette.setColor(QPalette::WindowText, Qt::black);
    setPalette(windowPalette);

    m_model = new EepromModel(m_image, this);
    m_widgetDialogs = std::make_unique<WidgetDialogs>(this);
    m_dialogs = m_widgetDialogs.get();
    m_transfers = new TransferDispatch(*this);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    createControls(client);
    createMenu();
    createStatusBar();

    // Initial state: the layout of chip entry 0, every byte 0xFF.
    m_image.EepromSize = ChipTable[0].EepromSize;
    m_image.EepromBase = ChipTable[0].EepromBase;
    m_image.fillFF(1, 512);
    m_model->syncLayout();
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    ScrollBar1->setMaximum(m_image.rows() - 12);
    StringGrid1->setCurrentIndex(m_model->index(0, 0));
    StringGrid2->setCurrentIndex(m_model->index(0, 0));

    connectHandlers();

    setTabOrder(StringGrid1, StringGrid2);
    setTabOrder(StringGrid2, ScrollBar1);
    setTabOrder(ScrollBar1, ComboBox1);
    setTabOrder(ComboBox1, ComboBox2);
    StringGrid1->setFocus();

    // A file dropped on the window is loaded.
    setAcceptDrops(true);

    resize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
    move(79, 47);
}

TForm1::~TForm1() = default;

void TForm1::createControls(QWidget* client)
{
    CGauge1 = new TCGauge(client);
    CGauge1->setObjectName(QStringLiteral("CGauge1"));
    CGauge1->setGeometry(8, 424, 657, 20);
    CGauge1->SetBackColor(WindowTColor);

    GroupBox1 = new QGroupBox(QStringLiteral("BUFOR"), client);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 48, 660, 369);
    GroupBox1->setFont(sansFont(0, 13, true));
    QPalette groupPalette = GroupBox1->palette();
    groupPalette.setColor(QPalette::WindowText, Qt::red);
    GroupBox1->setPalette(groupPalette);

    Label1 = new QLabel(QStringLiteral("Plik"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 350, 27, 16);

    StringGrid1 = new GridView(GroupBox1);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(12, 22, 455, 325);
    setUpGrid(*StringGrid1, true);

    StringGrid2 = new GridView(GroupBox1);
    StringGrid2->setObjectName(QStringLiteral("StringGrid2"));
    StringGrid2->setGeometry(464, 22, 164, 325);
    setUpGrid(*StringGrid2, false);

    ScrollBar1 = new QScrollBar(Qt::Vertical, GroupBox1);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->setGeometry(630, 22, 16, 325);
    ScrollBar1->setMinimum(1);
    ScrollBar1->setValue(1);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(1);
    ScrollBar1->setFocusPolicy(Qt::StrongFocus);

    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(6, 8, 659, 34);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    SpeedButton1 = speedButton(Panel1, "SpeedButton1", 8, QStringLiteral("Wczytaj do bufora"),
                               QStringLiteral(":/icons/open.svg"), 18);
    SpeedButton2 = speedButton(Panel1, "SpeedButton2", 40, QStringLiteral("Zapisz bufor"),
                               QStringLiteral(":/icons/save.svg"), 18);
    SpeedButton3 = speedButton(Panel1, "SpeedButton3", 72, QStringLiteral("Wypełnij bufor FF"),
                               QStringLiteral(":/icons/fill.svg"), 24);
    Panel3 = separatorBar(Panel1, "Panel3", 112);
    SpeedButton5 = speedButton(Panel1, "SpeedButton5", 128, QStringLiteral("Programuj EEPROM"),
                               QStringLiteral(":/icons/program.svg"), 18);
    SpeedButton4 = speedButton(Panel1, "SpeedButton4", 160, QStringLiteral("Czytaj EEPROM"),
                               QStringLiteral(":/icons/read.svg"), 18);
    Panel2 = separatorBar(Panel1, "Panel2", 200);
    SpeedButton6 = speedButton(Panel1, "SpeedButton6", 216, QStringLiteral("Weryfikuj EEPROM"),
                               QStringLiteral(":/icons/verify.svg"), 18);
    Panel4 = separatorBar(Panel1, "Panel4", 440);

    ComboBox2 = new QComboBox(Panel1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setEditable(false);
    for (const ChipRow& chip : ChipTable)
        ComboBox2->addItem(QString::fromLatin1(chip.name));
    ComboBox2->setGeometry(456, 6, 105, 21);

    ComboBox1 = new PortSelector(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(568, 6, 65, 21);

    // Narrow selectors: keep the whole chip name visible beside the drop-down button.
    const QString narrow = QStringLiteral("QComboBox { padding: 0px 0px 0px 3px; }"
                                          "QComboBox::drop-down { width: 15px; }");
    ComboBox2->setStyleSheet(narrow);
    ComboBox1->setStyleSheet(narrow);
    auto* wheelFilter = new WheelNeedsFocus(this);
    for (QComboBox* selector : {ComboBox2, ComboBox1}) {
        selector->setFocusPolicy(Qt::StrongFocus);
        selector->installEventFilter(wheelFilter);
        // The drop-down list is wider than the selector: every name shows whole.
        selector->view()->setMinimumWidth(selector->view()->sizeHintForColumn(0) + 8);
    }
}

void TForm1::setUpGrid(GridView& grid, bool hexView)
{
    const QFont font = gridFont();
    const QColor textColor = hexView ? QColor(128, 0, 0) : QColor(255, 0, 0);
    const int rowSection = GridRowHeight + 1;

    auto* columns = new GridHeader(Qt::Horizontal, hexView, &grid);
    columns->setTextColor(textColor);
    columns->setLines(hexView, true);
    grid.setHorizontalHeader(columns);
    auto* rows = new GridHeader(Qt::Vertical, hexView, &grid);
    rows->setTextColor(textColor);
    rows->setLines(hexView, true);
    grid.setVerticalHeader(rows);

    auto* delegate =
        new GridCellDelegate(hexView ? int(Qt::DisplayRole) : int(EepromModel::CharTextRole),
                             EepromModel::MarkedRole, hexView, &grid);
    delegate->setTextColor(textColor);
    grid.setItemDelegate(delegate);
    grid.setFont(font);
    grid.setModel(m_model);

    // The header row takes what the 13 data rows leave of the grid's height.
    rows->setDefaultSectionSize(rowSection);
    columns->setFixedHeight(grid.height() - 2 * grid.frameWidth() - VisibleDataRows * rowSection);
    if (hexView) {
        rows->setFixedWidth(HexAddressWidth + 1);
        for (int c = 0; c < EepromModel::Columns; ++c)
            columns->resizeSection(c, HexColumnWidths[c] + 1);
        delegate->setDrawHook(
            [this](CellCanvas& canvas, const QModelIndex& index, const QRect& rect) {
                StringGrid1DrawCell(canvas, index.column() + 1, index.row() + 1, rect);
            });
        // The highlight rule's row 1 includes its address cell.
        rows->setCornerText(
            [this](int section) { return ChipIndex() == Chip68HC05 && section == 0; });
    } else {
        rows->hide();
        for (int c = 0; c < EepromModel::Columns; ++c)
            columns->resizeSection(c, CharColumnWidth);
    }
    QPalette gridPalette = grid.palette();
    gridPalette.setColor(QPalette::Base, GridCellColor);
    gridPalette.setColor(QPalette::Window, GridFixedColor);
    gridPalette.setColor(QPalette::Button, GridFixedColor);
    gridPalette.setColor(QPalette::Highlight, QColor(0, 0, 128));
    gridPalette.setColor(QPalette::HighlightedText, Qt::white);
    grid.setPalette(gridPalette);
}

void TForm1::createMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    Wczytajzdysku1 = MainMenu1->addMenu(QStringLiteral("BUFOR"));
    Wczytajzdysku1->setObjectName(QStringLiteral("Wczytajzdysku1"));
    Wczytajzdysku2 = Wczytajzdysku1->addAction(QStringLiteral("Wczytaj z dysku"));
    Wczytajzdysku2->setObjectName(QStringLiteral("Wczytajzdysku2"));
    Zapissznadysk1 = Wczytajzdysku1->addAction(QStringLiteral("Zapisz na dysk"));
    Zapissznadysk1->setObjectName(QStringLiteral("Zapissznadysk1"));
    Wczytajzdysku2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Zapissznadysk1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Wype1 = Wczytajzdysku1->addAction(QStringLiteral("Wypełnij FF"));
    Wype1->setObjectName(QStringLiteral("Wype1"));
    N1 = Wczytajzdysku1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));

    Pami1 = MainMenu1->addMenu(QStringLiteral("EEPROM"));
    Pami1->setObjectName(QStringLiteral("Pami1"));
    Czytaj1 = Pami1->addAction(QStringLiteral("Czytaj"));
    Czytaj1->setObjectName(QStringLiteral("Czytaj1"));
    Zapisz1 = Pami1->addAction(QStringLiteral("Zapisz"));
    Zapisz1->setObjectName(QStringLiteral("Zapisz1"));
    Weryfikuj1 = Pami1->addAction(QStringLiteral("Weryfikuj"));
    Weryfikuj1->setObjectName(QStringLiteral("Weryfikuj1"));
    ZapiszWeryfikuj1 = Pami1->addAction(QStringLiteral("Zapisz i weryfikuj"));
    ZapiszWeryfikuj1->setObjectName(QStringLiteral("ZapiszWeryfikuj1"));
}

void TForm1::createStatusBar()
{
    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(StatusBarHeight);
    StatusBar1->setSizeGripEnabled(true);
    StatusBar1->setAutoFillBackground(true);
    StatusBar1->setFont(sansFont(8, 0, false));
    QPalette barPalette = StatusBar1->palette();
    barPalette.setColor(QPalette::Window, StatusBarColor);
    StatusBar1->setPalette(barPalette);

    const QString texts[3] = {QStringLiteral("COM1"), QStringLiteral("12800"),
                              QStringLiteral("-----Oczekiwanie-----")};
    const int widths[3] = {80, 50, 0};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(texts[i], StatusBar1);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        if (widths[i] > 0)
            panel->setFixedWidth(widths[i]);
        StatusBar1->addWidget(panel, widths[i] > 0 ? 0 : 1);
        m_statusPanels[i] = panel;
    }
}

void TForm1::connectHandlers()
{
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm1::SpeedButton6Click);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm1::ComboBox2Change);
    connect(ComboBox1, &QComboBox::currentTextChanged, m_statusPanels[0], &QLabel::setText);
    // A name chosen from the list shows from its start in the narrow field ("SYMULATOR").
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { ComboBox1->lineEdit()->setCursorPosition(0); });
    connect(Wczytajzdysku2, &QAction::triggered, this, &TForm1::Wczytajzdysku2Click);
    connect(Zapissznadysk1, &QAction::triggered, this, &TForm1::Zapissznadysk1Click);
    connect(Wype1, &QAction::triggered, this, &TForm1::Wype1Click);
    connect(Czytaj1, &QAction::triggered, this, &TForm1::Czytaj1Click);
    connect(Zapisz1, &QAction::triggered, this, &TForm1::Zapisz1Click);
    connect(Weryfikuj1, &QAction::triggered, this, &TForm1::Weryfikuj1Click);
    connect(ZapiszWeryfikuj1, &QAction::triggered, this, &TForm1::ZapiszWeryfikuj1Click);
    connect(StringGrid1, &GridView::keyPress, this, &TForm1::StringGrid1KeyPress);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || m_quietSelection)
                    return;
                bool canSelect = true;
                StringGrid1SelectCell(current.column() + 1, current.row() + 1, canSelect);
            });
    // A click on a cell always starts a new byte there, the current cell included: a pending
    // first digit is dropped, and the cursor comes back if it had left the cell (typed past the
    // last row, or its row went away with a chip change).
    connect(StringGrid1, &GridView::pressed, this, [this](const QModelIndex& cell) {
        if (!cell.isValid())
            return;
        bool canSelect = true;
        StringGrid1SelectCell(cell.column() + 1, cell.row() + 1, canSelect);
    });
    connect(StringGrid1, &GridView::topRowChanged, this, &TForm1::StringGrid1TopLeftChanged);
    connect(StringGrid2, &GridView::topRowChanged, this, &TForm1::StringGrid2TopLeftChanged);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
}

int TForm1::ChipIndex() const
{
    return ComboBox2->currentIndex();
}

void TForm1::refreshGrids()
{
    m_model->refresh();
}

void TForm1::refreshEntry(int entry)
{
    m_model->refreshEntry(entry);
}

void TForm1::markDifferences(const std::vector<int>& offsets)
{
    std::vector<int> entries;
    entries.reserve(offsets.size());
    for (const int offset : offsets)
        entries.push_back(offset + 1);
    m_model->setMarkedEntries(entries);
    if (entries.empty())
        return;
    // The first marked row comes into view; the scroll chain takes both grids along.
    const int row = (entries.front() - 1) / EepromModel::Columns + 1;
    const int top = StringGrid1->topRow();
    if (row < top || row >= top + StringGrid1->visibleRows())
        ScrollBar1->setValue(row);
}

void TForm1::selectHexCellQuietly(int ACol, int ARow)
{
    const QModelIndex cell = m_model->index(ARow - 1, ACol - 1);
    m_quietSelection = true;
    // A new current cell would otherwise scroll the grid to show it.
    const bool autoScroll = StringGrid1->hasAutoScroll();
    StringGrid1->setAutoScroll(false);
    if (cell.isValid())
        StringGrid1->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    else
        StringGrid1->selectionModel()->clearSelection();
    StringGrid1->setAutoScroll(autoScroll);
    m_quietSelection = false;
}

void TForm1::setTransferActive(bool active)
{
    m_transferActive = active;
    Panel1->setEnabled(!active);
    for (QAction* command : {Wczytajzdysku2, Wype1, Czytaj1, Zapisz1, Weryfikuj1, ZapiszWeryfikuj1})
        command->setEnabled(!active);
}

void TForm1::setStatusText(const QString& text)
{
    m_statusPanels[2]->setText(text);
    emit statusTextChanged(text);
}

QString TForm1::statusText() const
{
    return m_statusPanels[2]->text();
}

QString TForm1::statusPanelText(int index) const
{
    return index >= 0 && index < 3 ? m_statusPanels[index]->text() : QString();
}

void TForm1::setFileLabel(const QString& text)
{
    Label1->setText(text);
    Label1->adjustSize();
}

void TForm1::setDialogs(UserDialogs* dialogs)
{
    m_dialogs = dialogs ? dialogs : m_widgetDialogs.get();
}

void TForm1::loadImage()
{
    runLoad([this] { return loadImageCommand(m_image, *m_dialogs); });
}

void TForm1::loadImageFrom(const QString& path)
{
    runLoad([this, &path] { return loadImagePath(m_image, *m_dialogs, path); });
}

void TForm1::runLoad(const std::function<LoadCommandResult()>& load)
{
    // The buffer belongs to a running transfer, or to the load already under way.
    if (m_transferActive || m_loading)
        return;
    m_loading = true;
    const LoadCommandResult result = load();
    m_loading = false;
    showLoaded(result);
}

void TForm1::showLoaded(const LoadCommandResult& result)
{
    if (result.outcome != LoadOutcome::Loaded)
        return;
    setFileLabel(result.path);
    refreshGrids();
    if (!result.notice.isEmpty())
        m_dialogs->showMessage(result.notice);
}

namespace {

// The one local file a drag carries, or nothing.
QString droppedFile(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 ||
        !mime->urls().front().isLocalFile())
        return {};
    return mime->urls().front().toLocalFile();
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (!m_transferActive && !m_loading && !droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (m_transferActive || m_loading || path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Loaded once the drop has returned: its messages must not hold up the dragging program.
    QMetaObject::invokeMethod(
        this, [this, path] { loadImageFrom(path); }, Qt::QueuedConnection);
}

void TForm1::saveImage()
{
    [[maybe_unused]] const SaveCommandResult result = saveImageCommand(m_image, *m_dialogs);
}

void TForm1::ComboBox2Change()
{
    const int index = ChipIndex();
    if (index >= 0 && index < ChipCount) {
        m_image.EepromSize = ChipTable[static_cast<std::size_t>(index)].EepromSize;
        m_image.EepromBase = ChipTable[static_cast<std::size_t>(index)].EepromBase;
    } else {
        m_image.EepromBase = 0x0000;
    }
    ScrollBar1->setMaximum(m_image.rows() - 12);
    m_image.fillFF(1, EepromLastEntry);
    // Rows going away may move the grid's current cell; that is no selection by the user.
    m_quietSelection = true;
    m_model->syncLayout();
    m_quietSelection = false;
    StringGrid1->doItemsLayout();
    StringGrid2->doItemsLayout();
}

void TForm1::Wype1Click()
{
    m_image.fillFF(1, std::max(512, m_image.EepromSize));
    refreshGrids();
}

void TForm1::SpeedButton3Click()
{
    m_image.fillFF(1, EepromLastEntry);
    refreshGrids();
}

void TForm1::StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect)
{
    m_image.CursorCol = ACol;
    m_image.CursorRow = ARow;
    m_image.NibbleCount = 0;
    CanSelect = true;
}

void TForm1::StringGrid1DrawCell(CellCanvas& canvas, int ACol, int ARow, const QRect& Rect)
{
    if (ChipIndex() != Chip68HC05 || ARow != 1)
        return;
    if (ACol == 1)
        canvas.brush = QColor(255, 0, 0);
    canvas.painter.fillRect(Rect, canvas.brush);
    const QString text = StringGrid1->model()->index(ARow - 1, ACol - 1).data().toString();
    canvas.painter.setPen(canvas.textColor);
    canvas.painter.drawText(Rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void TForm1::ScrollBar1Change()
{
    StringGrid1->setTopRow(ScrollBar1->value());
    StringGrid2->setTopRow(ScrollBar1->value());
}

void TForm1::StringGrid1TopLeftChanged()
{
    ScrollBar1->setValue(StringGrid1->topRow());
}

void TForm1::StringGrid2TopLeftChanged()
{
    ScrollBar1->setValue(StringGrid2->topRow());
}

void TForm1::SpeedButton1Click()
{
    loadImage();
}

void TForm1::SpeedButton2Click()
{
    saveImage();
}

void TForm1::Wczytajzdysku2Click()
{
    loadImage();
}

void TForm1::Zapissznadysk1Click()
{
    saveImage();
}

void TForm1::SpeedButton4Click()
{
    m_transfers->startRead();
}

void TForm1::SpeedButton5Click()
{
    m_transfers->startProgram();
}

void TForm1::Czytaj1Click()
{
    m_transfers->startRead();
}

void TForm1::Zapisz1Click()
{
    m_transfers->startProgram();
}

void TForm1::SpeedButton6Click()
{
    m_transfers->startVerify();
}

void TForm1::Weryfikuj1Click()
{
    m_transfers->startVerify();
}

void TForm1::ZapiszWeryfikuj1Click()
{
    m_transfers->startProgramVerify();
}

void TForm1::StringGrid1KeyPress(QChar key)
{
    // The buffer belongs to a running transfer.
    if (m_transferActive)
        return;
    const HexKeyEffect effect = applyHexKeyText(m_image, QStringView(&key, 1),
                                                StringGrid1->topRow(), m_model->rowCount() + 1);
    if (!effect.changed())
        return;
    refreshEntry(effect.changedEntry);
    // The scroll chain takes the scroll bar and the character grid along.
    if (effect.newTopRow)
        StringGrid1->setTopRow(*effect.newTopRow);
    if (effect.selectionMoved)
        selectHexCellQuietly(effect.selectCol, effect.selectRow);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_transfers->running()) {
        if (!m_dialogs->askOkCancel(
                QStringLiteral("Trwa operacja na EEPROM. Przerwać ją i zamknąć program ?"))) {
            event->ignore();
            return;
        }
        // The worker stops at its next frame boundary, ends the session and closes the port.
        if (!m_transfers->stopAndWait(900))
            (void)m_transfers->waitFinished(5000);
    }
    event->accept();
}

} // namespace kestrel

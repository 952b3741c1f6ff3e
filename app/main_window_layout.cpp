// The window's construction: its controls, menus, status bar and the handlers' wiring.

#include "main_window.h"
#include "trace_panel.h"

#include "buffer_history.h"
#include "byte_selection.h"
#include "chip_table.h"
#include "editor_commands.h"
#include "hex_entry.h"
#include "image_commands.h"
#include "messages.h"
#include "port_selector.h"
#include "transfer_dispatch.h"
#include "widget_dialogs.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
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
    // A changed buffer shows as "KESTREL v1.0*".
    setWindowTitle(QStringLiteral("KESTREL v1.0[*]"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/kestrel.svg")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(sansFont(8, 0, false));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, WindowColor);
    windowPalette.setColor(QPalette::WindowText, Qt::black);
    setPalette(windowPalette);

    m_model = new EepromModel(m_image, this);
    m_history = new BufferHistory(*m_model, this);
    m_widgetDialogs = std::make_unique<WidgetDialogs>(this);
    m_dialogs = m_widgetDialogs.get();
    m_transfers = new TransferDispatch(*this);
    // After the dispatch, so that it goes after the dispatch's transfers have ended.
    m_tracePanel = new TracePanel([this]() -> UserDialogs& { return *m_dialogs; }, this);

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
    updateCursorPanel();

    setUpKeys();
    StringGrid1->setFocus();
    m_widgetDialogs->setFocusHome(StringGrid1);

    // A file dropped on the window is loaded.
    setAcceptDrops(true);

    resize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
    move(79, 47);
}

TForm1::~TForm1()
{
    // The grids, their selection and the model go after this window's own part: nothing they
    // signal while they go may reach it.
    disconnect(m_model, nullptr, this, nullptr);
    disconnect(StringGrid1->selectionModel(), nullptr, this, nullptr);
}

void TForm1::createControls(QWidget* client)
{
    CGauge1 = new TCGauge(client);
    CGauge1->setObjectName(QStringLiteral("CGauge1"));
    CGauge1->setGeometry(8, 424, 657, 20);
    CGauge1->SetBackColor(WindowTColor);

    createBufferGroup(client);
    createToolbar(client);
    setUpSelection();
    setUpSelectors();
}

void TForm1::createBufferGroup(QWidget* client)
{
    GroupBox1 = new QGroupBox(QCoreApplication::translate("app", "BUFOR"), client);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 48, 660, 369);
    GroupBox1->setFont(sansFont(0, 13, true));
    QPalette groupPalette = GroupBox1->palette();
    groupPalette.setColor(QPalette::WindowText, Qt::red);
    GroupBox1->setPalette(groupPalette);

    Label1 = new QLabel(QCoreApplication::translate("app", "Plik"), GroupBox1);
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
}

void TForm1::createToolbar(QWidget* client)
{
    Panel1 = new QFrame(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(6, 8, 659, 34);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(1);

    SpeedButton1 = speedButton(Panel1, "SpeedButton1", 8,
                               QCoreApplication::translate("app", "Wczytaj do bufora"),
                               QStringLiteral(":/icons/open.svg"), 18);
    SpeedButton2 =
        speedButton(Panel1, "SpeedButton2", 40, QCoreApplication::translate("app", "Zapisz bufor"),
                    QStringLiteral(":/icons/save.svg"), 18);
    SpeedButton3 = speedButton(Panel1, "SpeedButton3", 72,
                               QCoreApplication::translate("app", "Wypełnij bufor FF"),
                               QStringLiteral(":/icons/fill.svg"), 24);
    Panel3 = separatorBar(Panel1, "Panel3", 112);
    SpeedButton5 = speedButton(Panel1, "SpeedButton5", 128,
                               QCoreApplication::translate("app", "Programuj EEPROM"),
                               QStringLiteral(":/icons/program.svg"), 18);
    SpeedButton4 = speedButton(Panel1, "SpeedButton4", 160,
                               QCoreApplication::translate("app", "Czytaj EEPROM"),
                               QStringLiteral(":/icons/read.svg"), 18);
    Panel2 = separatorBar(Panel1, "Panel2", 200);
    SpeedButton6 = speedButton(Panel1, "SpeedButton6", 216,
                               QCoreApplication::translate("app", "Weryfikuj EEPROM"),
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
}

void TForm1::setUpSelectors()
{
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

void TForm1::setUpSelection()
{
    // One selection model for both grids: one cursor, one selection.
    QItemSelectionModel* own = StringGrid2->selectionModel();
    StringGrid2->setSelectionModel(StringGrid1->selectionModel());
    delete own;
    m_selection = new ByteSelection(*StringGrid1->selectionModel(), this);
    StringGrid1->setByteSelection(m_selection);
    StringGrid2->setByteSelection(m_selection);
    m_editor = new EditorCommands(*this, *m_selection);
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

    Wczytajzdysku1 = MainMenu1->addMenu(QCoreApplication::translate("app", "BUFOR"));
    Wczytajzdysku1->setObjectName(QStringLiteral("Wczytajzdysku1"));
    Wczytajzdysku2 =
        Wczytajzdysku1->addAction(QCoreApplication::translate("app", "Wczytaj z dysku"));
    Wczytajzdysku2->setObjectName(QStringLiteral("Wczytajzdysku2"));
    Zapissznadysk1 =
        Wczytajzdysku1->addAction(QCoreApplication::translate("app", "Zapisz na dysk"));
    Zapissznadysk1->setObjectName(QStringLiteral("Zapissznadysk1"));
    Wczytajzdysku2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Zapissznadysk1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Wype1 = Wczytajzdysku1->addAction(QCoreApplication::translate("app", "Wypełnij FF"));
    Wype1->setObjectName(QStringLiteral("Wype1"));
    N1 = Wczytajzdysku1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    Cofnij1 = Wczytajzdysku1->addAction(QCoreApplication::translate("app", "Cofnij"));
    Cofnij1->setObjectName(QStringLiteral("Cofnij1"));
    Cofnij1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Ponow1 = Wczytajzdysku1->addAction(QCoreApplication::translate("app", "Ponów"));
    Ponow1->setObjectName(QStringLiteral("Ponow1"));
    Ponow1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    Cofnij1->setEnabled(false);
    Ponow1->setEnabled(false);

    Pami1 = MainMenu1->addMenu(QStringLiteral("EEPROM"));
    Pami1->setObjectName(QStringLiteral("Pami1"));
    Czytaj1 = Pami1->addAction(QCoreApplication::translate("app", "Czytaj"));
    Czytaj1->setObjectName(QStringLiteral("Czytaj1"));
    Zapisz1 = Pami1->addAction(
        QCoreApplication::translate("app", "Zapisz", "EEPROM menu: write the buffer to the chip"));
    Zapisz1->setObjectName(QStringLiteral("Zapisz1"));
    Weryfikuj1 = Pami1->addAction(QCoreApplication::translate("app", "Weryfikuj"));
    Weryfikuj1->setObjectName(QStringLiteral("Weryfikuj1"));
    ZapiszWeryfikuj1 = Pami1->addAction(QCoreApplication::translate("app", "Zapisz i weryfikuj"));
    ZapiszWeryfikuj1->setObjectName(QStringLiteral("ZapiszWeryfikuj1"));
    KopiaProgramujWeryfikuj1 =
        Pami1->addAction(QCoreApplication::translate("app", "Kopia, programowanie i weryfikacja"));
    KopiaProgramujWeryfikuj1->setObjectName(QStringLiteral("KopiaProgramujWeryfikuj1"));
    Pami1->addSeparator();
    TestAdaptera1 = Pami1->addAction(QCoreApplication::translate("app", "Test adaptera"));
    TestAdaptera1->setObjectName(QStringLiteral("TestAdaptera1"));
    DziennikTransmisji1 =
        Pami1->addAction(QCoreApplication::translate("app", "Dziennik transmisji"));
    DziennikTransmisji1->setObjectName(QStringLiteral("DziennikTransmisji1"));

    m_editor->addTo(*Wczytajzdysku1);
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

    const QString texts[4] = {QStringLiteral("COM1"), QStringLiteral("12800"),
                              link::statusIdle(), QString()};
    const int widths[4] = {80, 50, 0, 0};
    for (int i = 0; i < 4; ++i) {
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
    connect(KopiaProgramujWeryfikuj1, &QAction::triggered, this,
            &TForm1::KopiaProgramujWeryfikuj1Click);
    connect(TestAdaptera1, &QAction::triggered, this, &TForm1::TestAdaptera1Click);
    connect(DziennikTransmisji1, &QAction::triggered, this, &TForm1::showTracePanel);
    connect(Cofnij1, &QAction::triggered, this, &TForm1::Cofnij1Click);
    connect(Ponow1, &QAction::triggered, this, &TForm1::Ponow1Click);
    connect(m_history, &BufferHistory::stepsChanged, this, &TForm1::updateUndoCommands);
    connect(m_history, &BufferHistory::changedStateChanged, this, &TForm1::setWindowModified);
    connect(StringGrid1, &GridView::keyPress, this, &TForm1::StringGrid1KeyPress);
    connect(StringGrid2, &GridView::textTyped, this, &TForm1::StringGrid2KeyPress);
    // The fourth panel follows the cursor, the selection and every change of the buffer.
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TForm1::updateCursorPanel);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TForm1::updateCursorPanel);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &TForm1::updateCursorPanel);
    // A verdict on the buffer no longer holds once the buffer changed.
    connect(m_model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (m_statusIsVerdict && roles.contains(Qt::DisplayRole))
                    setStatusText(link::statusIdle());
            });
    connect(m_model, &QAbstractItemModel::modelReset, this, &TForm1::updateCursorPanel);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &TForm1::updateCursorPanel);
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
    for (GridView* grid : {StringGrid1, StringGrid2})
        connect(grid, &GridView::pressed, this, [this](const QModelIndex& cell) {
            if (!cell.isValid())
                return;
            bool canSelect = true;
            StringGrid1SelectCell(cell.column() + 1, cell.row() + 1, canSelect);
        });
    connect(StringGrid1, &GridView::topRowChanged, this, &TForm1::StringGrid1TopLeftChanged);
    connect(StringGrid2, &GridView::topRowChanged, this, &TForm1::StringGrid2TopLeftChanged);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TForm1::ScrollBar1Change);
}

} // namespace kestrel

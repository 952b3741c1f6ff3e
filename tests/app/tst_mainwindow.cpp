#include "chip_table.h"
#include "main_window.h"
#include "sim_transport.h"
#include "workers.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <memory>

using namespace kestrel;

namespace {

const QString DotAbove = QString(QChar(0x02D9));

std::unique_ptr<TForm1> shownForm()
{
    auto form = std::make_unique<TForm1>();
    form->show();
    [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(form.get());
    return form;
}

QString hexCell(TForm1& form, int col, int row)
{
    return form.StringGrid1->model()->index(row - 1, col - 1).data().toString();
}

QString charCell(TForm1& form, int col, int row)
{
    return form.StringGrid2->model()
        ->index(row - 1, col)
        .data(EepromModel::CharTextRole)
        .toString();
}

QString rowLabel(TForm1& form, int row)
{
    return form.StringGrid1->model()->headerData(row - 1, Qt::Vertical).toString();
}

// Every data cell of both grids, rows 1 to rows.
bool allCellsFF(TForm1& form, int rows)
{
    for (int row = 1; row <= rows; ++row)
        for (int col = 1; col <= 16; ++col)
            if (hexCell(form, col, row) != QLatin1String("FF") ||
                charCell(form, col - 1, row) != DotAbove)
                return false;
    return true;
}

void selectChip(TForm1& form, int index)
{
    // Make sure a change is signalled even for the entry already selected.
    if (form.ComboBox2->currentIndex() == index)
        form.ComboBox2->setCurrentIndex((index + 1) % ChipCount);
    form.ComboBox2->setCurrentIndex(index);
}

// Pixels of `colour` in the bottom three pixel rows of a cell: where the focus frame runs and
// no text reaches.
int bottomEdgePixels(GridView& grid, const QImage& shot, int col, int row, QRgb colour)
{
    const QRect r = grid.visualRect(grid.model()->index(row - 1, col - 1));
    int n = 0;
    for (int y = r.bottom() - 3; y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (shot.pixel(x, y) | 0xFF000000u) == colour;
    return n;
}

// Where a text of `colour` starts in a rectangle: the top-left of its pixels' bounds.
QPoint textOrigin(const QImage& shot, const QRect& r, QRgb colour)
{
    QPoint origin(r.right() + 1, r.bottom() + 1);
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((shot.pixel(x, y) | 0xFF000000u) == colour) {
                origin.setX(std::min(origin.x(), x - r.left()));
                origin.setY(std::min(origin.y(), y - r.top()));
            }
    return origin;
}

QRgb cellPixel(GridView& grid, const QImage& shot, int col, int row)
{
    const QRect r = grid.visualRect(grid.model()->index(row - 1, col - 1));
    return shot.pixel(r.right() - 2, r.bottom() - 2) | 0xFF000000u;
}

void sendWheel(QWidget* viewport, int delta)
{
    const QPointF pos(20, 40);
    QWheelEvent wheel(pos, viewport->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void startUpGrids();
    void startUpControls();
    void controlGeometry_data();
    void controlGeometry();
    void menuItems_data();
    void menuItems();
    void eepromMenuOrder();
    void speedButtonHints_data();
    void speedButtonHints();
    void portPanelFollowsPortSelector();
    void chosenPortShowsFromStart();
    void gridLook();
    void chips_data();
    void chips();
    void chipChangeKeepsScrollRowWithinMaximum();
    void wheelOverSelectorNeedsFocus_data();
    void wheelOverSelectorNeedsFocus();
    void selectorListsShowWholeNames();
    void fills_data();
    void fills();
    void scrollSync_data();
    void scrollSync();
    void highlightRule();
    void highlightRowAddressAndFocusFrame();
    void cellSelection();
    void charGridMovesSharedCursor();
    void transferActiveDisablesCommands();
};

void TestMainWindow::initTestCase()
{
    // As the program's start-up: "SYMULATOR" in the port list.
    sim::registerSimulatorTransport();
}

void TestMainWindow::startUpGrids()
{
    auto form = shownForm();
    QCOMPARE(form->objectName(), QStringLiteral("Form1"));
    // The title's place for the changed mark; the window shows no mark at start.
    QCOMPARE(form->windowTitle(), QStringLiteral("KESTREL v1.0[*]"));
    QCOMPARE(form->windowHandle()->title(), QStringLiteral("KESTREL v1.0"));
    QCOMPARE(form->StringGrid1->model(), form->StringGrid2->model());
    QCOMPARE(form->StringGrid1->model()->rowCount(), 32);
    QCOMPARE(rowLabel(*form, 1), QStringLiteral("B600"));
    QCOMPARE(rowLabel(*form, 2), QStringLiteral("B610"));
    QCOMPARE(rowLabel(*form, 32), QStringLiteral("B7F0"));
    for (int col = 1; col <= 16; ++col)
        QCOMPARE(form->StringGrid1->model()->headerData(col - 1, Qt::Horizontal).toString(),
                 QStringLiteral("%1").arg(col - 1, 2, 16, QLatin1Char('0')).toUpper());
    QVERIFY(allCellsFF(*form, 32));
    const ImageState& image = form->image();
    QCOMPARE(image.EepromSize, 512);
    QCOMPARE(image.EepromBase, 0xB600);
    QCOMPARE(image.CursorCol, 1);
    QCOMPARE(image.CursorRow, 1);
    QCOMPARE(image.NibbleCount, 0);
    // The hex grid keeps the keyboard focus on its first data cell.
    QCOMPARE(form->focusWidget(), form->StringGrid1);
    QCOMPARE(form->StringGrid1->currentIndex(), form->model().index(0, 0));
}

void TestMainWindow::startUpControls()
{
    auto form = shownForm();
    QCOMPARE(form->ComboBox1->currentText(), QStringLiteral("COM1"));
    QCOMPARE(form->ComboBox1->count(), 4);
    QCOMPARE(form->ComboBox1->itemText(1), QStringLiteral("COM2"));
    QCOMPARE(form->ComboBox1->itemText(2), QString());
    QCOMPARE(form->ComboBox1->itemText(3), QStringLiteral("SYMULATOR"));
    QVERIFY(form->ComboBox1->isEditable());
    QCOMPARE(form->ComboBox2->currentText(), QStringLiteral("68HCP11E1VFN"));
    QCOMPARE(form->ComboBox2->count(), ChipCount);
    QVERIFY(!form->ComboBox2->isEditable());
    QCOMPARE(form->ChipIndex(), 0);

    QCOMPARE(form->statusPanelText(0), QStringLiteral("COM1"));
    QCOMPARE(form->statusPanelText(1), QStringLiteral("12800"));
    QCOMPARE(form->statusPanelText(2), QStringLiteral("-----Oczekiwanie-----"));
    QCOMPARE(form->statusText(), QStringLiteral("-----Oczekiwanie-----"));
    auto* panel2 = form->StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
    QVERIFY(panel2 != nullptr);
    QVERIFY(panel2->contentsRect().width() >=
            panel2->fontMetrics().horizontalAdvance(panel2->text()));
    form->setStatusText(QStringLiteral("Gotowe"));
    QCOMPARE(form->statusText(), QStringLiteral("Gotowe"));

    QCOMPARE(form->ScrollBar1->minimum(), 1);
    QCOMPARE(form->ScrollBar1->maximum(), 20);
    QCOMPARE(form->ScrollBar1->value(), 1);
    QCOMPARE(form->CGauge1->GetPercentDone(), 0);
    QCOMPARE(form->CGauge1->BackColor(), TColor(12566400));
    QCOMPARE(form->GroupBox1->title(), QStringLiteral("BUFOR"));
    QCOMPARE(form->Label1->text(), QStringLiteral("Plik"));
    QVERIFY(!form->windowIcon().isNull());
    QVERIFY(!form->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(form->StatusBar1->isSizeGripEnabled());
}

void TestMainWindow::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    const QString client = QStringLiteral("ClientArea");
    QTest::newRow("CGauge1") << "CGauge1" << client << QRect(8, 424, 657, 20);
    QTest::newRow("GroupBox1") << "GroupBox1" << client << QRect(8, 48, 660, 369);
    QTest::newRow("Label1") << "Label1"
                            << "GroupBox1" << QRect(16, 350, 27, 16);
    QTest::newRow("StringGrid1") << "StringGrid1"
                                 << "GroupBox1" << QRect(12, 22, 455, 325);
    QTest::newRow("StringGrid2") << "StringGrid2"
                                 << "GroupBox1" << QRect(464, 22, 164, 325);
    QTest::newRow("ScrollBar1") << "ScrollBar1"
                                << "GroupBox1" << QRect(630, 22, 16, 325);
    QTest::newRow("Panel1") << "Panel1" << client << QRect(6, 8, 659, 34);
    QTest::newRow("SpeedButton1") << "SpeedButton1"
                                  << "Panel1" << QRect(8, 3, 28, 28);
    QTest::newRow("SpeedButton2") << "SpeedButton2"
                                  << "Panel1" << QRect(40, 3, 28, 28);
    QTest::newRow("SpeedButton3") << "SpeedButton3"
                                  << "Panel1" << QRect(72, 3, 28, 28);
    QTest::newRow("Panel3") << "Panel3"
                            << "Panel1" << QRect(112, 3, 2, 28);
    QTest::newRow("SpeedButton5") << "SpeedButton5"
                                  << "Panel1" << QRect(128, 3, 28, 28);
    QTest::newRow("SpeedButton4") << "SpeedButton4"
                                  << "Panel1" << QRect(160, 3, 28, 28);
    QTest::newRow("Panel2") << "Panel2"
                            << "Panel1" << QRect(200, 3, 2, 28);
    QTest::newRow("SpeedButton6") << "SpeedButton6"
                                  << "Panel1" << QRect(216, 3, 28, 28);
    QTest::newRow("Panel4") << "Panel4"
                            << "Panel1" << QRect(440, 3, 2, 28);
    QTest::newRow("ComboBox2") << "ComboBox2"
                               << "Panel1" << QRect(456, 6, 105, 21);
    QTest::newRow("ComboBox1") << "ComboBox1"
                               << "Panel1" << QRect(568, 6, 65, 21);
}

void TestMainWindow::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    auto form = shownForm();
    auto* control = form->findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), geometry);
    // Every control stays put when the window grows.
    form->resize(form->width() + 120, form->height() + 90);
    QCoreApplication::processEvents();
    QCOMPARE(control->geometry(), geometry);
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("menuTitle");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::newRow("load") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Wczytajzdysku2"
                          << "Wczytaj z dysku";
    QTest::newRow("save") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Zapissznadysk1"
                          << "Zapisz na dysk";
    QTest::newRow("fill") << "Wczytajzdysku1"
                          << "BUFOR"
                          << "Wype1"
                          << "Wypełnij FF";
    QTest::newRow("separator") << "Wczytajzdysku1"
                               << "BUFOR"
                               << "N1"
                               << "";
    QTest::newRow("read") << "Pami1"
                          << "EEPROM"
                          << "Czytaj1"
                          << "Czytaj";
    QTest::newRow("program") << "Pami1"
                             << "EEPROM"
                             << "Zapisz1"
                             << "Zapisz";
    QTest::newRow("verify") << "Pami1"
                            << "EEPROM"
                            << "Weryfikuj1"
                            << "Weryfikuj";
    QTest::newRow("program and verify") << "Pami1"
                                        << "EEPROM"
                                        << "ZapiszWeryfikuj1"
                                        << "Zapisz i weryfikuj";
    QTest::newRow("backup, program and verify") << "Pami1"
                                                << "EEPROM"
                                                << "KopiaProgramujWeryfikuj1"
                                                << "Kopia, programowanie i weryfikacja";
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, menu);
    QFETCH(QString, menuTitle);
    QFETCH(QString, item);
    QFETCH(QString, text);
    TForm1 form;
    QCOMPARE(form.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    auto* owner = form.findChild<QMenu*>(menu);
    QVERIFY(owner != nullptr);
    QCOMPARE(owner->title(), menuTitle);
    QAction* action = nullptr;
    for (QAction* a : owner->actions())
        if (a->objectName() == item)
            action = a;
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->isSeparator(), text.isEmpty());
}

void TestMainWindow::eepromMenuOrder()
{
    TForm1 form;
    QStringList names;
    for (const QAction* a : form.Pami1->actions())
        names << a->objectName();
    QCOMPARE(names, (QStringList{QStringLiteral("Czytaj1"), QStringLiteral("Zapisz1"),
                                 QStringLiteral("Weryfikuj1"), QStringLiteral("ZapiszWeryfikuj1"),
                                 QStringLiteral("KopiaProgramujWeryfikuj1")}));
}

void TestMainWindow::speedButtonHints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::newRow("1") << "SpeedButton1"
                       << "Wczytaj do bufora";
    QTest::newRow("2") << "SpeedButton2"
                       << "Zapisz bufor";
    QTest::newRow("3") << "SpeedButton3"
                       << "Wypełnij bufor FF";
    QTest::newRow("5") << "SpeedButton5"
                       << "Programuj EEPROM";
    QTest::newRow("4") << "SpeedButton4"
                       << "Czytaj EEPROM";
    QTest::newRow("6") << "SpeedButton6"
                       << "Weryfikuj EEPROM";
}

void TestMainWindow::speedButtonHints()
{
    QFETCH(QString, name);
    QFETCH(QString, hint);
    TForm1 form;
    auto* button = form.findChild<QToolButton*>(name);
    QVERIFY(button != nullptr);
    QCOMPARE(button->toolTip(), hint);
    QVERIFY(!button->icon().isNull());
    QVERIFY(!button->icon().pixmap(24, 24).isNull());
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
}

void TestMainWindow::portPanelFollowsPortSelector()
{
    TForm1 form;
    form.ComboBox1->setCurrentIndex(1);
    QCOMPARE(form.statusPanelText(0), QStringLiteral("COM2"));
    form.ComboBox1->setEditText(QStringLiteral("COM7"));
    QCOMPARE(form.statusPanelText(0), QStringLiteral("COM7"));
    QCOMPARE(form.statusPanelText(1), QStringLiteral("12800"));
}

void TestMainWindow::chosenPortShowsFromStart()
{
    auto form = shownForm();
    QComboBox& port = *form->ComboBox1;
    port.setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&port, Qt::Key_Down);
    QCOMPARE(port.currentText(), QStringLiteral("SYMULATOR"));
    QCOMPARE(form->statusPanelText(0), QStringLiteral("SYMULATOR"));
    // The field is narrower than the name: its first letter is on view.
    QVERIFY(port.lineEdit()->width() <
            port.lineEdit()->fontMetrics().horizontalAdvance(port.currentText()));
    QCOMPARE(port.lineEdit()->cursorPosition(), 0);
    QVERIFY(port.lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() <= 3);
}

void TestMainWindow::gridLook()
{
    auto form = shownForm();
    GridView& hex = *form->StringGrid1;
    GridView& chars = *form->StringGrid2;
    QCOMPARE(hex.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(chars.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(hex.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    // 13 data rows below the header row, and every column whole.
    QCOMPARE(hex.visibleRows(), 13);
    QCOMPARE(chars.visibleRows(), 13);
    for (GridView* grid : {&hex, &chars}) {
        QCOMPARE(grid->rowHeight(0), 23); // 22 and the grid line
        QCOMPARE(grid->rowViewportPosition(12) + grid->rowHeight(12), grid->viewport()->height());
    }
    QCOMPARE(hex.verticalHeader()->width(), 41);
    QVERIFY(hex.horizontalHeader()->length() + hex.verticalHeader()->width() <=
            hex.viewport()->width() + hex.verticalHeader()->width());
    QCOMPARE(chars.horizontalHeader()->sectionSize(0), 10);
    QVERIFY(chars.horizontalHeader()->length() <= chars.viewport()->width());

    QCoreApplication::processEvents();
    hex.setCurrentIndex(form->model().index(6, 6));
    const QImage hexShot = hex.viewport()->grab().toImage();
    QCOMPARE(cellPixel(hex, hexShot, 2, 2), qRgb(0, 255, 255));
    QCOMPARE(cellPixel(hex, hexShot, 16, 13), qRgb(0, 255, 255));
    const QImage header = hex.horizontalHeader()->grab().toImage();
    const int x = hex.horizontalHeader()->sectionViewportPosition(5) + 20;
    QCOMPARE(header.pixel(x, header.height() - 3) | 0xFF000000u, qRgb(255, 255, 0));
    const QImage labels = hex.verticalHeader()->grab().toImage();
    QCOMPARE(labels.pixel(labels.width() - 3, 20) | 0xFF000000u, qRgb(255, 255, 0));
}

void TestMainWindow::chips_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("firstLabel");
    QTest::addColumn<QString>("lastLabel");
    QTest::addColumn<int>("scrollMax");
    QTest::addColumn<bool>("supported");

    QTest::newRow("0") << 0 << "68HCP11E1VFN" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("1") << 1 << "68HC11E9" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("2") << 2 << "68HCP11A1" << 512 << "B600"
                       << "B7F0" << 20 << false;
    QTest::newRow("3") << 3 << "68HC11K4" << 640 << "0D80"
                       << "0FF0" << 28 << false;
    QTest::newRow("4") << 4 << "68HC05" << 256 << "0100"
                       << "01F0" << 4 << false;
    QTest::newRow("5") << 5 << "68HC08AB32" << 512 << "0800"
                       << "09F0" << 20 << false;
    QTest::newRow("6") << 6 << "68HC08AS20" << 512 << "0800"
                       << "09F0" << 20 << false;
    QTest::newRow("7") << 7 << "68HC908AS60" << 1024 << "0600"
                       << "09F0" << 52 << false;
    QTest::newRow("8") << 8 << "68HC12B32" << 768 << "0D00"
                       << "0FF0" << 36 << true;
    QTest::newRow("9") << 9 << "68HC12D60" << 1024 << "0C00"
                       << "0FF0" << 52 << true;
}

void TestMainWindow::chips()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, firstLabel);
    QFETCH(QString, lastLabel);
    QFETCH(int, scrollMax);
    QFETCH(bool, supported);

    auto form = shownForm();
    ImageState& image = form->image();
    form->setFileLabel(QStringLiteral("obraz.bin"));
    selectChip(*form, (index + 3) % ChipCount);
    image.EepromBuffer.fill(0x12);
    form->refreshGrids();

    form->ComboBox2->setCurrentIndex(index);
    QCOMPARE(form->ComboBox2->currentText(), name);
    QCOMPARE(form->ChipIndex(), index);
    const int rows = size / 16;
    QCOMPARE(image.EepromSize, size);
    QCOMPARE(form->StringGrid1->model()->rowCount(), rows);
    QCOMPARE(form->StringGrid2->model()->rowCount(), rows);
    QCOMPARE(rowLabel(*form, 1), firstLabel);
    QCOMPARE(rowLabel(*form, rows), lastLabel);
    QCOMPARE(form->ScrollBar1->maximum(), scrollMax);
    for (int entry = 1; entry <= EepromLastEntry; ++entry)
        QCOMPARE(image.EepromBuffer[static_cast<std::size_t>(entry)], 0xFF);
    QVERIFY(allCellsFF(*form, rows));
    QCOMPARE(form->Label1->text(), QStringLiteral("obraz.bin"));

    const ChipRow& chip = ChipTable[static_cast<std::size_t>(index)];
    QCOMPARE(QString::fromLatin1(chip.name), name);
    QCOMPARE(link::chipSupported(chip), supported);
    for (const auto operation : {link::Operation::Read, link::Operation::Program,
                                 link::Operation::Verify, link::Operation::ProgramVerify})
        QCOMPARE(link::workerFor(chip, operation) != &link::NotSupportedWorker, supported);
    QVERIFY(link::workerFor(chip, link::Operation::Program) !=
                link::workerFor(chip, link::Operation::Read) ||
            !supported);
}

void TestMainWindow::chipChangeKeepsScrollRowWithinMaximum()
{
    auto form = shownForm();
    selectChip(*form, 9);
    form->ScrollBar1->setValue(40);
    QCOMPARE(form->StringGrid1->topRow(), 40);
    QCOMPARE(form->StringGrid2->topRow(), 40);

    // The current cell lies in a row the smaller chip does not have; the cursor stays.
    form->StringGrid1->setCurrentIndex(form->model().index(44, 6));
    form->StringGrid2->setCurrentIndex(form->model().index(44, 6));
    ImageState& image = form->image();
    QCOMPARE(image.CursorRow, 45);
    image.NibbleCount = 1;

    selectChip(*form, 4);
    QCoreApplication::processEvents();
    QCOMPARE(image.CursorCol, 7);
    QCOMPARE(image.CursorRow, 45);
    QCOMPARE(image.NibbleCount, 1);
    QCOMPARE(form->ScrollBar1->maximum(), 4);
    QCOMPARE(form->ScrollBar1->value(), 4);
    QCOMPARE(form->StringGrid1->topRow(), 4);
    QCOMPARE(form->StringGrid2->topRow(), 4);
    // Data row 4 is the first row shown, whole, in both grids.
    QCOMPARE(form->StringGrid1->rowAt(0), 3);
    QCOMPARE(form->StringGrid1->rowViewportPosition(3), 0);
    QCOMPARE(form->StringGrid2->rowViewportPosition(3), 0);

    // A larger chip keeps the row.
    selectChip(*form, 8);
    QCoreApplication::processEvents();
    QCOMPARE(form->ScrollBar1->value(), 4);
    QCOMPARE(form->StringGrid1->topRow(), 4);
    QCOMPARE(form->StringGrid2->topRow(), 4);
}

void TestMainWindow::wheelOverSelectorNeedsFocus_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("chip selector") << "ComboBox2";
    QTest::newRow("port selector") << "ComboBox1";
}

void TestMainWindow::wheelOverSelectorNeedsFocus()
{
    // A stray wheel turn over a selector must not change the chip (which refills the image).
    QFETCH(QString, name);
    auto form = shownForm();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    auto* selector = form->findChild<QComboBox*>(name);
    QVERIFY(selector != nullptr);
    form->image().EepromBuffer[1] = 0x12;
    form->StringGrid1->setFocus();
    const int index = selector->currentIndex();

    QWheelEvent wheel(QPointF(10, 10), selector->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(selector, &wheel);
    QCOMPARE(selector->currentIndex(), index);
    QCOMPARE(form->ChipIndex(), 0);
    QCOMPARE(form->image().EepromBuffer[1], 0x12);
    QVERIFY(form->StringGrid1->hasFocus());

    // With the focus, the wheel turns it as usual.
    selector->setFocus();
    QWheelEvent focused(QPointF(10, 10), selector->mapToGlobal(QPointF(10, 10)), QPoint(),
                        QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(selector, &focused);
    QCOMPARE(selector->currentIndex(), index + 1);
}

void TestMainWindow::selectorListsShowWholeNames()
{
    auto form = shownForm();
    for (QComboBox* selector : {form->ComboBox2, form->ComboBox1}) {
        const QFontMetrics metrics(selector->view()->font());
        for (int i = 0; i < selector->count(); ++i)
            QVERIFY2(selector->view()->minimumWidth() >
                         metrics.horizontalAdvance(selector->itemText(i)),
                     qPrintable(selector->itemText(i)));
    }
}

void TestMainWindow::fills_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<bool>("toolbar");
    QTest::addColumn<int>("lastFilled");
    QTest::newRow("menu, 1024 bytes") << 9 << false << 1024;
    QTest::newRow("menu, 256 bytes") << 4 << false << 512;
    QTest::newRow("toolbar, 1024 bytes") << 9 << true << 2047;
    QTest::newRow("toolbar, 256 bytes") << 4 << true << 2047;
}

void TestMainWindow::fills()
{
    QFETCH(int, chip);
    QFETCH(bool, toolbar);
    QFETCH(int, lastFilled);

    auto form = shownForm();
    selectChip(*form, chip);
    ImageState& image = form->image();
    const int rows = image.rows();
    for (int entry = 1; entry <= EepromLastEntry; ++entry)
        image.EepromBuffer[static_cast<std::size_t>(entry)] = 0x41;
    form->refreshGrids();
    QCOMPARE(hexCell(*form, 1, 1), QStringLiteral("41"));
    QCOMPARE(charCell(*form, 0, 1), QStringLiteral("A"));
    form->ScrollBar1->setValue(3);
    form->setFileLabel(QStringLiteral("x.bin"));
    image.CursorCol = 5;
    image.CursorRow = 7;
    image.NibbleCount = 1;
    QSignalSpy changed(&form->model(), &QAbstractItemModel::dataChanged);

    if (toolbar)
        form->SpeedButton3->click();
    else
        form->Wype1->trigger();

    for (int entry = 1; entry <= EepromLastEntry; ++entry)
        QCOMPARE(image.EepromBuffer[static_cast<std::size_t>(entry)],
                 entry <= lastFilled ? 0xFF : 0x41);
    // Both grids show the filled buffer, and only the chip's rows exist.
    QVERIFY(allCellsFF(*form, rows));
    QCOMPARE(form->model().rowCount(), rows);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toModelIndex(), form->model().index(0, 0));
    QCOMPARE(changed.last().at(1).toModelIndex(), form->model().index(rows - 1, 15));
    const auto roles = changed.last().at(2).value<QList<int>>();
    QVERIFY(roles.contains(EepromModel::CharTextRole));
    // Cursor, top row and file label are kept.
    QCOMPARE(image.CursorCol, 5);
    QCOMPARE(image.CursorRow, 7);
    QCOMPARE(image.NibbleCount, 1);
    QCOMPARE(form->ScrollBar1->value(), 3);
    QCOMPARE(form->Label1->text(), QStringLiteral("x.bin"));
}

void TestMainWindow::scrollSync_data()
{
    QTest::addColumn<QString>("side");
    QTest::addColumn<int>("expected");
    QTest::newRow("scroll bar") << "bar" << 7;
    QTest::newRow("scroll bar beyond maximum") << "bar-far" << 20;
    QTest::newRow("hex grid") << "hex" << 9;
    QTest::newRow("character grid") << "char" << 11;
    QTest::newRow("character grid beyond its end") << "char-far" << 20;
    QTest::newRow("keyboard in hex grid") << "hex-keys" << 2;
    QTest::newRow("keyboard in character grid") << "char-keys" << 2;
    QTest::newRow("wheel over hex grid") << "hex-wheel" << 4;
    QTest::newRow("wheel over character grid") << "char-wheel" << 4;
}

void TestMainWindow::scrollSync()
{
    QFETCH(QString, side);
    QFETCH(int, expected);

    auto form = shownForm();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QSignalSpy bar(form->ScrollBar1, &QScrollBar::valueChanged);
    QSignalSpy hex(form->StringGrid1, &GridView::topRowChanged);
    QSignalSpy chars(form->StringGrid2, &GridView::topRowChanged);

    if (side == QLatin1String("bar"))
        form->ScrollBar1->setValue(7);
    else if (side == QLatin1String("bar-far"))
        form->ScrollBar1->setValue(100);
    else if (side == QLatin1String("hex"))
        form->StringGrid1->setTopRow(9);
    else if (side == QLatin1String("char"))
        form->StringGrid2->setTopRow(11);
    else if (side == QLatin1String("char-far"))
        form->StringGrid2->setTopRow(30);
    else if (side.endsWith(QLatin1String("-keys"))) {
        GridView* grid =
            side.startsWith(QLatin1String("hex")) ? form->StringGrid1 : form->StringGrid2;
        grid->setFocus();
        grid->setCurrentIndex(form->model().index(0, 0));
        for (int i = 0; i < 13; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->currentIndex().row(), 13);
    } else {
        GridView* grid =
            side.startsWith(QLatin1String("hex")) ? form->StringGrid1 : form->StringGrid2;
        sendWheel(grid->viewport(), -120);
    }

    QCOMPARE(form->ScrollBar1->value(), expected);
    QCOMPARE(form->StringGrid1->topRow(), expected);
    QCOMPARE(form->StringGrid2->topRow(), expected);
    // Each side moved once and the chain ended.
    QCOMPARE(bar.size(), 1);
    QCOMPARE(hex.size(), 1);
    QCOMPARE(chars.size(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(bar.size(), 1);
}

void TestMainWindow::highlightRule()
{
    auto form = shownForm();
    GridView& hex = *form->StringGrid1;
    hex.setCurrentIndex(form->model().index(5, 5));
    const QRgb aqua = qRgb(0, 255, 255);

    QImage shot = hex.viewport()->grab().toImage();
    QCOMPARE(cellPixel(hex, shot, 1, 1), aqua);

    selectChip(*form, Chip68HC05);
    hex.setCurrentIndex(form->model().index(5, 5));
    shot = hex.viewport()->grab().toImage();
    QCOMPARE(cellPixel(hex, shot, 1, 1), qRgb(255, 0, 0));
    QCOMPARE(cellPixel(hex, shot, 2, 1), aqua);
    QCOMPARE(cellPixel(hex, shot, 1, 2), aqua);
    QCOMPARE(cellPixel(hex, shot, 16, 1), aqua);

    selectChip(*form, 9);
    hex.setCurrentIndex(form->model().index(5, 5));
    shot = hex.viewport()->grab().toImage();
    QCOMPARE(cellPixel(hex, shot, 1, 1), aqua);
}

void TestMainWindow::highlightRowAddressAndFocusFrame()
{
    auto form = shownForm();
    GridView& hex = *form->StringGrid1;
    const QRgb textColour = qRgb(128, 0, 0);
    auto addressOrigin = [&](int row) {
        QHeaderView& rows = *hex.verticalHeader();
        const QImage shot = rows.viewport()->grab().toImage();
        const int y = rows.sectionViewportPosition(row - 1);
        return textOrigin(shot, QRect(0, y, rows.width(), rows.sectionSize(row - 1) - 1),
                          textColour);
    };
    // Other chips: every address text 2 pixels in.
    selectChip(*form, 9);
    QCOMPARE(addressOrigin(1), addressOrigin(2));

    // 68HC05: row 1's address text sits at the corner too, 2 pixels up and left of the others.
    selectChip(*form, Chip68HC05);
    QCoreApplication::processEvents();
    QCOMPARE(addressOrigin(1), addressOrigin(2) - QPoint(2, 2));

    // The focus frame of a row 1 cell shows over the highlight rule's drawing.
    hex.setFocus();
    hex.setCurrentIndex(form->model().index(0, 4));
    QVERIFY(hex.hasFocus());
    QImage shot = hex.viewport()->grab().toImage();
    QVERIFY(bottomEdgePixels(hex, shot, 5, 1, textColour) > 3);
    QCOMPARE(bottomEdgePixels(hex, shot, 6, 1, textColour), 0);
    hex.setCurrentIndex(form->model().index(2, 4));
    shot = hex.viewport()->grab().toImage();
    QVERIFY(bottomEdgePixels(hex, shot, 5, 3, textColour) > 3);
    QCOMPARE(bottomEdgePixels(hex, shot, 5, 1, textColour), 0);
}

void TestMainWindow::cellSelection()
{
    auto form = shownForm();
    GridView& hex = *form->StringGrid1;
    ImageState& image = form->image();
    image.NibbleCount = 1;
    const QRect cell = hex.visualRect(form->model().index(1, 2));
    QTest::mouseClick(hex.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(image.CursorCol, 3);
    QCOMPARE(image.CursorRow, 2);
    QCOMPARE(image.NibbleCount, 0);

    QTest::keyClick(&hex, Qt::Key_Right);
    QCOMPARE(image.CursorCol, 4);
    QCOMPARE(image.CursorRow, 2);

    // The address column and the header row select nothing.
    image.NibbleCount = 1;
    QTest::mouseClick(hex.verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 50));
    QTest::mouseClick(hex.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(100, 10));
    QCOMPARE(image.CursorCol, 4);
    QCOMPARE(image.CursorRow, 2);
    QCOMPARE(image.NibbleCount, 1);
    QCOMPARE(hex.currentIndex(), form->model().index(1, 3));

    // Typed characters other than digits never move the current cell.
    QTest::keyClick(&hex, Qt::Key_Z);
    QCOMPARE(hex.currentIndex(), form->model().index(1, 3));

    // Selections the program makes itself leave the cursor alone.
    form->selectHexCellQuietly(5, 3);
    QCOMPARE(hex.currentIndex(), form->model().index(2, 4));
    QVERIFY(hex.selectionModel()->isSelected(form->model().index(2, 4)));
    QCOMPARE(image.CursorCol, 4);
    QCOMPARE(image.CursorRow, 2);
    QCOMPARE(image.NibbleCount, 1);
    form->selectHexCellQuietly(1, 33);
    QVERIFY(!hex.selectionModel()->hasSelection());
    QCOMPARE(image.CursorRow, 2);
}

void TestMainWindow::charGridMovesSharedCursor()
{
    auto form = shownForm();
    GridView& chars = *form->StringGrid2;
    ImageState& image = form->image();
    chars.setFocus();
    chars.setCurrentIndex(form->model().index(0, 0));
    QTest::keyClick(&chars, Qt::Key_Right);
    QTest::keyClick(&chars, Qt::Key_Down);
    // One cursor for both grids: hex entry goes on where the character grid left it.
    QCOMPARE(form->StringGrid1->currentIndex(), form->model().index(1, 1));
    QCOMPARE(image.CursorCol, 2);
    QCOMPARE(image.CursorRow, 2);
    QTest::keyClicks(form->StringGrid1, QStringLiteral("a1"));
    QCOMPARE(image.EepromBuffer[18], 0xA1);
    QCOMPARE(chars.currentIndex(), form->model().index(1, 2));
    QVERIFY(chars.editTriggers() == QAbstractItemView::NoEditTriggers);
}

void TestMainWindow::transferActiveDisablesCommands()
{
    TForm1 form;
    // Undo and redo, after the fill in "BUFOR": greyed with nothing to undo or redo, and during a transfer.
    QCOMPARE(form.Wczytajzdysku1->actions().mid(4, 2),
             (QList<QAction*>{form.Cofnij1, form.Ponow1}));
    QCOMPARE(form.Cofnij1->text(), QStringLiteral("Cofnij"));
    QCOMPARE(form.Ponow1->text(), QStringLiteral("Ponów"));
    form.StringGrid1KeyPress(u'f');
    form.StringGrid1KeyPress(u'f'); // typed as it was: no step
    form.Wype1->trigger();          // FF already
    QVERIFY(!form.Cofnij1->isEnabled() && !form.Ponow1->isEnabled() && !form.isWindowModified());
    form.StringGrid1KeyPress(u'1');
    form.Cofnij1->trigger();
    QVERIFY(!form.Cofnij1->isEnabled() && form.Ponow1->isEnabled());
    form.StringGrid1KeyPress(u'2'); // a new step drops what could be redone
    QVERIFY(form.Cofnij1->isEnabled() && !form.Ponow1->isEnabled());
    form.setTransferActive(true);
    form.Cofnij1->trigger();
    QVERIFY(!form.Cofnij1->isEnabled());
    QCOMPARE(form.image().EepromBuffer[2], 2);
    form.setTransferActive(false);
    QVERIFY(form.Cofnij1->isEnabled());
    form.setTransferActive(true);
    QVERIFY(form.transferActive());
    QVERIFY(!form.Panel1->isEnabled());
    QVERIFY(!form.ComboBox1->isEnabled());
    QVERIFY(!form.ComboBox2->isEnabled());
    QVERIFY(!form.SpeedButton3->isEnabled());
    QVERIFY(!form.Wype1->isEnabled());
    QVERIFY(!form.Wczytajzdysku2->isEnabled());
    QVERIFY(!form.Czytaj1->isEnabled());
    QVERIFY(!form.Zapisz1->isEnabled());
    QVERIFY(form.Zapissznadysk1->isEnabled());
    QVERIFY(form.StringGrid1->isEnabled());
    QVERIFY(form.ScrollBar1->isEnabled());
    form.setTransferActive(false);
    QVERIFY(form.Panel1->isEnabled());
    QVERIFY(form.ComboBox2->isEnabled());
    QVERIFY(form.Wype1->isEnabled());
    QVERIFY(form.Zapisz1->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// The main window's two grids: their look, fills, scrolling in step, the highlighted row and
// cell, selection, and the scroll row kept when the chip changes.

#include "byte_selection.h"
#include "main_window_checks.h"

using namespace kestrel;
using namespace kestrel::windowtest;

class TestWindowGrids : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void gridLook();
    void chipChangeKeepsScrollRowWithinMaximum();
    void fills_data();
    void fills();
    void scrollSync_data();
    void scrollSync();
    void highlightRule();
    void highlightRowAddressAndFocusFrame();
    void cellSelection();
    void charGridMovesSharedCursor();
    void selectionDrawnWhole_data();
    void selectionDrawnWhole();
};

void TestWindowGrids::initTestCase()
{
    // As the program's start-up: "SYMULATOR" in the port list.
    sim::registerSimulatorTransport();
}

void TestWindowGrids::gridLook()
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

void TestWindowGrids::chipChangeKeepsScrollRowWithinMaximum()
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

void TestWindowGrids::fills_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<bool>("toolbar");
    QTest::addColumn<int>("lastFilled");
    QTest::newRow("menu, 1024 bytes") << 9 << false << 1024;
    QTest::newRow("menu, 256 bytes") << 4 << false << 512;
    QTest::newRow("toolbar, 1024 bytes") << 9 << true << 2047;
    QTest::newRow("toolbar, 256 bytes") << 4 << true << 2047;
}

void TestWindowGrids::fills()
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

void TestWindowGrids::scrollSync_data()
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

void TestWindowGrids::scrollSync()
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

void TestWindowGrids::highlightRule()
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

void TestWindowGrids::highlightRowAddressAndFocusFrame()
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

    // The focus frame of a row 1 cell shows over the highlight rule's drawing, in the selected
    // cell's text colour.
    const QRgb frameColour = hex.palette().color(QPalette::HighlightedText).rgb();
    hex.setFocus();
    hex.setCurrentIndex(form->model().index(0, 4));
    QVERIFY(hex.hasFocus());
    QImage shot = hex.viewport()->grab().toImage();
    QVERIFY(bottomEdgePixels(hex, shot, 5, 1, frameColour) > 3);
    QCOMPARE(bottomEdgePixels(hex, shot, 6, 1, frameColour), 0);
    hex.setCurrentIndex(form->model().index(2, 4));
    shot = hex.viewport()->grab().toImage();
    QVERIFY(bottomEdgePixels(hex, shot, 5, 3, frameColour) > 3);
    QCOMPARE(bottomEdgePixels(hex, shot, 5, 1, frameColour), 0);
}

void TestWindowGrids::cellSelection()
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

void TestWindowGrids::charGridMovesSharedCursor()
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

void TestWindowGrids::selectionDrawnWhole_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("cursor");
    QTest::newRow("cursor on the first byte, as a find leaves it") << 33 << 35 << 33;
    QTest::newRow("cursor on the last byte") << 33 << 35 << 35;
    QTest::newRow("one byte") << 40 << 40 << 40;
    QTest::newRow("across a row") << 46 << 49 << 46;
}

// Every selected byte is drawn selected in both grids; the cursor's cell has its frame too.
void TestWindowGrids::selectionDrawnWhole()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, cursor);
    auto form = shownForm();
    GridView& hex = *form->StringGrid1;
    hex.setFocus();
    form->selection().select({first, last}, cursor);
    QVERIFY(hex.hasFocus());
    const QRgb highlight = hex.palette().color(QPalette::Highlight).rgb();
    const QRgb frame = hex.palette().color(QPalette::HighlightedText).rgb();
    for (GridView* grid : {&hex, form->StringGrid2}) {
        const QImage shot = grid->viewport()->grab().toImage();
        for (int offset = first - 1; offset <= last + 1; ++offset) {
            const bool selected = offset >= first && offset <= last;
            const QRgb expected = selected ? highlight : qRgb(0, 255, 255);
            QCOMPARE(cellPixel(*grid, shot, offset % 16 + 1, offset / 16 + 1), expected);
        }
    }
    const QImage shot = hex.viewport()->grab().toImage();
    QVERIFY(bottomEdgePixels(hex, shot, cursor % 16 + 1, cursor / 16 + 1, frame) > 3);
    for (int offset = first; offset <= last; ++offset)
        if (offset != cursor)
            QCOMPARE(bottomEdgePixels(hex, shot, offset % 16 + 1, offset / 16 + 1, frame), 0);
}

QTEST_MAIN(TestWindowGrids)
#include "tst_windowgrids.moc"

// Hex entry through the main window: keys typed into the hex grid, clicks, arrows and scrolling,
// and the keys refused while a transfer runs.

#include "editing_window.h"

using namespace kestrel;
using namespace kestrel::editingtest;

class TestGridKeys : public QObject
{
    Q_OBJECT
private slots:
    void typedKeys_data();
    void typedKeys();
    void nonDigitsKeepPendingDigit();
    void keypadDigits();
    void upperBytesChangeNothing();
    void textOfSeveralCharactersChangesNothing();
    void digitThenClickElsewhere();
    void digitAfterFillStaysByte();
    void scrollRuleMovesAllThree();
    void lastRowOfChip();
    void clickOnCurrentCellMovesCursor_data();
    void clickOnCurrentCellMovesCursor();
    void clickOnCurrentCellDropsPendingDigit();
    void pastLastRowNoFocusFrameArrowsFromLastCell_data();
    void pastLastRowNoFocusFrameArrowsFromLastCell();
    void arrowsStillNavigate();
    void keysRefusedDuringTransfer();
};

void TestGridKeys::typedKeys_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("chr");
    QTest::addColumn<int>("nextCol");
    QTest::addColumn<int>("nextRow");

    QTest::newRow("column 16 of row 5") << 16 << 5 << "A5"
                                        << "A5"
                                        << "Ą" << 1 << 6;
    QTest::newRow("lower case") << 3 << 2 << "c3"
                                << "C3"
                                << "Ă" << 4 << 2;
    QTest::newRow("upper case") << 3 << 2 << "C3"
                                << "C3"
                                << "Ă" << 4 << 2;
    QTest::newRow("zero byte") << 1 << 1 << "00"
                               << "00" << QString(QChar(0)) << 2 << 1;
    QTest::newRow("letter") << 8 << 3 << "41"
                            << "41"
                            << "A" << 9 << 3;
}

void TestGridKeys::typedKeys()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(QString, hex);
    QFETCH(QString, chr);
    QFETCH(int, nextCol);
    QFETCH(int, nextRow);

    Window w;
    clickCell(*w, col, row);
    QVERIFY(selectedAlone(*w, col, row));

    // After the first digit both grids show the entry holding that digit.
    QTest::keyClick(w->StringGrid1, keys.at(0).toLatin1());
    QCOMPARE(hexCell(*w, col, row), QStringLiteral("0") + keys.at(0).toUpper());
    QCOMPARE(charCell(*w, col, row), charText(QString(keys.at(0)).toInt(nullptr, 16)));
    QVERIFY(selectedAlone(*w, col, row));

    QTest::keyClick(w->StringGrid1, keys.at(1).toLatin1());
    QCOMPARE(hexCell(*w, col, row), hex);
    QCOMPARE(charCell(*w, col, row), chr);
    QCOMPARE(entry(*w, col, row), hex.toInt(nullptr, 16));
    QVERIFY(selectedAlone(*w, nextCol, nextRow));
    QCOMPARE(w->image().CursorCol, nextCol);
    QCOMPARE(w->image().CursorRow, nextRow);
    QCOMPARE(w->image().NibbleCount, 0);
}

void TestGridKeys::nonDigitsKeepPendingDigit()
{
    Window w;
    clickCell(*w, 2, 4);
    QTest::keyClick(w->StringGrid1, '9');
    const EepromBufferType pending = w->image().EepromBuffer;
    QTest::keyClick(w->StringGrid1, 'G');
    QTest::keyClick(w->StringGrid1, ' ');
    QTest::keyClick(w->StringGrid1, Qt::Key_Backspace);
    QTest::keyClick(w->StringGrid1, Qt::Key_Return);
    QTest::keyClick(w->StringGrid1, Qt::Key_Enter);
    QVERIFY(w->image().EepromBuffer == pending);
    QCOMPARE(hexCell(*w, 2, 4), QStringLiteral("09"));
    QVERIFY(selectedAlone(*w, 2, 4));
    QCOMPARE(w->image().NibbleCount, 1);

    QTest::keyClick(w->StringGrid1, 'e');
    QCOMPARE(hexCell(*w, 2, 4), QStringLiteral("9E"));
    QVERIFY(selectedAlone(*w, 3, 4));
}

void TestGridKeys::keypadDigits()
{
    Window w;
    clickCell(*w, 5, 1);
    QTest::keyClick(w->StringGrid1, Qt::Key_4, Qt::KeypadModifier);
    QTest::keyClick(w->StringGrid1, Qt::Key_2, Qt::KeypadModifier);
    QCOMPARE(hexCell(*w, 5, 1), QStringLiteral("42"));
    QVERIFY(selectedAlone(*w, 6, 1));
}

void TestGridKeys::upperBytesChangeNothing()
{
    // Characters of the upper half of the code page, and other non-ASCII digits, are no digits.
    Window w;
    clickCell(*w, 1, 2);
    QTest::keyClick(w->StringGrid1, '3');
    const EepromBufferType pending = w->image().EepromBuffer;
    for (const char16_t code : {u'\u00B9', u'\u0105', u'\u00BC', u'\u00FF', u'\u0661', u'\uFF11'})
        typeCharacter(w->StringGrid1, QChar(code));
    QVERIFY(w->image().EepromBuffer == pending);
    QCOMPARE(w->image().NibbleCount, 1);
    QVERIFY(selectedAlone(*w, 1, 2));

    // The same path delivers a digit.
    typeCharacter(w->StringGrid1, QChar(u'b'));
    QCOMPARE(hexCell(*w, 1, 2), QStringLiteral("3B"));
}

void TestGridKeys::textOfSeveralCharactersChangesNothing()
{
    Window w;
    clickCell(*w, 1, 5);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("12"));
    clickCell(*w, 1, 1);
    QTest::keyClick(w->StringGrid1, '3');
    const EepromBufferType pending = w->image().EepromBuffer;

    // Neither stored nor searched for among the cells.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("12"));
    QApplication::sendEvent(w->StringGrid1, &press);
    QVERIFY(w->image().EepromBuffer == pending);
    QVERIFY(selectedAlone(*w, 1, 1));
    QCOMPARE(w->image().CursorCol, 1);
    QCOMPARE(w->image().NibbleCount, 1);
}

void TestGridKeys::digitThenClickElsewhere()
{
    Window w;
    clickCell(*w, 4, 3);
    QTest::keyClick(w->StringGrid1, '7');
    clickCell(*w, 10, 6);
    QCOMPARE(entry(*w, 4, 3), 7);
    QCOMPARE(hexCell(*w, 4, 3), QStringLiteral("07"));
    QCOMPARE(charCell(*w, 4, 3), QString(QChar(7)));
    // The next digit starts a new byte in the clicked cell.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5"));
    QCOMPARE(hexCell(*w, 10, 6), QStringLiteral("05"));
    QCOMPARE(hexCell(*w, 4, 3), QStringLiteral("07"));
}

void TestGridKeys::digitAfterFillStaysByte()
{
    Window w;
    clickCell(*w, 6, 2);
    QTest::keyClick(w->StringGrid1, '1');
    QTest::mouseClick(w->SpeedButton3, Qt::LeftButton);
    QCOMPARE(hexCell(*w, 6, 2), QStringLiteral("FF"));
    w->StringGrid1->setFocus();
    QTest::keyClick(w->StringGrid1, '5');
    QCOMPARE(entry(*w, 6, 2), 0xF5);
    QCOMPARE(hexCell(*w, 6, 2), QStringLiteral("F5"));
    QCOMPARE(charCell(*w, 6, 2), QString(QChar(0x0151))); // 0xF5 is ő in code page 1250
    QVERIFY(selectedAlone(*w, 7, 2));
}

void TestGridKeys::scrollRuleMovesAllThree()
{
    Window w;
    clickCell(*w, 16, 13);
    QCOMPARE(w->StringGrid1->topRow(), 1);
    QSignalSpy bar(w->ScrollBar1, &QScrollBar::valueChanged);

    // Rows 14, 15 and 16 lie below the 13 rows on view; the view stays.
    for (int row = 14; row <= 16; ++row) {
        QTest::keyClicks(w->StringGrid1, QStringLiteral("12"));
        QVERIFY(selectedAlone(*w, 1, row));
        QTest::keyClicks(w->StringGrid1, QStringLiteral("34").repeated(15));
        QVERIFY(selectedAlone(*w, 16, row));
        QCOMPARE(w->StringGrid1->topRow(), 1);
    }
    QCOMPARE(bar.size(), 0);

    // Entering row 17 moves all three one row down; the cursor stays out of view.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("AB"));
    QVERIFY(selectedAlone(*w, 1, 17));
    QCOMPARE(w->StringGrid1->topRow(), 2);
    QCOMPARE(w->StringGrid2->topRow(), 2);
    QCOMPARE(w->ScrollBar1->value(), 2);
    QCOMPARE(bar.size(), 1);
    QCOMPARE(hexCell(*w, 16, 16), QStringLiteral("AB"));

    // And each further row moves it once more.
    QTest::keyClicks(w->StringGrid1, QStringLiteral("00").repeated(16));
    QVERIFY(selectedAlone(*w, 1, 18));
    QCOMPARE(w->StringGrid1->topRow(), 3);
    QCOMPARE(w->StringGrid2->topRow(), 3);
    QCOMPARE(w->ScrollBar1->value(), 3);
    QCOMPARE(bar.size(), 2);
}

void TestGridKeys::lastRowOfChip()
{
    Window w;
    selectChip(*w, ChipB32); // 48 rows
    w->ScrollBar1->setValue(w->ScrollBar1->maximum());
    QCOMPARE(w->StringGrid1->topRow(), 36);
    clickCell(*w, 15, 48);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("1122"));
    QCOMPARE(hexCell(*w, 15, 48), QStringLiteral("11"));
    QCOMPARE(hexCell(*w, 16, 48), QStringLiteral("22"));

    // The cursor left the grid: no cell selected, the view stays.
    QVERIFY(!w->StringGrid1->selectionModel()->hasSelection());
    QCOMPARE(w->image().CursorCol, 1);
    QCOMPARE(w->image().CursorRow, 49);
    QCOMPARE(w->StringGrid1->topRow(), 36);
    QCOMPARE(w->ScrollBar1->value(), 36);

    // Further digits go to the entries after the chip's size, which no cell shows.
    const int rows = w->model().rowCount();
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5A"));
    QCOMPARE(w->image().EepromBuffer[769], 0x5A);
    QCOMPARE(w->model().rowCount(), rows);
    QCOMPARE(hexCell(*w, 16, 48), QStringLiteral("22"));
    QCOMPARE(w->StringGrid1->topRow(), 36);
}

void TestGridKeys::clickOnCurrentCellMovesCursor_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("cursor left the last row") << "last row";
    QTest::newRow("chip change removed the cursor's row") << "chip change";
}

void TestGridKeys::clickOnCurrentCellMovesCursor()
{
    // The grid's current cell and the cursor part; a click on that cell still selects it.
    QFETCH(QString, how);
    Window w;
    if (how == QLatin1String("last row")) {
        selectChip(*w, ChipB32);
        clickCell(*w, 16, 48);
        QTest::keyClicks(w->StringGrid1, QStringLiteral("11"));
        QCOMPARE(w->image().CursorRow, 49);
    } else {
        selectChip(*w, ChipD60);
        clickCell(*w, 3, 60);
        selectChip(*w, Chip68HC05);
        QCOMPARE(w->image().CursorRow, 60);
    }
    const QModelIndex current = w->StringGrid1->currentIndex();
    QVERIFY(current.isValid());
    const int col = current.column() + 1;
    const int row = current.row() + 1;
    clickCell(*w, col, row);
    QCOMPARE(w->image().CursorCol, col);
    QCOMPARE(w->image().CursorRow, row);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("3C"));
    QCOMPARE(entry(*w, col, row), 0x3C);
    QCOMPARE(hexCell(*w, col, row), QStringLiteral("3C"));
}

void TestGridKeys::clickOnCurrentCellDropsPendingDigit()
{
    // A click on a cell always starts a new byte, whether or not it is the current cell.
    Window w;
    selectChip(*w, ChipB32);
    clickCell(*w, 5, 3);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("7"));
    QCOMPARE(w->image().NibbleCount, 1);
    clickCell(*w, 5, 3);
    QCOMPARE(w->image().NibbleCount, 0);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("A5"));
    QCOMPARE(entry(*w, 5, 3), 0xA5);
    // The byte is complete: the cursor went on to the next cell.
    QCOMPARE(w->image().CursorCol, 6);
    QCOMPARE(w->image().CursorRow, 3);
}

void TestGridKeys::pastLastRowNoFocusFrameArrowsFromLastCell_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::newRow("left") << int(Qt::Key_Left) << 15 << 48;
    QTest::newRow("up") << int(Qt::Key_Up) << 16 << 47;
}

void TestGridKeys::pastLastRowNoFocusFrameArrowsFromLastCell()
{
    QFETCH(int, key);
    QFETCH(int, col);
    QFETCH(int, row);
    Window w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
    selectChip(*w, ChipB32);
    GridView& hex = *w->StringGrid1;
    clickCell(*w, 16, 48);
    hex.setFocus();
    QTest::keyClicks(&hex, QStringLiteral("11"));
    QCOMPARE(w->image().CursorRow, 49);

    // No cell shows the dotted focus frame: the bottom pixel rows of the last cell are as
    // those of its unfocused neighbour.
    const QImage shot = hex.viewport()->grab().toImage();
    auto bottomRows = [&](int c, int r) {
        const QRect rect = hex.visualRect(hex.model()->index(r - 1, c - 1));
        return shot.copy(QRect(rect.left(), rect.bottom() - 3, 12, 4));
    };
    QVERIFY(hex.hasFocus());
    QCOMPARE(bottomRows(16, 48), bottomRows(15, 48));

    // The arrow keys go on from the last cell.
    QTest::keyClick(&hex, Qt::Key(key));
    QCOMPARE(w->image().CursorCol, col);
    QCOMPARE(w->image().CursorRow, row);
}

void TestGridKeys::arrowsStillNavigate()
{
    Window w;
    clickCell(*w, 3, 1);
    QTest::keyClick(w->StringGrid1, 'D');
    QTest::keyClick(w->StringGrid1, Qt::Key_Right);
    QCOMPARE(w->image().CursorCol, 4);
    QCOMPARE(w->image().NibbleCount, 0);
    QCOMPARE(entry(*w, 3, 1), 0xD);
    for (int i = 0; i < 13; ++i)
        QTest::keyClick(w->StringGrid1, Qt::Key_Down);
    QCOMPARE(w->image().CursorRow, 14);
    QCOMPARE(w->StringGrid1->topRow(), 2);
    QCOMPARE(w->ScrollBar1->value(), 2);
    QCOMPARE(w->StringGrid2->topRow(), 2);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("ee"));
    QCOMPARE(hexCell(*w, 4, 14), QStringLiteral("EE"));
}

void TestGridKeys::keysRefusedDuringTransfer()
{
    Window w;
    clickCell(*w, 2, 2);
    QTest::keyClick(w->StringGrid1, '4');
    const EepromBufferType before = w->image().EepromBuffer;

    w->setTransferActive(true);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5678"));
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(hexCell(*w, 2, 2), QStringLiteral("04"));
    QCOMPARE(w->image().NibbleCount, 1);
    QVERIFY(selectedAlone(*w, 2, 2));
    // Navigation still works.
    QTest::keyClick(w->StringGrid1, Qt::Key_Down);
    QCOMPARE(w->image().CursorRow, 3);

    w->setTransferActive(false);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("9A"));
    QCOMPARE(hexCell(*w, 2, 3), QStringLiteral("9A"));
}

QTEST_MAIN(TestGridKeys)
#include "tst_gridkeys.moc"

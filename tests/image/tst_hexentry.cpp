#include "hex_entry.h"

#include <QtTest>

using namespace kestrel;

namespace {

// A hex grid as the window shows it: its top row follows the effects of the typed keys.
struct GridSim
{
    int topRow = 1;
    int rowCount = 33;
    HexKeyEffect last;

    void type(ImageState& s, const QString& keys)
    {
        for (QChar k : keys) {
            last = applyHexKey(s, k, topRow, rowCount);
            if (last.newTopRow)
                topRow = *last.newTopRow;
        }
    }
};

std::int32_t entryAt(const ImageState& s, int column, int row)
{
    return s.EepromBuffer[static_cast<std::size_t>(entryOf(column, row))];
}

} // namespace

class TestHexEntry : public QObject
{
    Q_OBJECT
private slots:
    void digitValues();
    void keySequences_data();
    void keySequences();
    void effects();
    void keyText_data();
    void keyText();
    void selectingAnotherCellKeepsFirstDigit();
    void selectCellOutsideDataCells_data();
    void selectCellOutsideDataCells();
    void scrollRule_data();
    void scrollRule();
    void scrollWhileTypingThroughChip();
    void lastEntryBound();
    void digitAfterFillStaysByte_data();
    void digitAfterFillStaysByte();
};

void TestHexEntry::digitValues()
{
    // Every 8-bit code: only 0-9, A-F and a-f are digits.
    for (int code = 0; code < 256; ++code) {
        const QChar ch(static_cast<char16_t>(code));
        int expected = -1;
        if (code >= '0' && code <= '9')
            expected = code - '0';
        else if (code >= 'A' && code <= 'F')
            expected = code - 'A' + 10;
        else if (code >= 'a' && code <= 'f')
            expected = code - 'a' + 10;
        QCOMPARE(hexDigitValue(ch).value_or(-1), expected);
    }
    // Digits of other scripts are not hex digits.
    QVERIFY(!hexDigitValue(QChar(0xFF11)).has_value()); // fullwidth 1
    QVERIFY(!hexDigitValue(QChar(0x0661)).has_value()); // arabic-indic 1
}

void TestHexEntry::keySequences_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("value");   // of the entry at (col, row)
    QTest::addColumn<int>("nibbles"); // NibbleCount afterwards
    QTest::addColumn<int>("endCol");
    QTest::addColumn<int>("endRow");

    QTest::newRow("A5 at column 16 of row 5") << 16 << 5 << "A5" << 0xA5 << 0 << 1 << 6;
    QTest::newRow("lower c") << 3 << 2 << "c3" << 0xC3 << 0 << 4 << 2;
    QTest::newRow("upper C") << 3 << 2 << "C3" << 0xC3 << 0 << 4 << 2;
    QTest::newRow("lower hex pair") << 1 << 1 << "fe" << 0xFE << 0 << 2 << 1;
    QTest::newRow("0 0 gives byte 0") << 7 << 3 << "00" << 0x00 << 0 << 8 << 3;
    QTest::newRow("first digit only") << 9 << 4 << "b" << 0x0B << 1 << 9 << 4;
    QTest::newRow("non-digits keep pending digit")
        << 5 << 5 << QString("7G \b\r") << 0x07 << 1 << 5 << 5;
    QTest::newRow("pending digit completed after non-digits")
        << 5 << 5 << QString("7G \b\r8") << 0x78 << 0 << 6 << 5;
    QTest::newRow("non-digits alone change nothing")
        << 5 << 5 << QString("G \b\r\x1bz") << 0xFF << 0 << 5 << 5;
    QTest::newRow("high codes are not digits")
        << 2 << 2 << QString(QChar(0xB9)) + QChar(0xE6) + QChar(0xFF) << 0xFF << 0 << 2 << 2;
}

void TestHexEntry::keySequences()
{
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(QString, keys);
    QFETCH(int, value);
    QFETCH(int, nibbles);
    QFETCH(int, endCol);
    QFETCH(int, endRow);

    ImageState s;
    s.EepromSize = 1024;
    s.fillFF(1, 1024);
    QVERIFY(selectHexCell(s, col, row));
    const EepromBufferType before = s.EepromBuffer;
    GridSim grid;
    grid.rowCount = 65;
    grid.type(s, keys);

    QCOMPARE(entryAt(s, col, row), value);
    QCOMPARE(hexText(entryAt(s, col, row)).size(), 2);
    QCOMPARE(s.NibbleCount, nibbles);
    QCOMPARE(s.CursorCol, endCol);
    QCOMPARE(s.CursorRow, endRow);
    QCOMPARE(grid.topRow, 1);
    // No other entry changed.
    for (int i = 0; i < EepromEntries; ++i) {
        if (i != entryOf(col, row))
            QCOMPARE(s.EepromBuffer[static_cast<std::size_t>(i)],
                     before[static_cast<std::size_t>(i)]);
    }
}

void TestHexEntry::effects()
{
    ImageState s;
    QVERIFY(selectHexCell(s, 16, 5));

    HexKeyEffect first = applyHexKey(s, QChar(u'A'), 1, 33);
    QCOMPARE(first.changedEntry, 80);
    QVERIFY(!first.charCellChanged);
    QVERIFY(!first.selectionMoved);
    QVERIFY(!first.newTopRow);
    QCOMPARE(hexText(s.EepromBuffer[80]), QStringLiteral("0A"));

    HexKeyEffect none = applyHexKey(s, QChar(u'G'), 1, 33);
    QVERIFY(!none.changed());
    QVERIFY(!none.charCellChanged);
    QVERIFY(!none.selectionMoved);

    HexKeyEffect second = applyHexKey(s, QChar(u'5'), 1, 33);
    QCOMPARE(second.changedEntry, 80);
    QVERIFY(second.charCellChanged);
    QVERIFY(second.selectionMoved);
    QCOMPARE(second.selectCol, 1);
    QCOMPARE(second.selectRow, 6);
    QVERIFY(!second.newTopRow);
    QCOMPARE(hexText(s.EepromBuffer[80]), QStringLiteral("A5"));
    QCOMPARE(charText(s.EepromBuffer[80]), QString(QChar(0x0104))); // Ą
}

void TestHexEntry::keyText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty text") << QString() << 0xFF;
    QTest::newRow("two characters") << QStringLiteral("12") << 0xFF;
    QTest::newRow("one digit") << QStringLiteral("d") << 0x0D;
}

void TestHexEntry::keyText()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    ImageState s;
    const HexKeyEffect e = applyHexKeyText(s, text, 1, 33);
    QCOMPARE(s.EepromBuffer[1], value);
    QCOMPARE(e.changed(), value != 0xFF);
    QCOMPARE(s.NibbleCount, value != 0xFF ? 1 : 0);
}

void TestHexEntry::selectingAnotherCellKeepsFirstDigit()
{
    ImageState s;
    QVERIFY(selectHexCell(s, 4, 2));
    (void)applyHexKey(s, QChar(u'7'), 1, 33);
    QCOMPARE(s.NibbleCount, 1);

    QVERIFY(selectHexCell(s, 9, 3));
    QCOMPARE(s.NibbleCount, 0);
    QCOMPARE(s.CursorCol, 9);
    QCOMPARE(s.CursorRow, 3);
    QCOMPARE(hexText(entryAt(s, 4, 2)), QStringLiteral("07"));

    // The next digit starts a new byte in the selected cell; the first cell stays 07.
    (void)applyHexKey(s, QChar(u'3'), 1, 33);
    QCOMPARE(entryAt(s, 9, 3), 0x03);
    QCOMPARE(entryAt(s, 4, 2), 0x07);
    QCOMPARE(s.NibbleCount, 1);
}

void TestHexEntry::selectCellOutsideDataCells_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::newRow("address column") << 0 << 4;
    QTest::newRow("header row") << 3 << 0;
    QTest::newRow("corner") << 0 << 0;
    QTest::newRow("past column 16") << 17 << 4;
}

void TestHexEntry::selectCellOutsideDataCells()
{
    QFETCH(int, col);
    QFETCH(int, row);
    ImageState s;
    QVERIFY(selectHexCell(s, 5, 6));
    (void)applyHexKey(s, QChar(u'1'), 1, 33);
    QVERIFY(!selectHexCell(s, col, row));
    QCOMPARE(s.CursorCol, 5);
    QCOMPARE(s.CursorRow, 6);
    QCOMPARE(s.NibbleCount, 1);
}

void TestHexEntry::scrollRule_data()
{
    QTest::addColumn<int>("topRow");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("newTop"); // -1: the view stays

    QTest::newRow("enter row 16 from top 1") << 1 << 33 << 16 << 15 << -1;
    QTest::newRow("enter row 17 from top 1") << 1 << 33 << 16 << 16 << 2;
    QTest::newRow("enter row 18 from top 2") << 2 << 33 << 16 << 17 << 3;
    QTest::newRow("user scrolled to top 10") << 10 << 65 << 16 << 25 << 11;
    QTest::newRow("row not top+16") << 5 << 65 << 16 << 16 << -1;
    QTest::newRow("no wrap in row top+16") << 1 << 33 << 5 << 17 << -1;
    QTest::newRow("past the last row of 256 bytes") << 1 << 17 << 16 << 16 << -1;
    QTest::newRow("into the last row of 512 bytes") << 16 << 33 << 16 << 31 << 17;
    QTest::newRow("past the last row of 512 bytes") << 17 << 33 << 16 << 32 << -1;
}

void TestHexEntry::scrollRule()
{
    QFETCH(int, topRow);
    QFETCH(int, rowCount);
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(int, newTop);

    ImageState s;
    QVERIFY(selectHexCell(s, col, row));
    const HexKeyEffect first = applyHexKey(s, QChar(u'4'), topRow, rowCount);
    QVERIFY(!first.newTopRow);
    const HexKeyEffect second = applyHexKey(s, QChar(u'2'), topRow, rowCount);
    QCOMPARE(second.newTopRow.value_or(-1), newTop);
    QVERIFY(second.selectionMoved);
    QCOMPARE(second.selectCol, s.CursorCol);
    QCOMPARE(second.selectRow, s.CursorRow);

    // A whole byte typed as a character moves on by the same rule, a pending digit dropped.
    ImageState c;
    QVERIFY(selectHexCell(c, col, row));
    (void)applyHexKey(c, QChar(u'7'), topRow, rowCount);
    const HexKeyEffect typed = applyByteKey(c, 0x41, topRow, rowCount);
    QCOMPARE(typed.newTopRow.value_or(-1), newTop);
    QCOMPARE(typed.changedEntry, entryOf(col, row));
    QCOMPARE(c.EepromBuffer[static_cast<std::size_t>(entryOf(col, row))], 0x41);
    QCOMPARE(c.NibbleCount, 0);
    QCOMPARE(std::pair(c.CursorCol, c.CursorRow), std::pair(s.CursorCol, s.CursorRow));
}

void TestHexEntry::scrollWhileTypingThroughChip()
{
    // 1024 bytes: 64 data rows, row count 65. Type every byte from the first cell on.
    ImageState s;
    s.EepromSize = 1024;
    GridSim grid;
    grid.rowCount = 65;
    for (int row = 1; row <= 64; ++row) {
        for (int col = 1; col <= 16; ++col) {
            QCOMPARE(s.CursorCol, col);
            QCOMPARE(s.CursorRow, row);
            grid.type(s, QStringLiteral("%1").arg((row * 16 + col) & 0xFF, 2, 16, QChar(u'0')));
            QCOMPARE(entryAt(s, col, row), (row * 16 + col) & 0xFF);
        }
        // The cursor has just entered row + 1.
        const int entered = row + 1;
        const int expectedTop =
            entered >= 17 && entered < 65 ? entered - 15 : (entered < 17 ? 1 : 49);
        QCOMPARE(grid.topRow, expectedTop);
    }
    // Past the last row: the view stays, the selection names a row the grid does not have.
    QCOMPARE(s.CursorCol, 1);
    QCOMPARE(s.CursorRow, 65);
    QCOMPARE(grid.last.selectRow, 65);
    QVERIFY(!grid.last.newTopRow);
    // Further digits go into the entries after the chip's size.
    grid.type(s, QStringLiteral("3C"));
    QCOMPARE(s.EepromBuffer[1025], 0x3C);
    QCOMPARE(grid.topRow, 49);
}

void TestHexEntry::lastEntryBound()
{
    ImageState s;
    s.EepromBuffer.fill(0x11);
    // Entry 2047 is column 15 of row 128.
    QVERIFY(selectHexCell(s, 15, 128));
    GridSim grid;
    grid.type(s, QStringLiteral("AB"));
    QCOMPARE(s.EepromBuffer[2047], 0xAB);
    QCOMPARE(s.CursorCol, 16);
    QCOMPARE(s.CursorRow, 128);

    // The cursor's entry now lies beyond the buffer: digits are ignored.
    const EepromBufferType before = s.EepromBuffer;
    const HexKeyEffect e = applyHexKey(s, QChar(u'5'), grid.topRow, grid.rowCount);
    QVERIFY(!e.changed());
    QVERIFY(!e.selectionMoved);
    grid.type(s, QStringLiteral("6789"));
    QCOMPARE(s.EepromBuffer, before);
    QCOMPARE(s.NibbleCount, 0);
    QCOMPARE(s.CursorCol, 16);
    QCOMPARE(s.CursorRow, 128);

    // Any row further down too; selecting a cell inside brings entry back.
    QVERIFY(selectHexCell(s, 1, 200));
    grid.type(s, QStringLiteral("12"));
    QCOMPARE(s.EepromBuffer, before);
    QVERIFY(selectHexCell(s, 1, 1));
    grid.type(s, QStringLiteral("12"));
    QCOMPARE(s.EepromBuffer[1], 0x12);
}

void TestHexEntry::digitAfterFillStaysByte_data()
{
    QTest::addColumn<int>("held"); // what the entry holds when the second digit comes
    QTest::addColumn<QChar>("digit");
    QTest::addColumn<int>("value");
    QTest::newRow("after fill FF, 5") << 0xFF << QChar(u'5') << 0xF5;
    QTest::newRow("after fill FF, a") << 0xFF << QChar(u'a') << 0xFA;
    QTest::newRow("a read wrote 3C") << 0x3C << QChar(u'0') << 0xC0;
    QTest::newRow("out-of-range value") << 0x12345 << QChar(u'7') << 0x57;
    QTest::newRow("negative value") << -1 << QChar(u'0') << 0xF0;
}

void TestHexEntry::digitAfterFillStaysByte()
{
    QFETCH(int, held);
    QFETCH(QChar, digit);
    QFETCH(int, value);
    ImageState s;
    QVERIFY(selectHexCell(s, 3, 1));
    (void)applyHexKey(s, QChar(u'9'), 1, 33);
    s.EepromBuffer[3] = held; // another command rewrote the entry meanwhile
    const HexKeyEffect e = applyHexKey(s, digit, 1, 33);
    QCOMPARE(s.EepromBuffer[3], value);
    QCOMPARE(hexText(s.EepromBuffer[3]).size(), 2);
    QVERIFY(e.charCellChanged);
    QCOMPARE(s.CursorCol, 4);
    QCOMPARE(s.NibbleCount, 0);
}

QTEST_APPLESS_MAIN(TestHexEntry)
#include "tst_hexentry.moc"

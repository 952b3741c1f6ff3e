// Go to, find, the hex text the clipboard and the find dialog take, and the image's CRC-32.

#include "cursor_text.h"
#include "image_crc.h"
#include "image_search.h"

#include <QtTest>

using namespace kestrel;

class TestImageSearch : public QObject
{
    Q_OBJECT
private slots:
    void hexBytes_data();
    void hexBytes();
    void text();
    void find_data();
    void find();
    void gotoTarget_data();
    void gotoTarget();
    void crc32_data();
    void crc32();
    void cursorPanel_data();
    void cursorPanel();
};

void TestImageSearch::hexBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bytes"); // hex, or "-" for refused
    QTest::newRow("spaced") << "DE AD BE EF"
                            << "deadbeef";
    QTest::newRow("joined, lower case") << "deadbeef"
                                        << "deadbeef";
    QTest::newRow("odd spacing, tabs, lines") << " d E\tad\nBE  e f "
                                              << "deadbeef";
    QTest::newRow("odd digit count") << "DEA"
                                     << "-";
    QTest::newRow("empty") << "  "
                           << "-";
    QTest::newRow("not hex") << "DE AG"
                             << "-";
    QTest::newRow("0x prefix is not hex text") << "0xDE"
                                               << "-";
    QTest::newRow("full-width digit") << QString::fromUtf8("１２") << "-";
}

void TestImageSearch::hexBytes()
{
    QFETCH(QString, text);
    QFETCH(QString, bytes);
    const auto parsed = parseHexBytes(text);
    if (bytes == QLatin1String("-")) {
        QVERIFY(!parsed);
        return;
    }
    QVERIFY(parsed);
    QCOMPARE(parsed->toHex(), bytes.toLatin1());
    QCOMPARE(hexBytesText(*parsed), QStringLiteral("DE AD BE EF"));
}

void TestImageSearch::text()
{
    QCOMPARE(textBytes(QStringLiteral("SN:01")), QByteArray("SN:01"));
    // Polish letters as code page 1250 has them.
    QCOMPARE(textBytes(QString::fromUtf8("łąŚ")), QByteArray("\xB3\xB9\x8C"));
    QVERIFY(!textBytes(QString::fromUtf8("漢")));
    QVERIFY(!textBytes(QString()));
}

void TestImageSearch::find_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<QByteArray>("needle");
    QTest::addColumn<int>("offset");
    QTest::addColumn<bool>("wrapped");
    // The image: AB CD at 2 and 10, a lone AB at 15 (the last byte).
    QTest::newRow("forward from 0") << 0 << true << QByteArray("\xAB\xCD") << 2 << false;
    QTest::newRow("forward at a match") << 2 << true << QByteArray("\xAB\xCD") << 2 << false;
    QTest::newRow("next after the first") << 3 << true << QByteArray("\xAB\xCD") << 10 << false;
    QTest::newRow("next wraps") << 11 << true << QByteArray("\xAB\xCD") << 2 << true;
    QTest::newRow("previous") << 10 << false << QByteArray("\xAB\xCD") << 2 << false;
    QTest::newRow("previous wraps") << 2 << false << QByteArray("\xAB\xCD") << 10 << true;
    QTest::newRow("the last byte") << 11 << true << QByteArray("\xAB") << 15 << false;
    QTest::newRow("previous from the end") << 16 << false << QByteArray("\xAB") << 15 << false;
    QTest::newRow("not found") << 0 << true << QByteArray("\xAB\xAB") << -1 << false;
    QTest::newRow("longer than the image") << 0 << true << QByteArray(17, '\xAB') << -1 << false;
}

void TestImageSearch::find()
{
    QFETCH(int, from);
    QFETCH(bool, forward);
    QFETCH(QByteArray, needle);
    QByteArray image(16, '\0');
    image[2] = image[10] = image[15] = '\xAB';
    image[3] = image[11] = '\xCD';
    const FoundBytes found = findBytes(image, needle, from, forward);
    QTEST(found.offset, "offset");
    QTEST(found.wrapped, "wrapped");
}

void TestImageSearch::gotoTarget_data()
{
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("offset"); // -1: refused
    QTest::newRow("B32 address") << 0x0D00 << 768 << "0D80" << 0x80;
    QTest::newRow("B32 0x address") << 0x0D00 << 768 << "0x0d80" << 0x80;
    QTest::newRow("B32 first") << 0x0D00 << 768 << "D00" << 0;
    QTest::newRow("B32 last") << 0x0D00 << 768 << "0FFF" << 767;
    QTest::newRow("B32 below") << 0x0D00 << 768 << "0CFF" << -1;
    QTest::newRow("B32 above") << 0x0D00 << 768 << "1000" << -1;
    QTest::newRow("B32 offset") << 0x0D00 << 768 << "+80" << 0x80;
    QTest::newRow("B32 0x offset") << 0x0D00 << 768 << " + 0x2FF " << 767;
    QTest::newRow("B32 offset past the end") << 0x0D00 << 768 << "+300" << -1;
    QTest::newRow("D60 address") << 0x0C00 << 1024 << "0C00" << 0;
    QTest::newRow("D60 offset") << 0x0C00 << 1024 << "+3FF" << 1023;
    QTest::newRow("not a number") << 0x0C00 << 1024 << "0CXX" << -1;
    QTest::newRow("empty") << 0x0C00 << 1024 << "" << -1;
    QTest::newRow("negative") << 0x0C00 << 1024 << "-1" << -1;
}

void TestImageSearch::gotoTarget()
{
    QFETCH(int, base);
    QFETCH(int, size);
    QFETCH(QString, text);
    QFETCH(int, offset);
    const GotoTarget target = parseGotoTarget(text, base, size);
    QCOMPARE(target.offset, offset);
    // A refusal names the valid range.
    const QString allowed = base == 0x0D00 ? QStringLiteral("0D00-0FFF albo przesunięcie +0-+2FF")
                                           : QStringLiteral("0C00-0FFF albo przesunięcie +0-+3FF");
    if (offset < 0)
        QVERIFY2(target.error.endsWith(allowed), qPrintable(target.error));
    else
        QVERIFY(target.error.isEmpty());
}

// Values as zlib and the crc32 tools give them.
void TestImageSearch::crc32_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("crc");
    QTest::newRow("check value") << QByteArray("123456789") << "cbf43926";
    QTest::newRow("empty") << QByteArray() << "00000000";
    QTest::newRow("erased 68HC12B32") << QByteArray(768, '\xFF') << "f9be48fc";
    QTest::newRow("erased 68HC12D60") << QByteArray(1024, '\xFF') << "b83afff4";
    QByteArray counting;
    for (int i = 0; i < 768; ++i)
        counting.append(static_cast<char>(i));
    QTest::newRow("0..FF three times") << counting << "b0c0df2a";
}

void TestImageSearch::crc32()
{
    QFETCH(QByteArray, bytes);
    QTEST(crc32Text(crc32Of(bytes)), "crc");
}

void TestImageSearch::cursorPanel_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");
    QTest::newRow("byte and word") << 0x10 << 0 << "0D10: 5A = 90  słowo 5AFF  CRC-32 ";
    QTest::newRow("with a selection")
        << 0x10 << 4 << "0D10: 5A = 90  słowo 5AFF  zaznaczono 4 B  CRC-32 ";
    QTest::newRow("last byte: no word") << 767 << 0 << "0FFF: 01 = 1  CRC-32 ";
}

void TestImageSearch::cursorPanel()
{
    QFETCH(int, offset);
    QFETCH(int, selected);
    QFETCH(QString, text);
    QByteArray image(768, '\xFF');
    image[0x10] = 0x5A;
    image[767] = 0x01;
    const std::uint32_t crc = crc32Of(image);
    QCOMPARE(cursorText(image, 0x0D00, offset, selected, crc), text + crc32Text(crc));
}

QTEST_APPLESS_MAIN(TestImageSearch)
#include "tst_imagesearch.moc"

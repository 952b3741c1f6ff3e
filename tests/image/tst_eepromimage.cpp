#include "eeprom_image.h"

#include <QtTest>

using namespace kestrel;

class TestEepromImage : public QObject
{
    Q_OBJECT
private slots:
    void initialState();
    void texts_data();
    void texts();
    void fillClamps();
};

void TestEepromImage::initialState()
{
    ImageState s;
    QCOMPARE(s.EepromSize, 512);
    QCOMPARE(s.EepromBase, 0xB600);
    QCOMPARE(s.EepromBuffer[0], 0);
    QCOMPARE(s.EepromBuffer[1], 0xFF);
    QCOMPARE(s.EepromBuffer[512], 0xFF);
    QCOMPARE(s.EepromBuffer[513], 0);
    QCOMPARE(s.CursorCol, 1);
    QCOMPARE(s.CursorRow, 1);
    QCOMPARE(s.NibbleCount, 0);
}

void TestEepromImage::texts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("chr");
    QTest::newRow("FF dot above") << 0xFF << "FF" << QString(QChar(0x02D9));
    QTest::newRow("A5 A-ogonek") << 0xA5 << "A5" << QString(QChar(0x0104));
    QTest::newRow("41 A") << 0x41 << "41"
                          << "A";
    QTest::newRow("0A") << 0x0A << "0A" << QString(QChar(0x0A));
    QTest::newRow("00 NUL") << 0x00 << "00" << QString(QChar(0));
    QTest::newRow("80 euro") << 0x80 << "80" << QString(QChar(0x20AC));
    QTest::newRow("B9 a-ogonek") << 0xB9 << "B9" << QString(QChar(0x0105));
    QTest::newRow("three digits") << 0xFF5 << "FF5" << QString(QChar(0x0151));
}

void TestEepromImage::texts()
{
    QFETCH(int, value);
    QFETCH(QString, hex);
    QFETCH(QString, chr);
    QCOMPARE(hexText(value), hex);
    QCOMPARE(charText(value), chr);
    QCOMPARE(charText(value).size(), 1);
}

void TestEepromImage::fillClamps()
{
    ImageState s;
    s.EepromBuffer.fill(7);
    s.fillFF(-5, 5000);
    QCOMPARE(s.EepromBuffer[0], 7);
    QCOMPARE(s.EepromBuffer[1], 0xFF);
    QCOMPARE(s.EepromBuffer[2047], 0xFF);
    QCOMPARE(addressLabel(0xD00), QStringLiteral("0D00"));
    QCOMPARE(addressLabel(0xB7F0), QStringLiteral("B7F0"));
}

QTEST_APPLESS_MAIN(TestEepromImage)
#include "tst_eepromimage.moc"

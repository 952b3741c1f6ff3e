#include "file_helpers.h"
#include "image_formats.h"
#include "image_messages.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

#include <sys/resource.h>

using namespace kestrel;

Q_DECLARE_METATYPE(kestrel::ImageFormat)

namespace {

constexpr ChipWindow B32{0x0D00, 768};
constexpr ChipWindow D60{0x0C00, 1024};

// Lines joined with CRLF; the records below were written by hand, checksums computed from the
// formats' definitions.
using testing::erased;
using testing::lines;
using testing::randomBytes;

QString lineError(int line, const QString& reason)
{
    return QStringLiteral("Błąd w pliku, wiersz %1: ").arg(line) + reason;
}

// A sequential device that produces `total` bytes by repeating `unit`, never holding them all.
class RepeatingDevice : public QIODevice
{
public:
    RepeatingDevice(QByteArray unit, qint64 total) : m_unit(std::move(unit)), m_total(total)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        const qint64 n = std::min(max, m_total - m_pos);
        for (qint64 i = 0; i < n; ++i)
            data[i] = m_unit[qsizetype((m_pos + i) % m_unit.size())];
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_unit;
    qint64 m_total;
    qint64 m_pos = 0;
};

long peakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class TestImageFormats : public QObject
{
    Q_OBJECT
private slots:
    void formatByContent_data();
    void formatByContent();
    void formatByExtension_data();
    void formatByExtension();
    void roundTrip_data();
    void roundTrip();
    void writtenText_data();
    void writtenText();
    void handWrittenFiles_data();
    void handWrittenFiles();
    void errors_data();
    void errors();
    void rawSizes_data();
    void rawSizes();
    void piecesOfAnySize();
    void messages();
    void largeInputsStayBounded();
};

void TestImageFormats::formatByContent_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ImageFormat>("format");
    const QByteArray good = "S1070D0001020304E1";
    const QByteArray badChecksum = "S1070D0001020304E2";
    QTest::newRow("S-record header only")
        << QByteArray("S00600004844521B\r\n") << ImageFormat::SRecord;
    QTest::newRow("S-record after blank lines")
        << QByteArray("\r\n  \n\t\nS1070D0001020304E1") << ImageFormat::SRecord;
    QTest::newRow("Intel HEX") << QByteArray(":020C0000BEEF45\n") << ImageFormat::IntelHex;
    QTest::newRow("Intel HEX, lower case")
        << QByteArray(":020c0000beef45") << ImageFormat::IntelHex;
    // Records that contradict each other are still records: the format refuses them.
    QTest::newRow("same address, other value")
        << lines({good, "S1040D0200EC"}) << ImageFormat::SRecord;
    QTest::newRow("a record after the end")
        << lines({good, "S9030000FC", good}) << ImageFormat::SRecord;
    // Anything but records throughout is raw.
    QTest::newRow("S4 is no record") << QByteArray("S4030000FC") << ImageFormat::Raw;
    QTest::newRow("S then no hex") << QByteArray("S1xyz") << ImageFormat::Raw;
    QTest::newRow("colon then no hex") << QByteArray(":zz") << ImageFormat::Raw;
    QTest::newRow("binary bytes") << QByteArray("\x00\xFF\x12S1", 5) << ImageFormat::Raw;
    QTest::newRow("blank only") << QByteArray(" \r\n\n") << ImageFormat::Raw;
    QTest::newRow("empty") << QByteArray() << ImageFormat::Raw;
    QTest::newRow("lower-case s is no record")
        << QByteArray("s1070D0001020304E1") << ImageFormat::Raw;
    QTest::newRow("one bad checksum") << lines({good, badChecksum, good}) << ImageFormat::Raw;
    QTest::newRow("one bad checksum, larger than the chip")
        << lines(QList<QByteArray>(40, good) << badChecksum) << ImageFormat::Raw;
    QTest::newRow("text after the end")
        << lines({good, "S9030000FC", "koniec"}) << ImageFormat::Raw;
    QTest::newRow("S-record and Intel HEX lines")
        << lines({good, ":020C0000BEEF45"}) << ImageFormat::Raw;
    QTest::newRow("line longer than a record") << "S1" + QByteArray(600, 'A') << ImageFormat::Raw;
    // ELF by its identification, whatever follows; the magic alone is not enough.
    QTest::newRow("ELF identification") << QByteArray("\x7f"
                                                      "ELF\x01\x02\x01")
                                        << ImageFormat::Elf;
    QTest::newRow("ELF magic, unknown class") << QByteArray("\x7f"
                                                            "ELF\x03\x02\x01") +
                                                     randomBytes(700, 5)
                                              << ImageFormat::Raw;
    QTest::newRow("ELF magic, too short") << QByteArray("\x7f"
                                                        "ELF\x01")
                                          << ImageFormat::Raw;
    // Raw images of the chip's size that start like text.
    for (const auto& [name, head] : {std::pair{"serial.eep", "S20231105"},
                                     {"colon.img", ":10A"},
                                     {"dump", "S9AB"},
                                     {"nl.dat", "\nS1FF"}})
        QTest::newRow(name) << QByteArray(head) + randomBytes(768 - int(qstrlen(head)), 7)
                            << ImageFormat::Raw;
}

void TestImageFormats::formatByContent()
{
    QFETCH(QByteArray, file);
    QFETCH(ImageFormat, format);
    QCOMPARE(formatFromContent(file), format);
    // Decoded by content as the format found decodes it: raw by the raw rules.
    const DecodedImage byContent = decodeImage(file, std::nullopt, B32);
    const DecodedImage named = decodeImage(file, format, B32);
    QCOMPARE(byContent.format, format);
    QCOMPARE(byContent.status, named.status);
    QCOMPARE(byContent.line, named.line);
    QCOMPARE(byContent.reason, named.reason);
    QCOMPARE(byContent.bytes, named.bytes);
    QCOMPARE(byContent.skipped, named.skipped);
    if (format == ImageFormat::Raw && file.size() <= B32.size)
        QCOMPARE(byContent.bytes, file + erased(B32.size - int(file.size())));
    if (format == ImageFormat::Raw && file.size() > B32.size)
        QCOMPARE(byContent.status, DecodeStatus::TooLarge);
}

void TestImageFormats::formatByExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<bool>("named"); // the name names the format
    for (const char* ext : {"s19", "s28", "s37", "srec", "mot", "sx", "S19", "SREC"})
        QTest::newRow(ext) << QStringLiteral("/tmp/fw.") + QLatin1String(ext)
                           << ImageFormat::SRecord << true;
    for (const char* ext : {"hex", "ihex", "ihx", "HEX"})
        QTest::newRow(ext) << QStringLiteral("fw.") + QLatin1String(ext) << ImageFormat::IntelHex
                           << true;
    QTest::newRow("elf") << "fw.elf" << ImageFormat::Elf << true;
    QTest::newRow("out") << "a.OUT" << ImageFormat::Elf << true;
    QTest::newRow("bin") << "fw.bin" << ImageFormat::Raw << true;
    QTest::newRow("BIN") << "fw.BIN" << ImageFormat::Raw << true;
    QTest::newRow("none") << "fw" << ImageFormat::Raw << false;
    QTest::newRow("other") << "fw.txt" << ImageFormat::Raw << false;
    QTest::newRow("folder named like a format") << "dir.hex/fw" << ImageFormat::Raw << false;
}

void TestImageFormats::formatByExtension()
{
    QFETCH(QString, name);
    QFETCH(ImageFormat, format);
    QFETCH(bool, named);
    // ELF is only read: saved under its names, an image is raw.
    QCOMPARE(formatFromExtension(name), format == ImageFormat::Elf ? ImageFormat::Raw : format);
    QCOMPARE(formatNamedBy(name), named ? std::optional(format) : std::nullopt);
}

void TestImageFormats::roundTrip_data()
{
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("size");
    const std::pair<const char*, ImageFormat> formats[] = {{"raw", ImageFormat::Raw},
                                                           {"S-record", ImageFormat::SRecord},
                                                           {"Intel HEX", ImageFormat::IntelHex}};
    for (const auto& [name, format] : formats) {
        QTest::addRow("%s, 68HC12B32", name) << format << B32.base << B32.size;
        QTest::addRow("%s, 68HC12D60", name) << format << D60.base << D60.size;
        // Addresses past 16 bits: S2 records, Intel HEX type 04 across a 64 KiB boundary.
        QTest::addRow("%s, window across 64 KiB", name) << format << 0xFFF8 << 64;
        QTest::addRow("%s, window past 16 MiB", name) << format << 0x1000000 << 32;
    }
}

void TestImageFormats::roundTrip()
{
    QFETCH(ImageFormat, format);
    QFETCH(int, base);
    QFETCH(int, size);
    const ChipWindow window{base, size};
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QByteArray bytes = randomBytes(size, seed);
        if (seed == 1)
            bytes = erased(size);
        const QByteArray file = encodeImage(bytes, format, window);
        const DecodedImage decoded = decodeImage(file, format, window);
        QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
        QCOMPARE(decoded.bytes, bytes);
        QCOMPARE(decoded.skipped, 0);
        // What was written is recognised as what it is.
        QCOMPARE(formatFromContent(file), format);
    }
}

void TestImageFormats::writtenText_data()
{
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("S-record") << ImageFormat::SRecord
                              << lines({"S00A00004B45535452454CDB",
                                        "S1130D00000102030405060708090A0B0C0D0E0F67",
                                        "S1130D10101112131415161718191A1B1C1D1E1F57", "S5030002FA",
                                        "S9030000FC"});
    QTest::newRow("Intel HEX") << ImageFormat::IntelHex
                               << lines({":100D0000000102030405060708090A0B0C0D0E0F6B",
                                         ":100D1000101112131415161718191A1B1C1D1E1F5B",
                                         ":00000001FF"});
}

void TestImageFormats::writtenText()
{
    QFETCH(ImageFormat, format);
    QFETCH(QByteArray, expected);
    QByteArray bytes(32, '\0');
    for (int i = 0; i < 32; ++i)
        bytes[i] = char(i);
    QCOMPARE(encodeImage(bytes, format, ChipWindow{0x0D00, 32}), expected);
}

void TestImageFormats::handWrittenFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<int>("chip"); // 0: 68HC12B32, 1: 68HC12D60
    QTest::addColumn<QList<int>>("offsetsAndValues");
    QTest::addColumn<int>("skipped");

    QTest::newRow("S19 with header, count and end")
        << lines({"S00600004844521B", "S1070D0001020304E1", "S1050FFEAA55EE", "S5030002FA",
                  "S9030000FC"})
        << ImageFormat::SRecord << 0 << QList<int>{0, 1, 1, 2, 2, 3, 3, 4, 766, 0xAA, 767, 0x55}
        << 0;
    QTest::newRow("S19, flash outside the window, LF, blank lines, trailing white space")
        << QByteArray("S00600004844521B\n\nS1070D0001020304E1  \t\nS10510001122B7\n \n"
                      "S9030000FC\n\n")
        << ImageFormat::SRecord << 0 << QList<int>{0, 1, 1, 2, 2, 3, 3, 4} << 2;
    QTest::newRow("S19, lower-case digits, no end record")
        << lines({"S1070d0001020304e1"}) << ImageFormat::SRecord << 0
        << QList<int>{0, 1, 1, 2, 2, 3, 3, 4} << 0;
    QTest::newRow("S2 and S3 data, S8 end")
        << lines({"S208000D10DEADBEEFA2", "S30900000D2012345678B5", "S804000000FB"})
        << ImageFormat::SRecord << 0 << QList<int>{0x10, 0xDE, 0x11, 0xAD, 0x12, 0xBE, 0x13, 0xEF,
                                                   0x20, 0x12, 0x21, 0x34, 0x22, 0x56, 0x23, 0x78}
        << 0;
    QTest::newRow("S7 end, a record giving the same values twice")
        << lines({"S1070D0001020304E1", "S1070D0001020304E1", "S70500000000FA"})
        << ImageFormat::SRecord << 0 << QList<int>{0, 1, 1, 2, 2, 3, 3, 4} << 0;
    QTest::newRow("S-record spanning the window's start (68HC12D60)")
        << lines({"S1070BFE01020304E5", "S9030000FC"}) << ImageFormat::SRecord << 1
        << QList<int>{0, 3, 1, 4, 2, 0xFF} << 2;

    QTest::newRow("Intel HEX data and end")
        << lines({":020C0000BEEF45", ":030FFD001122338B", ":00000001FF"}) << ImageFormat::IntelHex
        << 1 << QList<int>{0, 0xBE, 1, 0xEF, 1021, 0x11, 1022, 0x22, 1023, 0x33} << 0;
    QTest::newRow("Intel HEX segment address, start records, LF")
        << QByteArray(":0200000200807C\n:010400005AA1\n:0400000300003800C1\n"
                      ":04000005000000CD2A\n:00000001FF\n")
        << ImageFormat::IntelHex << 1 << QList<int>{0, 0x5A} << 0;
    QTest::newRow("Intel HEX linear address moves data out of the window")
        << lines({":020C00001234AC", ":020000040001F9", ":020C0000BEEF45", ":020000040000FA",
                  ":00000001FF"})
        << ImageFormat::IntelHex << 1 << QList<int>{0, 0x12, 1, 0x34} << 2;
    QTest::newRow("Intel HEX lower case, trailing white space")
        << QByteArray(":020c0000beef45 \r\n\r\n:00000001ff\t\r\n") << ImageFormat::IntelHex << 1
        << QList<int>{0, 0xBE, 1, 0xEF} << 0;
}

void TestImageFormats::handWrittenFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(ImageFormat, format);
    QFETCH(int, chip);
    QFETCH(QList<int>, offsetsAndValues);
    QFETCH(int, skipped);
    const ChipWindow window = chip == 0 ? B32 : D60;
    const DecodedImage decoded = decodeImage(file, format, window);
    QVERIFY2(decoded.ok(), qPrintable(decoded.reason));
    QCOMPARE(decoded.bytes.size(), window.size);
    QByteArray expected = erased(window.size);
    for (int i = 0; i + 1 < offsetsAndValues.size(); i += 2)
        expected[offsetsAndValues[i]] = char(offsetsAndValues[i + 1]);
    QCOMPARE(decoded.bytes, expected);
    QCOMPARE(decoded.skipped, skipped);
    QCOMPARE(formatFromContent(file), format);
}

void TestImageFormats::errors_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    const auto S = ImageFormat::SRecord;
    const auto I = ImageFormat::IntelHex;
    const QByteArray good = "S1070D0001020304E1";
    const QByteArray tooLong = "S1" + QByteArray(600, 'A');

    QTest::newRow("S: checksum") << lines({good, "S1070D0001020304E2"}) << S << 2
                                 << "zła suma kontrolna";
    QTest::newRow("S: count longer than the line")
        << lines({"S00600004844521B", "", "S1080D0001020304E1"}) << S << 3
        << "liczba bajtów niezgodna z długością wiersza";
    QTest::newRow("S: odd number of digits")
        << lines({"S1070D0001020304E"}) << S << 1 << "liczba bajtów niezgodna z długością wiersza";
    QTest::newRow("S: not hex") << lines({good, good, "S1070D00010G0304E1"}) << S << 3
                                << "znak spoza cyfr szesnastkowych";
    QTest::newRow("S: white space inside")
        << lines({"S1070D00 01020304E1"}) << S << 1 << "znak spoza cyfr szesnastkowych";
    QTest::newRow("S: S4 undefined")
        << lines({good, "S4030000FC"}) << S << 2 << "nieznany typ rekordu";
    QTest::newRow("S: letter as type") << lines({"SA030000FC"}) << S << 1 << "nieznany typ rekordu";
    QTest::newRow("S: data after S9")
        << lines({good, "S9030000FC", "", good}) << S << 4 << "dane po rekordzie końca";
    QTest::newRow("S: line longer than a record")
        << lines({good, tooLong}) << S << 2 << "wiersz dłuższy niż rekord";
    QTest::newRow("S: count record wrong")
        << lines({good, "S5030002FA"}) << S << 2 << "zła liczba rekordów";
    QTest::newRow("S: not a record")
        << lines({good, "X1070D0001020304E1"}) << S << 2 << "niepoprawny rekord";
    QTest::newRow("S: leading white space")
        << lines({good, " " + good}) << S << 2 << "niepoprawny rekord";
    QTest::newRow("S: S9 with data")
        << lines({good, "S9040000AA51"}) << S << 2 << "niepoprawny rekord";
    QTest::newRow("S: S1 without address") << lines({"S101FE"}) << S << 1 << "niepoprawny rekord";
    QTest::newRow("S: count of zero") << lines({"S100"}) << S << 1 << "niepoprawny rekord";
    QTest::newRow("S: same address, other value") << lines({good, "S10510001122B7", "S1040D0200EC"})
                                                  << S << 3 << "różne wartości pod adresem 0D02";
    QTest::newRow("S: Intel HEX line inside")
        << lines({good, ":020C0000BEEF45"}) << S << 2 << "niepoprawny rekord";

    const QByteArray data = ":020C0000BEEF45";
    QTest::newRow("I: checksum") << lines({data, ":020C0000BEEF46"}) << I << 2
                                 << "zła suma kontrolna";
    QTest::newRow("I: count shorter than the line")
        << lines({":010C0000BEEF45"}) << I << 1 << "liczba bajtów niezgodna z długością wiersza";
    QTest::newRow("I: not hex") << lines({data, ":020C0000BXEF45"}) << I << 2
                                << "znak spoza cyfr szesnastkowych";
    QTest::newRow("I: type 06") << lines({":00000006FA"}) << I << 1 << "nieznany typ rekordu";
    QTest::newRow("I: data after end")
        << lines({data, ":00000001FF", data}) << I << 3 << "dane po rekordzie końca";
    QTest::newRow("I: line longer than a record")
        << lines({data, "", ":" + QByteArray(530, '0')}) << I << 3 << "wiersz dłuższy niż rekord";
    QTest::newRow("I: too short") << lines({":00000001"}) << I << 1 << "niepoprawny rekord";
    QTest::newRow("I: type 04 with one byte")
        << lines({":0100000400FB"}) << I << 1 << "niepoprawny rekord";
    QTest::newRow("I: end with data") << lines({":01000001AA54"}) << I << 1 << "niepoprawny rekord";
    QTest::newRow("I: same address, other value")
        << lines({data, ":010C0100BE34"}) << I << 2 << "różne wartości pod adresem 0C01";
}

void TestImageFormats::errors()
{
    QFETCH(QByteArray, file);
    QFETCH(ImageFormat, format);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const DecodedImage decoded = decodeImage(file, format, D60);
    QCOMPARE(decoded.status, DecodeStatus::BadLine);
    QCOMPARE(lineErrorMessage(decoded.line, decoded.reason), lineError(line, reason));
    QCOMPARE(decoded.line, line);
    QVERIFY(decoded.bytes.isEmpty());
}

void TestImageFormats::rawSizes_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<bool>("ok");
    QTest::newRow("empty") << 0 << true;
    QTest::newRow("100 bytes") << 100 << true;
    QTest::newRow("the chip's size") << 768 << true;
    QTest::newRow("one byte more") << 769 << false;
}

void TestImageFormats::rawSizes()
{
    QFETCH(int, fileSize);
    QFETCH(bool, ok);
    const QByteArray file = randomBytes(fileSize, 3);
    const DecodedImage decoded = decodeImage(file, ImageFormat::Raw, B32);
    QCOMPARE(decoded.ok(), ok);
    if (ok)
        QCOMPARE(decoded.bytes, file + erased(768 - fileSize));
    else
        QCOMPARE(decoded.status, DecodeStatus::TooLarge);
    QCOMPARE(fileTooLargeMessage(),
             QStringLiteral("Rozmiar pliku przekracza pojemnosc pamieci EEPROM !"));
}

void TestImageFormats::piecesOfAnySize()
{
    // A record split anywhere between pieces decodes the same, errors name the same line.
    const QByteArray file = lines(
        {"S00600004844521B", "S1070D0001020304E1", "S10510001122B7", "S1040D0200EC", "S9030000FC"});
    const DecodedImage whole = decodeImage(file, ImageFormat::SRecord, B32);
    QCOMPARE(whole.line, 4);
    for (quint32 seed = 1; seed <= 50; ++seed) {
        QRandomGenerator random(seed);
        ImageDecoder decoder(ImageFormat::SRecord, B32);
        for (qsizetype at = 0; at < file.size();) {
            const qsizetype n = random.bounded(1, 12);
            if (!decoder.feed(QByteArrayView(file).sliced(at, std::min(n, file.size() - at))))
                break;
            at += n;
        }
        const DecodedImage pieces = decoder.finish();
        QCOMPARE(pieces.status, whole.status);
        QCOMPARE(pieces.line, whole.line);
        QCOMPARE(pieces.reason, whole.reason);
    }
}

void TestImageFormats::messages()
{
    QCOMPARE(skippedMessage(2, B32), QStringLiteral("Pominięto 2 bajtów spoza EEPROM (0D00-0FFF)"));
    QCOMPARE(noDataMessage(D60),
             QStringLiteral("Plik nie zawiera danych dla EEPROM układu (0C00-0FFF)"));
    // A file with data only outside the window, and one with no data at all.
    for (const QByteArray& file :
         {lines({"S10510001122B7", "S9030000FC"}), lines({"S00600004844521B", "S9030000FC"})}) {
        const DecodedImage decoded = decodeImage(file, ImageFormat::SRecord, B32);
        QCOMPARE(decoded.status, DecodeStatus::NoData);
        QCOMPARE(decoded.line, 0);
    }
}

void TestImageFormats::largeInputsStayBounded()
{
    constexpr qint64 Total = 100 * 1024 * 1024;
    const long before = peakRssKb();
    QElapsedTimer timer;
    timer.start();

    // One long line: refused as soon as it outgrows a record.
    RepeatingDevice longLine(":0", Total);
    const DecodedImage refused = decodeImage(longLine, ImageFormat::IntelHex, D60);
    QCOMPARE(refused.status, DecodeStatus::BadLine);
    QCOMPARE(lineErrorMessage(refused.line, refused.reason),
             lineError(1, QStringLiteral("wiersz dłuższy niż rekord")));
    QVERIFY(longLine.pos() < 1024 * 1024);

    // 100 MB of valid records, read to the end.
    const QByteArray record = ":100D0000000102030405060708090A0B0C0D0E0F6B\r\n";
    RepeatingDevice records(record, Total - Total % record.size());
    const DecodedImage read = decodeImage(records, ImageFormat::IntelHex, B32);
    QVERIFY2(read.ok(), qPrintable(read.reason));
    QCOMPARE(read.bytes.left(16), QByteArray::fromHex("000102030405060708090A0B0C0D0E0F"));
    QVERIFY(records.atEnd());

    // By content: one pass decides and decodes; bytes that are no records stop it at once.
    RepeatingDevice recordsByContent(record, Total - Total % record.size());
    const DecodedImage found = decodeImage(recordsByContent, std::nullopt, B32);
    QCOMPARE(found.format, ImageFormat::IntelHex);
    QCOMPARE(found.bytes, read.bytes);
    QVERIFY(recordsByContent.atEnd());
    RepeatingDevice binary(QByteArray("S1\x00\xFF", 4), Total);
    QCOMPARE(decodeImage(binary, std::nullopt, B32).status, DecodeStatus::TooLarge);
    QVERIFY(binary.pos() < 1024 * 1024);

    const long grownKb = peakRssKb() - before;
    qInfo("peak memory grew by %ld KiB; %lld ms", grownKb, timer.elapsed());
    QVERIFY2(grownKb < 8 * 1024, qPrintable(QString::number(grownKb)));
}

QTEST_GUILESS_MAIN(TestImageFormats)
#include "tst_imageformats.moc"

// Files with addresses against the chip's EEPROM: data inside it, outside it, across its ends,
// or all of it at 0 .. size - 1 (counted from the EEPROM's first byte), in S-records, Intel HEX
// and ELF; ELF files that are refused.

#include "elf_writer.h"
#include "file_helpers.h"
#include "image_file.h"
#include "image_formats.h"
#include "image_messages.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QtTest>

using namespace kestrel;
using kestrel::testsupport::ElfLayout;
using kestrel::testsupport::ElfSection;

Q_DECLARE_METATYPE(kestrel::ImageFormat)
Q_DECLARE_METATYPE(kestrel::ImageReadStatus)

namespace {

constexpr ChipWindow B32{0x0D00, 768};
constexpr ChipWindow D60{0x0C00, 1024};

using testing::erased;
using testing::lines;
using testing::randomBytes;

// A data record of the format, its checksum computed from the format's definition.
QByteArray dataRecord(ImageFormat format, int address, const QByteArray& data)
{
    QByteArray body;
    if (format == ImageFormat::SRecord)
        body += char(data.size() + 3);
    else
        body += char(data.size());
    body += char(address >> 8);
    body += char(address & 0xFF);
    if (format == ImageFormat::IntelHex)
        body += char(0); // type 00
    body += data;
    int sum = 0;
    for (char c : body)
        sum += static_cast<std::uint8_t>(c);
    if (format == ImageFormat::SRecord)
        return "S1" + (body + char(~sum & 0xFF)).toHex().toUpper();
    return ":" + (body + char(-sum & 0xFF)).toHex().toUpper();
}

ElfSection section(const QByteArray& name, std::uint32_t address, const QByteArray& bytes)
{
    return ElfSection{name, address, bytes};
}

} // namespace

class TestAddressedFiles : public QObject
{
    Q_OBJECT
private slots:
    void addressedFiles_data();
    void addressedFiles();
};

// Files whose data lie inside the window, outside it, across its ends, or all within 0 .. size - 1
// (counted from the EEPROM's first byte), in each format that carries addresses.
void TestAddressedFiles::addressedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<bool>("d60");
    QTest::addColumn<ImageReadStatus>("status");
    QTest::addColumn<QList<int>>("offsetsAndValues");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("message"); // the refusal, or the notice of a load
    const auto S = ImageFormat::SRecord;
    const auto I = ImageFormat::IntelHex;
    const auto E = ImageFormat::Elf;
    const auto Ok = ImageReadStatus::Ok;
    const QString counted = QStringLiteral("Adresy w pliku liczone od początku EEPROM");
    const QString noB32 = QStringLiteral("Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)");
    const auto skippedB32 = [](int n) {
        return QStringLiteral("Pominięto %1 bajtów spoza EEPROM (0D00-0FFF)").arg(n);
    };
    const auto rec = [](ImageFormat f, int address, const char* hex) {
        return dataRecord(f, address, QByteArray::fromHex(hex));
    };

    for (const auto f : {S, I}) {
        const char* n = f == S ? "S19" : "Intel HEX";
        QTest::addRow("%s counted from 0", n)
            << lines({rec(f, 0x0000, "01020304"), rec(f, 0x02FE, "AA55")}) << f << false << Ok
            << QList<int>{0, 1, 1, 2, 2, 3, 3, 4, 766, 0xAA, 767, 0x55} << 0 << counted;
        QTest::addRow("%s counted from 0, 68HC12D60's last byte", n)
            << lines({rec(f, 0x0010, "BEEF"), rec(f, 0x03FF, "77")}) << f << true << Ok
            << QList<int>{0x10, 0xBE, 0x11, 0xEF, 1023, 0x77} << 0 << counted;
        QTest::addRow("%s mixed: by the window's addresses", n)
            << lines({rec(f, 0x0010, "BEEF"), rec(f, 0x0D00, "1234")}) << f << false << Ok
            << QList<int>{0, 0x12, 1, 0x34} << 2 << skippedB32(2);
        QTest::addRow("%s mixed, the offsets contradicting each other", n)
            << lines({rec(f, 0x0010, "BEEF"), rec(f, 0x0010, "0000"), rec(f, 0x0D00, "12")}) << f
            << false << Ok << QList<int>{0, 0x12} << 4 << skippedB32(4);
        QTest::addRow("%s offsets contradicting each other", n)
            << lines({rec(f, 0x0010, "BEEF"), rec(f, 0x0011, "00")}) << f << false
            << ImageReadStatus::BadLine << QList<int>{} << 0
            << "Błąd w pliku, wiersz 2: różne wartości pod adresem 0011";
        QTest::addRow("%s past the EEPROM's size", n)
            << lines({rec(f, 0x0010, "BEEF"), rec(f, 0x02FF, "0102")}) << f << false
            << ImageReadStatus::NoData << QList<int>{} << 0 << noB32;
    }
    QTest::newRow("Intel HEX with linear address 0, counted from 0")
        << lines({":020000040000FA", rec(I, 0x0020, "5A"), ":00000001FF"}) << I << false << Ok
        << QList<int>{0x20, 0x5A} << 0 << counted;

    const QByteArray code = QByteArray::fromHex("B60D007A080020F8");
    const ElfSection bss{".bss", 0x0D10, QByteArray(16, '\0'), 8 /* SHT_NOBITS */};
    const ElfSection comment{".comment", 0x0D20, "GCC", 1, 0};
    QTest::newRow("ELF sections inside, code outside, .bss and unallocated left alone")
        << testsupport::elfFile({{section(".text", 0x8000, code),
                                  section(".eeprom", 0x0D00, QByteArray::fromHex("01020304")), bss,
                                  comment, section(".eeprom.end", 0x0FFE, "\xAA\x55")}})
        << E << false << Ok << QList<int>{0, 1, 1, 2, 2, 3, 3, 4, 766, 0xAA, 767, 0x55} << 8
        << skippedB32(8);
    QTest::newRow("ELF section across the window's start (68HC12D60)")
        << testsupport::elfFile({{section(".eeprom", 0x0BFE, QByteArray::fromHex("01020304"))}})
        << E << true << Ok << QList<int>{0, 3, 1, 4} << 2
        << QStringLiteral("Pominięto 2 bajtów spoza EEPROM (0C00-0FFF)");
    QTest::newRow("ELF section across the window's end")
        << testsupport::elfFile({{section(".eeprom", 0x0FFC, QByteArray::fromHex("0102030405"))}})
        << E << false << Ok << QList<int>{764, 1, 765, 2, 766, 3, 767, 4} << 1 << skippedB32(1);
    QTest::newRow("ELF, no section inside")
        << testsupport::elfFile({{section(".text", 0x8000, code), bss}}) << E << false
        << ImageReadStatus::NoData << QList<int>{} << 0 << noB32;
    QTest::newRow("ELF counted from 0")
        << testsupport::elfFile({{section(".eeprom", 0x0010, "\xBE\xEF")}}) << E << false << Ok
        << QList<int>{0x10, 0xBE, 0x11, 0xEF} << 0 << counted;
    QTest::newRow("ELF mixed: by the window's addresses")
        << testsupport::elfFile(
               {{section(".low", 0x0010, "\xBE\xEF"), section(".eeprom", 0x0D00, "\x12")}})
        << E << false << Ok << QList<int>{0, 0x12} << 2 << skippedB32(2);
    QTest::newRow("ELF sections over each other, other values")
        << testsupport::elfFile(
               {{section(".a", 0x0D00, "\x01\x02"), section(".b", 0x0D01, "\x03")}})
        << E << false << ImageReadStatus::BadFile << QList<int>{} << 0
        << "Błąd w pliku: różne wartości pod adresem 0D01";
    const QByteArray whole =
        testsupport::elfFile({{section(".eeprom", 0x0D00, randomBytes(300, 9))}});
    QTest::newRow("ELF truncated")
        << whole.left(whole.size() / 2) << E << false << ImageReadStatus::BadFile << QList<int>{}
        << 0 << "Błąd w pliku: plik ELF uszkodzony lub niepełny";
    QTest::newRow("ELF truncated in its header")
        << whole.left(30) << E << false << ImageReadStatus::BadFile << QList<int>{} << 0
        << "Błąd w pliku: plik ELF uszkodzony lub niepełny";
    ElfLayout little{{section(".eeprom", 0x0D00, "\x01")}};
    little.bigEndian = false;
    QTest::newRow("ELF little-endian")
        << testsupport::elfFile(little) << E << false << ImageReadStatus::BadFile << QList<int>{}
        << 0 << "Błąd w pliku: nieobsługiwany plik ELF (tylko 32-bitowy, big-endian)";
    ElfLayout object{{section(".eeprom", 0x0000, "\x01")}};
    object.type = 1; // ET_REL
    QTest::newRow("ELF object file")
        << testsupport::elfFile(object) << E << false << ImageReadStatus::BadFile << QList<int>{}
        << 0 << "Błąd w pliku: plik ELF nie jest zlinkowanym programem";
}

void TestAddressedFiles::addressedFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(ImageFormat, format);
    QFETCH(bool, d60);
    QFETCH(ImageReadStatus, status);
    QFETCH(QList<int>, offsetsAndValues);
    QFETCH(int, skipped);
    QFETCH(QString, message);
    QVERIFY(!file.isEmpty());
    const ChipWindow window = d60 ? D60 : B32;
    QBuffer device(&file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    const ImageLoadResult loaded = loadImageDevice(device, format, window);
    QCOMPARE(loaded.status, status);
    QCOMPARE(loaded.format, format);
    QCOMPARE(loaded.status == ImageReadStatus::Ok ? loadNotice(loaded, window)
                                                  : refusedContentMessage(loaded, window),
             message);
    if (status == ImageReadStatus::Ok) {
        QByteArray expected = erased(window.size);
        for (int i = 0; i + 1 < offsetsAndValues.size(); i += 2)
            expected[offsetsAndValues[i]] = char(offsetsAndValues[i + 1]);
        QCOMPARE(loaded.bytes, expected);
        QCOMPARE(loaded.skipped, skipped);
    } else {
        QVERIFY(loaded.bytes.isEmpty());
    }

    // By content, and in pieces cut inside the ELF identification and past it.
    QCOMPARE(formatFromContent(file), format);
    const DecodedImage whole = decodeImage(file, std::nullopt, window);
    for (const qsizetype cut : {qsizetype(3), file.size() / 3}) {
        ImageDecoder decoder(std::nullopt, window);
        if (decoder.feed(QByteArrayView(file).first(cut)))
            (void)decoder.feed(QByteArrayView(file).sliced(cut));
        const DecodedImage pieces = decoder.finish();
        QCOMPARE(pieces.status, whole.status);
        QCOMPARE(pieces.bytes, whole.bytes);
        QCOMPARE(pieces.reason, whole.reason);
        QCOMPARE(pieces.offsetBased, whole.offsetBased);
    }
}

QTEST_GUILESS_MAIN(TestAddressedFiles)
#include "tst_addressedfiles.moc"

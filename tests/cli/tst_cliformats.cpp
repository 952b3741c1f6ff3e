// kestrel-cli's core against simulated adapters on a virtual clock: the file formats read and
// written, their errors, and every exit code from a real cause.

#include "cli_app_fixture.h"
#include "full_disk.h"

using namespace kestrel;
using namespace kestrel::cli;
using kestrel::testsupport::FakeLine;
using kestrel::testsupport::VirtualClock;
using namespace kestrel::clitest;

class TestCliFormats : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void formats_data();
    void formats();
    void formatErrors_data();
    void formatErrors();
    void exitCodes_data();
    void exitCodes();
    void fullDisk_data();
    void fullDisk();
    void emptyImage_data();
    void emptyImage();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    [[nodiscard]] QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestCliFormats::initTestCase()
{
    // As kestrel-cli's start-up: "SYMULATOR" among the ports.
    sim::PortSimulators().registerTransport();
}

void TestCliFormats::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliFormats::formats_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fileName"); // "-": standard input or output
    QTest::addColumn<QString>("format");   // --format, or empty
    QTest::addColumn<int>("encoding");     // the file's ImageFormat
    QTest::addColumn<QByteArray>("head");  // the image's first bytes, random when empty
    for (bool d60 : {false, true}) {
        const QByteArray chip = d60 ? "68HC12D60 " : "68HC12B32 ";
        QTest::newRow(chip + "read .s19") << d60 << "read"
                                          << "chip.s19"
                                          << "" << int(ImageFormat::SRecord) << QByteArray();
        QTest::newRow(chip + "read .hex") << d60 << "read"
                                          << "chip.hex"
                                          << "" << int(ImageFormat::IntelHex) << QByteArray();
        QTest::newRow(chip + "read .bin") << d60 << "read"
                                          << "chip.bin"
                                          << "" << int(ImageFormat::Raw) << QByteArray();
        QTest::newRow(chip + "read - srec") << d60 << "read"
                                            << "-"
                                            << "srec" << int(ImageFormat::SRecord) << QByteArray();
        QTest::newRow(chip + "program srec by content")
            << d60 << "program"
            << "image.txt"
            << "" << int(ImageFormat::SRecord) << QByteArray();
        QTest::newRow(chip + "program ihex by content")
            << d60 << "program"
            << "image.dat"
            << "" << int(ImageFormat::IntelHex) << QByteArray();
        QTest::newRow(chip + "program - ihex")
            << d60 << "program"
            << "-"
            << "ihex" << int(ImageFormat::IntelHex) << QByteArray();
        QTest::newRow(chip + "verify srec") << d60 << "verify"
                                            << "image.s19"
                                            << "" << int(ImageFormat::SRecord) << QByteArray();
        QTest::newRow(chip + "verify ihex") << d60 << "verify"
                                            << "image.ihx"
                                            << "" << int(ImageFormat::IntelHex) << QByteArray();
        QTest::newRow(chip + "verify - bin") << d60 << "verify"
                                             << "-"
                                             << "bin" << int(ImageFormat::Raw) << QByteArray();
    }
    // A name ending in .bin is raw whatever it holds; --format overrides the name.
    QTest::newRow("68HC12B32 program --format srec x.bin")
        << false << "program"
        << "x.bin"
        << "srec" << int(ImageFormat::SRecord) << QByteArray();
    // Raw images that start like text: raw unless the name names a format.
    for (const auto& [name, head] : {std::pair{"serial.eep", "S20231105"},
                                     {"colon.img", ":10A"},
                                     {"dump", "S9AB"},
                                     {"nl.dat", "\nS1FF"}})
        QTest::addRow("68HC12B32 program %s, raw", name)
            << false << "program" << name << "" << int(ImageFormat::Raw) << QByteArray(head);
    QTest::newRow("68HC12D60 program --format bin x.s19")
        << true << "program"
        << "x.s19"
        << "bin" << int(ImageFormat::Raw) << QByteArray("S1");
}

void TestCliFormats::formats()
{
    QFETCH(bool, d60);
    QFETCH(QString, command);
    QFETCH(QString, fileName);
    QFETCH(QString, format);
    QFETCH(int, encoding);
    QFETCH(QByteArray, head);
    const Chip chip = chipCase(d60);
    const ChipWindow window{chip.base, chip.size};
    const QByteArray image = head + randomBytes(chip.size - int(head.size()), 31);
    const QByteArray encoded = encodeImage(image, ImageFormat(encoding), window);
    Harness h;
    h.addSimulators(chip.kind, 1);
    if (command != QLatin1String("program"))
        QVERIFY(h.sims[0]->modify([&](sim::Target& t) {
            return t.loadEeprom({image.begin(), image.end()});
        }));
    const bool stream = fileName == QLatin1String("-");
    const QString file = stream ? fileName : path(fileName);
    if (command != QLatin1String("read")) {
        if (stream)
            h.in = encoded;
        else
            writeFile(file, encoded);
    }
    QStringList args{command,
                     QStringLiteral("--chip"),
                     chip.name,
                     QStringLiteral("--port"),
                     QStringLiteral("SYMULATOR"),
                     file};
    if (!format.isEmpty())
        args << QStringLiteral("--format") << format;
    QCOMPARE(h.run(args), int(ExitOk));
    if (command == QLatin1String("read")) {
        const QByteArray written = stream ? h.out : readFile(file);
        QCOMPARE(written, encoded);
        const DecodedImage back = decodeImage(written, ImageFormat(encoding), window);
        QVERIFY(back.ok());
        QCOMPARE(back.bytes, image);
    } else {
        QCOMPARE(eepromOf(*h.sims[0]), image);
    }
}

void TestCliFormats::formatErrors_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("programmed"); // the chip afterwards, from 0D00
    const QByteArray data = QByteArray::fromHex("00112233445566778899AABBCCDDEEFF");
    const QByteArray erased(768, char(0xFF));
    QByteArray bad = s1Record(0x0D10, data);
    bad[bad.size() - 3] = bad[bad.size() - 3] == '0' ? '1' : '0'; // checksum digit
    const QByteArray badThird = "S0030000FC\r\n" + s1Record(0x0D00, data) + bad + "S9030000FC\r\n";
    QTest::newRow("bad checksum names line 3")
        << "firmware.s19" << badThird << int(ExitFile) << QStringLiteral("Błąd w pliku, wiersz 3: ")
        << erased;
    QTest::newRow("no byte for the EEPROM")
        << "firmware.s19" << s1Record(0x8000, data) + "S9030000FC\r\n"
        << int(ExitFile) << QStringLiteral("Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)")
        << erased;
    QTest::newRow("flash data left out, EEPROM data programmed")
        << "firmware.s19"
        << s1Record(0x8000, data) + s1Record(0x0D20, data) + s1Record(0x0FF8, data.left(8)) +
               "S9030000FC\r\n"
        << int(ExitOk)
        << QStringLiteral("kestrel-cli: Pominięto 16 bajtów spoza EEPROM (0D00-0FFF)")
        << erased.left(0x20) + data + erased.mid(0x30, 0x2F8 - 0x30) + data.left(8);
    // Without a record name a file that is not records throughout is raw.
    QTest::newRow("bad checksum, no record name: programmed raw")
        << "firmware.txt" << badThird << int(ExitOk) << QString()
        << badThird + erased.mid(badThird.size());
    QTest::newRow("bad checksum, no record name, larger than the chip")
        << "firmware.txt" << s1Record(0x0D00, data).repeated(20) + bad << int(ExitFile)
        << QStringLiteral("firmware.txt: Rozmiar pliku przekracza pojemnosc pamieci EEPROM !")
        << erased;
    using testsupport::ElfSection;
    const QByteArray elf = testsupport::elfFile(
        {{ElfSection{".text", 0x8000, data}, ElfSection{".eeprom", 0x0D20, data}}});
    QTest::newRow("ELF: EEPROM section programmed, code left out")
        << "firmware.elf" << elf << int(ExitOk)
        << QStringLiteral("kestrel-cli: Pominięto 16 bajtów spoza EEPROM (0D00-0FFF)")
        << erased.left(0x20) + data + erased.mid(0x30);
    QTest::newRow("ELF by its content, counted from 0")
        << "firmware" << testsupport::elfFile({{ElfSection{".eeprom", 0x0010, data}}})
        << int(ExitOk) << QStringLiteral("kestrel-cli: Adresy w pliku liczone od początku EEPROM")
        << erased.left(0x10) + data + erased.mid(0x20);
    QTest::newRow("ELF truncated")
        << "firmware.out" << elf.left(elf.size() - 10) << int(ExitFile)
        << QStringLiteral("firmware.out: Błąd w pliku: plik ELF uszkodzony lub niepełny") << erased;
}

void TestCliFormats::formatErrors()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    QFETCH(QString, message);
    QFETCH(QByteArray, programmed);
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 1);
    const QString file = path(name);
    writeFile(file, content);
    QCOMPARE(
        h.run({QStringLiteral("program"), QStringLiteral("--chip"), QStringLiteral("68HC12B32"),
               QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file}),
        expected);
    QVERIFY2(h.errText().contains(message), qPrintable(h.errText()));
    QCOMPARE(eepromOf(*h.sims[0]), programmed);
    if (expected != ExitOk)
        QCOMPARE(h.framesSent(), std::size_t{0});
}

void TestCliFormats::exitCodes_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("cause");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("anyFrame"); // whether anything reached the adapter
    enum Cause
    {
        Silent,
        OpenFails,
        SpeedRefused,
        HangUp,
        WordMissing,
        NoInputFile,
        InputTooLarge,
        OutputUnwritable,
        LogUnwritable,
        None,
    };
    const QString B32 = QStringLiteral("68HC12B32");
    const QString D60 = QStringLiteral("68HC12D60");
    const QString read = QStringLiteral("read");
    const QString program = QStringLiteral("program");
    QTest::newRow("read, silent adapter")
        << read << B32 << int(Silent) << int(ExitNoAdapter) << link::readNoAdapterMessage() << true;
    QTest::newRow("program, silent adapter") << program << D60 << int(Silent) << int(ExitNoAdapter)
                                             << link::programNoAdapterMessage() << true;
    QTest::newRow("port does not open")
        << read << B32 << int(OpenFails) << int(ExitPort) << link::portFailedMessage() << false;
    QTest::newRow("12800 refused") << program << B32 << int(SpeedRefused) << int(ExitPort)
                                   << link::speedUnsupportedMessage() << false;
    QTest::newRow("hang-up in a read")
        << read << D60 << int(HangUp) << int(ExitTransfer) << link::lineBrokenMessage() << true;
    QTest::newRow("hang-up in programming")
        << program << B32 << int(HangUp) << int(ExitTransfer) << link::lineBrokenMessage() << true;
    // Which word the read names, and how, is the read workers' business.
    QTest::newRow("word never answered") << read << B32 << int(WordMissing) << int(ExitTransfer)
                                         << QStringLiteral(": Odczyt przerwany: ") << true;
    QTest::newRow("unsupported chip, read")
        << read << QStringLiteral("68HC05") << int(None) << int(ExitNotSupported)
        << link::notSupportedMessage() << false;
    QTest::newRow("unsupported chip, program")
        << program << QStringLiteral("68HC908AS60") << int(None) << int(ExitNotSupported)
        << link::notSupportedMessage() << false;
    QTest::newRow("unsupported chip, check")
        << QStringLiteral("check") << QStringLiteral("68HC05") << int(None)
        << int(ExitNotSupported) << link::notSupportedMessage() << false;
    QTest::newRow("input file missing") << program << B32 << int(NoInputFile) << int(ExitFile)
                                        << QStringLiteral("Nie można odczytać pliku") << false;
    QTest::newRow("input file too large")
        << program << B32 << int(InputTooLarge) << int(ExitFile)
        << QStringLiteral("Rozmiar pliku przekracza pojemnosc pamieci EEPROM !") << false;
    QTest::newRow("output folder missing") << read << D60 << int(OutputUnwritable) << int(ExitFile)
                                           << QStringLiteral("Nie można zapisać pliku") << false;
    QTest::newRow("log folder missing") << program << B32 << int(LogUnwritable) << int(ExitFile)
                                        << QStringLiteral("Nie można zapisać pliku") << false;
}

void TestCliFormats::exitCodes()
{
    QFETCH(QString, command);
    QFETCH(QString, chip);
    QFETCH(int, cause);
    QFETCH(int, expected);
    QFETCH(QString, message);
    QFETCH(bool, anyFrame);
    enum Cause
    {
        Silent,
        OpenFails,
        SpeedRefused,
        HangUp,
        WordMissing,
        NoInputFile,
        InputTooLarge,
        OutputUnwritable,
        LogUnwritable,
        None,
    };
    Harness h;
    sim::Faults faults;
    faults.silent = cause == Silent;
    faults.hangUpAfterFrames = cause == HangUp ? 40 : 0;
    faults.missingWord = cause == WordMissing ? 5 : -1;
    h.addSimulators(chip == QLatin1String("68HC12D60") ? sim::ChipKind::D60 : sim::ChipKind::B32, 1,
                    faults);
    if (cause == OpenFails || cause == SpeedRefused) {
        h.line = [cause](int, VirtualClock& clock) {
            auto line = std::make_unique<FakeLine>(clock);
            line->setOpenStatus(cause == OpenFails ? link::OpenStatus::Failed
                                                   : link::OpenStatus::SpeedUnsupported);
            return line;
        };
    }
    QString file = path(QStringLiteral("image.bin"));
    if (command == QLatin1String("program") && cause != NoInputFile)
        writeFile(file, randomBytes(cause == InputTooLarge ? 769 : 512, 5));
    if (cause == OutputUnwritable)
        file = path(QStringLiteral("no/such/folder/image.bin"));

    QStringList args{command,
                     QStringLiteral("--chip"),
                     chip,
                     QStringLiteral("--port"),
                     QStringLiteral("/dev/ttyUSB7"),
                     file};
    if (cause == LogUnwritable)
        args << QStringLiteral("--log") << path(QStringLiteral("no/such/folder/run.jsonl"));
    if (command == QLatin1String("check")) // it takes no file
        args.removeLast();
    const int code = h.run(args);
    QCOMPARE(code, expected);
    QVERIFY2(h.errText().contains(message), qPrintable(h.errText()));
    QCOMPARE(h.framesSent() > 0, anyFrame);
    if (anyFrame) // every session the adapter saw ended with CMD_END, unless the line was gone
        QVERIFY(cause == HangUp || lastFrameCommand(*h.sims[0]) == link::CMD_END);
    if (command == QLatin1String("read")) // no file without a complete read
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(h.out.isEmpty());
}

void TestCliFormats::fullDisk_data()
{
    // Every file named goes to the full disk, where "kept" holds its former content.
    QTest::addColumn<QStringList>("args"); // {in}: an image in the test's folder
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("message");
    const QString B32 = QStringLiteral("68HC12B32");
    QTest::newRow("convert")
        << QStringList{"convert", "--chip", B32, "{in}", "a.s19"} << "a.s19"
        << "Nie można zapisać pliku: {disk}/a.s19: Brak miejsca na dysku";
    QTest::newRow("read") << QStringList{"read", "--chip", B32, "--port", "SYMULATOR", "a.bin"}
                          << "a.bin" << "Nie można zapisać pliku: {disk}/a.bin: Brak miejsca na dysku";
    QTest::newRow("backup")
        << QStringList{"program", "--chip", B32, "--port", "SYMULATOR", "--backup", "k.hex", "{in}"}
        << "k.hex" << "Nie można zapisać kopii: {disk}/k.hex: Brak miejsca na dysku";
    // The log's last block has room for a part of the line: the part is cut off again.
    QTest::newRow("log") << QStringList{"verify", "--chip", B32, "--port", "SYMULATOR", "--log",
                                        "run.jsonl", "{in}"}
                         << "run.jsonl" << "Nie można zapisać pliku: {disk}/run.jsonl: Brak miejsca";
}

void TestCliFormats::fullDisk()
{
    QFETCH(QStringList, args);
    QFETCH(QString, kept);
    QFETCH(QString, message);
    testsupport::FullDisk disk;
    if (!disk.mounted())
        QSKIP(qPrintable(disk.skipReason()));
    // Whole lines that leave 10 bytes free in the file's last 4 KiB block.
    const QByteArray old = QByteArray(4085, 'o') + '\n';
    writeFile(disk.filePath(kept), old);
    QVERIFY(disk.fill());
    const QStringList before = disk.names();
    const QByteArray chip = randomBytes(768, 3);
    writeFile(path(QStringLiteral("in.bin")), chip);
    for (QString& a : args)
        a = a == QLatin1String("{in}")              ? path(QStringLiteral("in.bin"))
            : a.contains(u'.') && !a.startsWith(u'-') ? disk.filePath(a)
                                                    : a;
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 1);
    QVERIFY(h.sims[0]->modify([&](sim::Target& t) { return t.loadEeprom({chip.begin(), chip.end()}); }));
    QCOMPARE(h.run(args), int(ExitFile));
    message.replace(QStringLiteral("{disk}"), disk.path());
    QVERIFY2(h.errText().contains(message), qPrintable(h.errText()));
    QVERIFY2(!h.errText().contains(QStringLiteral("Gotowe")), qPrintable(h.errText()));
    QCOMPARE(readFile(disk.filePath(kept)), old);
    QCOMPARE(disk.names(), before);
    QCOMPARE(eepromOf(*h.sims[0]), chip); // a backup that failed programs nothing
}

void TestCliFormats::emptyImage_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("file"); // "-": standard input
    for (const char* command : {"program", "verify"}) {
        QTest::addRow("%s, raw file", command) << command << "empty.bin";
        QTest::addRow("%s, S-record file", command) << command << "empty.s19";
        QTest::addRow("%s, standard input", command) << command << "-";
    }
}

void TestCliFormats::emptyImage()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    if (file != QLatin1String("-"))
        writeFile(file = path(file), QByteArray());
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 1);
    QCOMPARE(h.run({command, "--chip", "68HC12B32", "--port", "SYMULATOR", file}), int(ExitFile));
    const QString shown = file == QLatin1String("-") ? QStringLiteral("standardowe wejście") : file;
    QCOMPARE(h.errText(), QStringLiteral("kestrel-cli: %1: Plik obrazu jest pusty\n").arg(shown));
    QCOMPARE(h.framesSent(), std::size_t{0});
}

QTEST_GUILESS_MAIN(TestCliFormats)
#include "tst_cliformats.moc"

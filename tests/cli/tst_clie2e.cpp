// kestrel-cli as a process, in real time, against kestrel-sim on pseudo-terminals: reads of both
// chips, exit codes from real causes, and a signal in mid-transfer.

#include "cli_process.h"
#include "image_formats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <random>
#include <sys/stat.h>

using kestrel::testsupport::CliRun;
using kestrel::testsupport::runCli;
using kestrel::testsupport::runCliPatiently;
using kestrel::testsupport::SimProcess;

namespace {

const QString Cli = QStringLiteral(KESTREL_CLI_PATH);
const QString Sim = QStringLiteral(KESTREL_SIM_PATH);

QByteArray randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray out(size, '\0');
    for (char& b : out)
        b = static_cast<char>(random());
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestCliE2E : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void readsTheChip_data();
    void readsTheChip();
    void verifies_data();
    void verifies();
    void exitCodes_data();
    void exitCodes();
    void signalStopsTheTransfer_data();
    void signalStopsTheTransfer();
    void standardStreams_data();
    void standardStreams();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliE2E::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliE2E::readsTheChip_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("base");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format");
    QTest::newRow("68HC12B32 to S-record") << QStringLiteral("68HC12B32") << 768 << 0x0D00
                                           << "chip.s19" << int(kestrel::ImageFormat::SRecord);
    QTest::newRow("68HC12D60 to Intel HEX") << QStringLiteral("68HC12D60") << 1024 << 0x0C00
                                            << "chip.hex" << int(kestrel::ImageFormat::IntelHex);
}

void TestCliE2E::readsTheChip()
{
    QFETCH(QString, chip);
    QFETCH(int, size);
    QFETCH(int, base);
    QFETCH(QString, fileName);
    QFETCH(int, format);
    const QByteArray content = randomBytes(size, 9);
    const QString preload = m_dir->filePath(QStringLiteral("preload.bin"));
    QVERIFY(writeFile(preload, content));
    SimProcess sim(Sim, chip, m_dir->path(), QStringLiteral("adapter"),
                   {QStringLiteral("--eeprom"), preload});
    QVERIFY(sim.serving());
    const QString out = m_dir->filePath(fileName);
    const CliRun run = runCliPatiently(Cli, {QStringLiteral("read"), QStringLiteral("--chip"), chip,
                                             QStringLiteral("--port"), sim.link(), out});
    QVERIFY(sim.stop());
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const kestrel::ChipWindow window{base, size};
    QCOMPARE(readFile(out), kestrel::encodeImage(content, kestrel::ImageFormat(format), window));
    QVERIFY2(run.err.contains(sim.link() + QStringLiteral(": Odczyt EEPROM: 100%")),
             qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    qInfo("%s read in %lld ms", qPrintable(chip), run.ms);
}

void TestCliE2E::verifies_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("program"); // program --verify, else verify of a preloaded chip
    QTest::addColumn<QStringList>("simOptions");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("68HC12D60 verify from Intel HEX, equal")
        << QStringLiteral("68HC12D60") << 1024 << false << QStringList{} << 0
        << QStringLiteral("Zawartość EEPROM zgodna z buforem");
    QTest::newRow("68HC12B32 program --verify from S-record, stuck cell")
        << QStringLiteral("68HC12B32") << 768 << true << QStringList{"--stuck", "0D10=5A"} << 6
        << QStringLiteral("EEPROM różni się od bufora w 1 bajtach. Pierwszy pod adresem 0D10: w "
                          "układzie 5A, w buforze A5");
}

void TestCliE2E::verifies()
{
    QFETCH(QString, chip);
    QFETCH(int, size);
    QFETCH(bool, program);
    QFETCH(QStringList, simOptions);
    QFETCH(int, expected);
    QFETCH(QString, message);
    QByteArray image = randomBytes(size, 13);
    image[0x10] = char(0xA5);
    const QString raw = m_dir->filePath(QStringLiteral("image.bin"));
    QVERIFY(writeFile(raw, image));
    if (!program)
        simOptions << QStringLiteral("--eeprom") << raw;
    // The command line takes the image as a record file, told by its content.
    const kestrel::ChipWindow window{size == 768 ? 0x0D00 : 0x0C00, size};
    const QString file = m_dir->filePath(QStringLiteral("image.txt"));
    QVERIFY(writeFile(file, kestrel::encodeImage(image,
                                                 program ? kestrel::ImageFormat::SRecord
                                                         : kestrel::ImageFormat::IntelHex,
                                                 window)));
    SimProcess sim(Sim, chip, m_dir->path(), QStringLiteral("adapter"), simOptions);
    QVERIFY(sim.serving());
    QStringList args{program ? QStringLiteral("program") : QStringLiteral("verify"),
                     QStringLiteral("--chip"),
                     chip,
                     QStringLiteral("--port"),
                     sim.link(),
                     file};
    if (program)
        args << QStringLiteral("--verify");
    const CliRun run = runCliPatiently(Cli, args, 90000);
    QVERIFY(sim.stop());
    QCOMPARE(run.exitCode, expected);
    QVERIFY2(run.err.contains(sim.link() + QStringLiteral(": ") + message), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral(": Weryfikacja: 100%")), qPrintable(run.err));
    QVERIFY2(sim.summary().contains(QStringLiteral(" 0 protocol violation(s)")),
             qPrintable(sim.summary()));
    qInfo("%s in %lld ms", QTest::currentDataTag(), run.ms);
}

void TestCliE2E::exitCodes_data()
{
    QTest::addColumn<QStringList>("simOptions"); // empty: no kestrel-sim
    QTest::addColumn<QStringList>("args");       // PORT stands for the simulator's link
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message");
    const QString B32 = QStringLiteral("68HC12B32");
    QTest::newRow("usage: no FILE")
        << QStringList{} << QStringList{"read", "--chip", B32, "--port", "SYMULATOR"} << 1
        << "brak argumentu PLIK";
    QTest::newRow("file: missing input")
        << QStringList{} << QStringList{"program", "--chip", B32, "--port", "SYMULATOR", "none.bin"}
        << 2 << "Nie można odczytać pliku";
    QTest::newRow("port: no such device")
        << QStringList{} << QStringList{"read", "--chip", B32, "--port", "/dev/kestrel-none", "x"}
        << 3 << "kestrel-cli: /dev/kestrel-none: Niewłaściwa nazwa portu lub port jest aktywny !!";
    QTest::newRow("no adapter: silent")
        << QStringList{"--silent"} << QStringList{"read", "--chip", B32, "--port", "PORT", "x"} << 4
        << "BLAD KOMUUNIKACJI !!";
    QTest::newRow("transfer: hang-up") << QStringList{"--hang-up-after", "40"}
                                       << QStringList{"read", "--chip", B32, "--port", "PORT", "x"}
                                       << 5 << "Utracono połączenie z portem – operacja przerwana";
    QTest::newRow("not supported")
        << QStringList{} << QStringList{"read", "--chip", "68HC11K4", "--port", "SYMULATOR", "x"}
        << 7 << "kestrel-cli: SYMULATOR: W wersji 1.0 układ nie jest obsługiwany";
}

void TestCliE2E::exitCodes()
{
    QFETCH(QStringList, simOptions);
    QFETCH(QStringList, args);
    QFETCH(int, expected);
    QFETCH(QString, message);
    std::unique_ptr<SimProcess> sim;
    if (!simOptions.isEmpty()) {
        sim = std::make_unique<SimProcess>(Sim, QStringLiteral("68HC12B32"), m_dir->path(),
                                           QStringLiteral("adapter"), simOptions);
        QVERIFY(sim->serving());
        args.replaceInStrings(QRegularExpression(QStringLiteral("^PORT$")), sim->link());
    }
    // Files are named inside the test's folder.
    args.last() = m_dir->filePath(args.last());
    const CliRun run = runCli(Cli, args);
    if (sim)
        sim->stop();
    QCOMPARE(run.exitCode, expected);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(QDir(m_dir->path()).entryList({QStringLiteral("x*")}, QDir::Files), QStringList());
}

void TestCliE2E::signalStopsTheTransfer_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("afterMs");
    QTest::newRow("SIGINT in a read") << int(SIGINT) << QStringLiteral("read") << 1500;
    QTest::newRow("SIGTERM while the chip writes")
        << int(SIGTERM) << QStringLiteral("program") << 8000;
}

void TestCliE2E::signalStopsTheTransfer()
{
    QFETCH(int, signal);
    QFETCH(QString, command);
    QFETCH(int, afterMs);
    SimProcess sim(Sim, QStringLiteral("68HC12B32"), m_dir->path(), QStringLiteral("adapter"));
    QVERIFY(sim.serving());
    const QString file = m_dir->filePath(QStringLiteral("image.bin"));
    if (command == QLatin1String("program"))
        QVERIFY(writeFile(file, randomBytes(768, 4)));
    const QByteArray before = readFile(file);

    QProcess cli;
    cli.start(Cli, {command, QStringLiteral("--chip"), QStringLiteral("68HC12B32"),
                    QStringLiteral("--port"), sim.link(), file});
    QVERIFY(cli.waitForStarted());
    QVERIFY(!cli.waitForFinished(afterMs));
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(cli.processId()), signal);
    QVERIFY(cli.waitForFinished(10000));
    const qint64 stopMs = timer.elapsed();
    QVERIFY(sim.stop());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
    QCOMPARE(cli.exitCode(), 5);
    // At the next frame: well under a second (about 70 ms); the bound only guards against a
    // hang on a busy machine. The closed session below shows where it stopped.
    QVERIFY2(stopMs < 10000, qPrintable(QStringLiteral("%1 ms").arg(stopMs)));
    QVERIFY2(err.contains(QStringLiteral("Przerwano")), qPrintable(err));
    // The adapter's session ended with CMD_END; nothing was left half-written.
    const QStringList frames = sim.transcriptFrames();
    QVERIFY(!frames.isEmpty());
    QVERIFY2(frames.last().contains(QStringLiteral("5C 00 00 00 00")), qPrintable(frames.last()));
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left.filter(QStringLiteral("image")),
             command == QLatin1String("read") ? QStringList() : QStringList{"image.bin"});
    QCOMPARE(readFile(file), before);
    qInfo("stopped %lld ms after the signal", stopMs);
}

void TestCliE2E::standardStreams_data()
{
    // A shell runs kestrel-cli ("$0") in the test's folder, where in.s19 holds the image with
    // 16 bytes below the EEPROM, so that a notice is written while o.bin is open.
    QTest::addColumn<QString>("script");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("message"); // on standard error; empty: nothing there
    QTest::addColumn<QByteArray>("output"); // the file the image must be in, else none
    const QString convert = QStringLiteral("exec \"$0\" convert --chip 68HC12B32 ");
    QTest::newRow("convert to a full standard output")
        << convert + "in.s19 - >/dev/full" << 2
        << "kestrel-cli: Nie można zapisać pliku: standardowe wyjście: Brak miejsca na dysku\n"
        << QByteArray();
    QTest::newRow("read to a full standard output")
        << "exec \"$0\" read --chip 68HC12B32 --port SYMULATOR - >/dev/full" << 2
        << "Nie można zapisać pliku: standardowe wyjście: Brak miejsca na dysku" << QByteArray();
    QTest::newRow("standard output and error closed")
        << convert + "in.s19 o.bin 2>&- >&-" << 0 << "" << QByteArray("o.bin");
    // An English system: the help and the errors in English; what scripts read is the same.
    QTest::newRow("English help")
        << "LANGUAGE=en exec \"$0\" --help >&2" << 0
        << "Read, program and verify the EEPROM of 68HC12 chips through the programming adapter."
           "\n\nCommands:\n"
        << QByteArray();
    QTest::newRow("English error")
        << "LANGUAGE=en exec \"$0\" read --chip 68HC99 --port SYMULATOR o.bin" << 1
        << "kestrel-cli: --chip: unknown chip \u201c68HC99\u201d (\"kestrel-cli chips\" lists "
           "them)\nkestrel-cli: \"kestrel-cli --help\" describes the commands and options\n"
        << QByteArray();
    QTest::newRow("English full standard output")
        << "LANGUAGE=en " + convert + "in.s19 - >/dev/full" << 2
        << "kestrel-cli: Cannot write the file: standard output: No space left on the disk\n"
        << QByteArray();
    // check's JSON holds the diagnosis as a person reads it: Polish in both.
    QTest::newRow("the same JSON in Polish and in English")
        << "c='check --chip 68HC12B32 --port /dev/kestrel-no-such-port --json';"
           " pl=$(LANGUAGE=pl \"$0\" $c 2>/dev/null); en=$(LANGUAGE=en \"$0\" $c 2>/dev/null);"
           " [ \"$pl\" = \"$en\" ] && [ \"${pl#*Niewłaściwa nazwa portu}\" != \"$pl\" ]"
        << 0 << "" << QByteArray();
    // Names in Latin-2, which are not UTF-8.
    QTest::newRow("names that are not UTF-8")
        << "cp in.s19 \"$(printf 'w\\352j\\266cie.s19')\" && " + convert +
               "\"$(printf 'w\\352j\\266cie.s19')\" \"$(printf 'wyj\\266cie.bin')\" 2>/dev/null"
        << 0 << "" << QByteArray("wyj\xB6" "cie.bin");
}

void TestCliE2E::standardStreams()
{
    QFETCH(QString, script);
    QFETCH(int, expected);
    QFETCH(QString, message);
    QFETCH(QByteArray, output);
    const kestrel::ChipWindow window{0x0D00, 768};
    const QByteArray image = randomBytes(768, 21);
    QByteArray records = "S1130C00000102030405060708090A0B0C0D0E0F68\r\n";
    for (const QByteArray& line :
         kestrel::encodeImage(image, kestrel::ImageFormat::SRecord, window).split('\n'))
        if (!line.startsWith("S5") && !line.isEmpty()) // the record count would be one short
            records += line + '\n';
    QVERIFY(writeFile(m_dir->filePath(QStringLiteral("in.s19")), records));
    QProcess shell;
    shell.setWorkingDirectory(m_dir->path());
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, Cli});
    QVERIFY(shell.waitForFinished(60000));
    const QString err = QString::fromUtf8(shell.readAllStandardError());
    QCOMPARE(shell.exitCode(), expected);
    if (message.isEmpty())
        QCOMPARE(err, QString());
    QVERIFY2(err.contains(message), qPrintable(err));
    QVERIFY2(!err.contains(QStringLiteral("Gotowe")), qPrintable(err));
    if (!output.isEmpty()) {
        const QByteArray name = QFile::encodeName(m_dir->path()) + '/' + output;
        struct stat st
        {
        };
        QCOMPARE(::stat(name.constData(), &st), 0);
        QFile file;
        QVERIFY(file.open(::fopen(name.constData(), "rb"), QIODevice::ReadOnly,
                          QFileDevice::AutoCloseHandle));
        QCOMPARE(file.readAll(), image); // the image alone, no message in it
    }
}

QTEST_GUILESS_MAIN(TestCliE2E)
#include "tst_clie2e.moc"

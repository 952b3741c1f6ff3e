// kestrel-cli's convert and a production line (patches, serial numbers, the log) against
// simulated adapters on a virtual clock.

#include "board_images.h"
#include "cli_harness.h"
#include "elf_writer.h"
#include "exit_codes.h"
#include "image_crc.h"
#include "image_formats.h"
#include "sim_transport.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace kestrel;
using namespace kestrel::cli;
using namespace kestrel::clitest;

Q_DECLARE_METATYPE(kestrel::sim::Faults)

class TestCliLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void convert_data();
    void convert();
    void productionLine_data();
    void productionLine();
    void diff_data();
    void diff();
    void crcOfOneBoard();
    void adapterCheck_data();
    void adapterCheck();
    void traceFiles();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    [[nodiscard]] QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestCliLine::initTestCase()
{
    sim::PortSimulators().registerTransport();
}

void TestCliLine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliLine::convert_data()
{
    QTest::addColumn<QString>("input"); // "-": standard input
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("output"); // "-": standard output
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("written");     // the format of what is written
    QTest::addColumn<QString>("message"); // on standard error
    const ChipWindow b32{0x0D00, 768};
    const QByteArray image = randomBytes(768, 41);
    const QByteArray elf =
        testsupport::elfFile({{testsupport::ElfSection{".eeprom", 0x0D00, image},
                               testsupport::ElfSection{".text", 0x8000, image.left(8)}}});
    const auto S = int(ImageFormat::SRecord);
    const auto I = int(ImageFormat::IntelHex);
    const auto R = int(ImageFormat::Raw);
    QTest::newRow("ELF to S-record") << "fw.elf" << elf << "fw.s19" << QStringList{} << int(ExitOk)
                                     << S << "Pominięto 8 bajtów spoza EEPROM (0D00-0FFF)";
    QTest::newRow("ELF from standard input, by content, to Intel HEX")
        << "-" << elf << "fw.hex" << QStringList{} << int(ExitOk) << I << "Pominięto 8";
    QTest::newRow("S-record to raw") << "fw.s19" << encodeImage(image, ImageFormat::SRecord, b32)
                                     << "fw.bin" << QStringList{} << int(ExitOk) << R << "";
    QTest::newRow("Intel HEX counted from 0 to S-records on standard output")
        << "fw.hex" << encodeImage(image, ImageFormat::IntelHex, ChipWindow{0, 768}) << "-"
        << QStringList{"--format", "srec"} << int(ExitOk) << S
        << "Adresy w pliku liczone od początku EEPROM";
    QTest::newRow("raw to Intel HEX named otherwise, quiet")
        << "fw.bin" << image << "fw.txt" << QStringList{"--format", "ihex", "-q"} << int(ExitOk)
        << I << "";
    QTest::newRow("input missing") << "none.s19" << QByteArray() << "fw.hex" << QStringList{}
                                   << int(ExitFile) << -1 << "Nie można odczytać pliku";
    QTest::newRow("input refused") << "fw.s19" << QByteArray("S1070D0001020304E2\r\n") << "fw.hex"
                                   << QStringList{} << int(ExitFile) << -1 << "zła suma kontrolna";
    QTest::newRow("output folder missing") << "fw.elf" << elf << "no/such/fw.hex" << QStringList{}
                                           << int(ExitFile) << -1 << "Nie można zapisać pliku";
    QTest::newRow("output in ELF") << "fw.s19" << encodeImage(image, ImageFormat::SRecord, b32)
                                   << "fw.elf" << QStringList{} << int(ExitUsage) << -1 << "ELF";
}

void TestCliLine::convert()
{
    QFETCH(QString, input);
    QFETCH(QByteArray, content);
    QFETCH(QString, output);
    QFETCH(QStringList, extra);
    QFETCH(int, expected);
    QFETCH(int, written);
    QFETCH(QString, message);
    const QByteArray image = randomBytes(768, 41);
    Harness h;
    QString in = input;
    if (input == QLatin1String("-"))
        h.in = content;
    else if (!content.isEmpty())
        writeFile(in = path(input), content);
    else
        in = path(input);
    const QString out = output == QLatin1String("-") ? output : path(output);
    QCOMPARE(h.run(QStringList{QStringLiteral("convert"), QStringLiteral("--chip"),
                               QStringLiteral("68HC12B32"), in, out} +
                   extra),
             expected);
    QVERIFY2(h.errText().contains(message), qPrintable(h.errText()));
    if (extra.contains(QStringLiteral("-q")))
        QCOMPARE(h.errText(), QString());
    if (expected != ExitOk) {
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 input == QLatin1String("-") || content.isEmpty() ? QStringList()
                                                                  : QStringList{input});
        return;
    }
    // What is written is the image in the format asked for, and nothing more.
    const QByteArray file = output == QLatin1String("-") ? h.out : readFile(out);
    const ChipWindow b32{0x0D00, 768};
    QCOMPARE(file, encodeImage(image, ImageFormat(written), b32));
    if (output != QLatin1String("-"))
        QVERIFY(h.out.isEmpty());
}

// A production line: several boards, each with its own serial number and the same patches,
// verified against its own image, each run appending to a shared log.
void TestCliLine::productionLine_data()
{
    QTest::addColumn<int>("boards");
    QTest::addColumn<int>("silentBoard"); // -1: none
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("serials"); // each board's field, from the first address
    QTest::addColumn<int>("serialAt");
    QTest::addColumn<QStringList>("numbers"); // in the table and the JSON
    QTest::newRow("three boards, the example")
        << 3 << -1 << QStringList{"--set", "0D10=DEADBEEF", "--serial", "0FF0:4:1000"}
        << QStringList{"000003E8", "000003E9", "000003EA"} << 0x0FF0
        << QStringList{"1000", "1001", "1002"};
    QTest::newRow("one board gets FIRST, in hex")
        << 1 << -1 << QStringList{"--serial", "0D00:2:0x0102", "--set", "0FFF=00"}
        << QStringList{"0102"} << 0x0D00 << QStringList{"258"};
    QTest::newRow("a silent adapter among two, patches only")
        << 2 << 0 << QStringList{"--set", "0D10=DEADBEEF"} << QStringList{} << -1 << QStringList{};
}

void TestCliLine::productionLine()
{
    QFETCH(int, boards);
    QFETCH(int, silentBoard);
    QFETCH(QStringList, options);
    QFETCH(QStringList, serials);
    QFETCH(int, serialAt);
    QFETCH(QStringList, numbers);
    const QByteArray image = randomBytes(768, 51);
    const QString file = path(QStringLiteral("line.bin"));
    writeFile(file, image);
    const QString log = path(QStringLiteral("line.jsonl"));
    QByteArray patched = image;
    if (options.contains(QStringLiteral("0D10=DEADBEEF")))
        patched.replace(0x10, 4, QByteArray::fromHex("DEADBEEF"));
    if (options.contains(QStringLiteral("0FFF=00")))
        patched[767] = '\0';
    const int expectedCode = silentBoard >= 0 ? int(ExitNoAdapter) : int(ExitOk);

    // Two runs (the second as JSON) share the log.
    for (const bool json : {false, true}) {
        Harness h;
        sim::Faults silent;
        silent.silent = true;
        for (int i = 0; i < boards; ++i)
            h.sims.push_back(std::make_unique<sim::Simulator>(
                sim::ChipKind::B32, i == silentBoard ? silent : sim::Faults{}));
        QStringList args{QStringLiteral("program"), QStringLiteral("--verify"),
                         QStringLiteral("--chip"),  QStringLiteral("68HC12B32"),
                         QStringLiteral("--log"),   log};
        for (int i = 0; i < boards; ++i)
            args << QStringLiteral("--port") << QStringLiteral("/dev/ttyUSB%1").arg(i);
        if (json)
            args << QStringLiteral("--json");
        QCOMPARE(h.run(args + options + QStringList{file}), expectedCode);

        // Each board holds the image, the patches and its own number; verified against it.
        for (int i = 0; i < boards; ++i) {
            QByteArray expected = patched;
            if (!serials.isEmpty())
                expected.replace(serialAt - 0x0D00, serials[i].size() / 2,
                                 QByteArray::fromHex(serials[i].toLatin1()));
            if (i == silentBoard)
                expected = QByteArray(768, char(0xFF));
            QCOMPARE(eepromOf(*h.sims[std::size_t(i)]).toHex(), expected.toHex());
        }
        if (json) {
            const QList<QByteArray> lines = h.out.trimmed().split('\n');
            QCOMPARE(lines.size(), boards);
            for (int i = 0; i < boards; ++i) {
                const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
                QCOMPARE(o.contains(QStringLiteral("serial")), !numbers.isEmpty());
                if (!numbers.isEmpty())
                    QCOMPARE(QString::number(o.value(QStringLiteral("serial")).toInteger()),
                             numbers[i]);
                if (i != silentBoard)
                    QCOMPARE(o.value(QStringLiteral("crc32")).toString(),
                             crc32Text(crc32Of(eepromOf(*h.sims[std::size_t(i)]))));
            }
        } else if (boards > 1) {
            const QStringList rows = QString::fromUtf8(h.out).split(u'\n', Qt::SkipEmptyParts);
            QCOMPARE(rows.size(), boards + 1);
            QCOMPARE(rows[0].endsWith(QStringLiteral("NUMER")), !numbers.isEmpty());
            for (int i = 0; i < boards && !numbers.isEmpty(); ++i)
                QCOMPARE(rows[i + 1].split(u' ', Qt::SkipEmptyParts).last(), numbers[i]);
        }

        // The log: one line per port and run, in the order of the ports.
        QFile logFile(log);
        QVERIFY(logFile.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = logFile.readAll().split('\n');
        QCOMPARE(lines.size(), (json ? 2 : 1) * boards + 1);
        QVERIFY(lines.last().isEmpty());
        for (int i = 0; i < boards; ++i) {
            QJsonParseError error{};
            const QJsonObject o =
                QJsonDocument::fromJson(lines[(json ? boards : 0) + i], &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QVERIFY(
                QDateTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs)
                    .isValid());
            QCOMPARE(o.value(QStringLiteral("port")).toString(),
                     QStringLiteral("/dev/ttyUSB%1").arg(i));
            QCOMPARE(o.value(QStringLiteral("chip")).toString(), QStringLiteral("68HC12B32"));
            QCOMPARE(o.value(QStringLiteral("operation")).toString(),
                     QStringLiteral("program+verify"));
            QCOMPARE(o.value(QStringLiteral("result")).toString(),
                     i == silentBoard ? QStringLiteral("no-adapter") : QStringLiteral("ok"));
            QCOMPARE(o.value(QStringLiteral("exit_code")).toInt(-1),
                     i == silentBoard ? int(ExitNoAdapter) : int(ExitOk));
            QCOMPARE(o.contains(QStringLiteral("serial")), !numbers.isEmpty());
            if (!numbers.isEmpty())
                QCOMPARE(QString::number(o.value(QStringLiteral("serial")).toInteger()),
                         numbers[i]);
            // The CRC-32 of what the board was to hold: on a working board, its EEPROM.
            if (i != silentBoard)
                QCOMPARE(o.value(QStringLiteral("crc32")).toString(),
                         crc32Text(crc32Of(eepromOf(*h.sims[std::size_t(i)]))));
        }
    }
}

void TestCliLine::diff_data()
{
    QTest::addColumn<QByteArray>("second"); // the first file is the image, raw
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("out");     // standard output, "*N": N lines
    QTest::addColumn<QString>("message"); // in standard error
    const ChipWindow b32{0x0D00, 768};
    const QByteArray image = randomBytes(768, 61);
    QByteArray oneByte = image;
    oneByte[0x10] = char(0xFF);
    const QString line =
        QStringLiteral("0D10  %1  FF\n").arg(uchar(image[0x10]), 2, 16, QChar(u'0')).toUpper();
    QTest::newRow("equal, other format") << encodeImage(image, ImageFormat::SRecord, b32)
                                         << QStringList{} << int(ExitOk) << ""
                                         << "Pliki zgodne, CRC-32 " + crc32Text(crc32Of(image));
    QTest::newRow("one byte") << oneByte << QStringList{} << int(ExitDifferent) << line
                              << "Pliki różnią się w 1 bajtach";
    QByteArray inverted = image;
    for (char& b : inverted)
        b = static_cast<char>(~b);
    QTest::newRow("every byte") << inverted << QStringList{}
                                << int(ExitDifferent) << "*768" << "";
    QTest::newRow("json") << oneByte << QStringList{"--json"} << int(ExitDifferent)
                          << "{\"address\":\"0D10\"" << "";
    QTest::newRow("quiet") << oneByte << QStringList{"-q"} << int(ExitDifferent) << "" << "";
    QTest::newRow("unreadable") << QByteArray() << QStringList{} << int(ExitFile) << ""
                                << "Nie można odczytać pliku";
    QTest::newRow("no ports") << oneByte << QStringList{"--port", "COM1"} << int(ExitUsage) << ""
                              << "--port: polecenie diff nie przyjmuje tej opcji";
}

void TestCliLine::diff()
{
    QFETCH(QByteArray, second);
    QFETCH(QStringList, extra);
    QFETCH(int, expected);
    QFETCH(QString, out);
    QFETCH(QString, message);
    const QByteArray image = randomBytes(768, 61);
    const QString first = path(QStringLiteral("a.bin"));
    writeFile(first, image);
    const QString other = path(second.startsWith('S') ? QStringLiteral("b.s19")
                                                      : QStringLiteral("b.bin"));
    if (!second.isEmpty())
        writeFile(other, second);
    Harness h;
    QCOMPARE(h.run(QStringList{QStringLiteral("diff"), QStringLiteral("--chip"),
                               QStringLiteral("68HC12B32"), first, other} +
                   extra),
             expected);
    QVERIFY2(h.errText().contains(message), qPrintable(h.errText()));
    const QString printed = QString::fromUtf8(h.out);
    if (out.startsWith(u'*'))
        QCOMPARE(printed.count(u'\n'), out.mid(1).toInt());
    else if (extra.contains(QStringLiteral("--json"))) {
        const QJsonObject o = QJsonDocument::fromJson(h.out).object();
        QCOMPARE(o.value(QStringLiteral("differences")).toInt(), 1);
        QCOMPARE(o.value(QStringLiteral("crc32_1")).toString(), crc32Text(crc32Of(image)));
        QVERIFY2(printed.contains(out), qPrintable(printed));
    } else
        QCOMPARE(printed, out);
    if (extra.contains(QStringLiteral("-q")))
        QCOMPARE(h.errText(), QString());
}

// A single board's program, verify and read print the CRC-32 of the image and carry it in the
// JSON.
void TestCliLine::crcOfOneBoard()
{
    const QByteArray image = randomBytes(768, 71);
    const QString file = path(QStringLiteral("one.bin"));
    writeFile(file, image);
    const QString crc = crc32Text(crc32Of(image));
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 1);
    for (const char* command : {"program", "verify", "read"}) {
        for (const bool json : {false, true}) {
            h.out.clear();
            h.err.clear();
            QStringList args{QString::fromLatin1(command), QStringLiteral("--chip"),
                             QStringLiteral("68HC12B32"), QStringLiteral("--port"),
                             QStringLiteral("COM1"), file};
            if (json)
                args << QStringLiteral("--json");
            QCOMPARE(h.run(args), int(ExitOk));
            if (json)
                QCOMPARE(QJsonDocument::fromJson(h.out).object().value(QStringLiteral("crc32")),
                         QJsonValue(crc));
            else
                QVERIFY2(h.errText().contains(QStringLiteral("CRC-32 ") + crc),
                         qPrintable(h.errText()));
        }
    }
    QCOMPARE(readFile(file), image);
}

// kestrel-cli check against the simulated adapter with a fault: the diagnosis in the JSON, the
// exit code of a transfer, and the trace of exactly the check's frames.
void TestCliLine::adapterCheck_data()
{
    QTest::addColumn<sim::Faults>("faults");
    QTest::addColumn<QString>("diagnosis");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("ready") << sim::Faults{} << "ready" << int(ExitOk);
    sim::Faults f;
    f.silent = true;
    QTest::newRow("silent") << f << "no_bytes" << int(ExitNoAdapter);
    f = {};
    f.echo = true;
    QTest::newRow("echo") << f << "echo" << int(ExitNoAdapter);
    f = {};
    f.statusByte = 0x40;
    QTest::newRow("chip not ready") << f << "not_ready" << int(ExitNoAdapter);
    f = {};
    f.usbLatencyMs = 40;
    QTest::newRow("USB latency 40 ms") << f << "late_replies" << int(ExitNoAdapter);
}

void TestCliLine::adapterCheck()
{
    QFETCH(sim::Faults, faults);
    QFETCH(QString, diagnosis);
    QFETCH(int, exitCode);
    Harness h;
    h.addSimulators(sim::ChipKind::D60, 1, faults);
    const QString trace = path(QStringLiteral("check.txt"));
    QCOMPARE(h.run({"check", "--chip", "68HC12D60", "--port", "/dev/ttyUSB0", "--json", "--trace",
                    trace}),
             exitCode);
    const QJsonObject o = QJsonDocument::fromJson(h.out).object();
    QCOMPARE(o.value("diagnosis").toString(), diagnosis);
    QCOMPARE(o.value("exit_code").toInt(), exitCode);
    QCOMPARE(o.value("word_address").toString(), QStringLiteral("0C00"));
    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const int statusQueries = int(o.value("status_replies").toArray().size());
    QCOMPARE(text.count(QStringLiteral("  READ_STATUS")), statusQueries);
    QCOMPARE(text.count(QStringLiteral("> 16 00 0C 00 00  READ_WORD")),
             diagnosis == "ready" || diagnosis == "late_replies" ? 2 : 0);
    QCOMPARE(text.count(QStringLiteral("  END")), 1);
    QCOMPARE(h.sims.front()->eeprom(), std::vector<std::uint8_t>(1024, 0xFF));
}

// One trace per port, named by {port}; a trace that cannot be created stops the run before any
// frame is sent.
void TestCliLine::traceFiles()
{
    const QString image = path(QStringLiteral("image.bin"));
    writeFile(image, randomBytes(768, 5));
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 2);
    QCOMPARE(h.run({"program", "--chip", "68HC12B32", "--verify", "--port", "COM1", "--port",
                    "COM2", "--trace", path(QStringLiteral("t-{port}.txt")), image}),
             int(ExitOk));
    for (const char* port : {"COM1", "COM2"}) {
        QFile file(path(QStringLiteral("t-%1.txt").arg(QLatin1String(port))));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        // The programming run's word writes, then the confirmed read of the verify.
        QCOMPARE(text.count(QStringLiteral("  READ_WORD")), 2 * 384 + 1);
        QCOMPARE(text.count(QStringLiteral(" open ")), 2);
    }
    Harness refused;
    refused.addSimulators(sim::ChipKind::B32, 1);
    QCOMPARE(refused.run({"read", "--chip", "68HC12B32", "--port", "COM1", "--trace",
                          path(QStringLiteral("no/such/folder/t.txt")), path("out.bin")}),
             int(ExitFile));
    QVERIFY2(refused.errText().contains(QStringLiteral("t.txt: ")), qPrintable(refused.errText()));
    QCOMPARE(refused.framesSent(), std::size_t{0});
}

QTEST_GUILESS_MAIN(TestCliLine)
#include "tst_cliline.moc"

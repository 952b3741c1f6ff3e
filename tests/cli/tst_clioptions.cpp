// The command line of kestrel-cli: what runs, and usage errors that name the option at fault.

#include "board_images.h"
#include "cli_options.h"
#include "command_table.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kestrel::cli;

class TestCliOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void productionOptions_data();
    void productionOptions();
    void helpAndVersion();
    void everyCommand_data();
    void everyCommand();

private:
    QTemporaryDir m_dir;
};

void TestCliOptions::initTestCase()
{
    // Relative names are looked up here: fw.bin, and l.bin, a symbolic link to it.
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QFile image(QStringLiteral("fw.bin"));
    QVERIFY(image.open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(QStringLiteral("fw.bin"), QStringLiteral("l.bin")));
}

void TestCliOptions::accepted_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("chip");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<int>("format"); // -1: none
    const auto B32 = QStringLiteral("68HC12B32");
    QTest::newRow("chips") << QStringList{"chips"} << int(Command::Chips) << QString()
                           << QStringList{} << QString() << false << -1;
    QTest::newRow("read") << QStringList{"read", "--chip", B32, "--port", "COM1", "out.bin"}
                          << int(Command::Read) << B32 << QStringList{"COM1"} << "out.bin" << false
                          << -1;
    QTest::newRow("read to stdout, srec")
        << QStringList{"read", "--chip=68HC12D60", "--port=/dev/ttyUSB0", "--format", "srec", "-"}
        << int(Command::Read) << "68HC12D60" << QStringList{"/dev/ttyUSB0"} << "-" << false
        << int(FileFormat::SRecord);
    QTest::newRow("program three ports, verify")
        << QStringList{"program", "--chip", B32,      "--port",   "COM1",   "--port",
                       "COM2",    "--port", "/dev/x", "--verify", "img.s19"}
        << int(Command::Program) << B32 << QStringList{"COM1", "COM2", "/dev/x"} << "img.s19"
        << true << -1;
    QTest::newRow("SYMULATOR twice is two adapters")
        << QStringList{"verify", "--chip",    B32,        "--port", "SYMULATOR",
                       "--port", "SYMULATOR", "--format", "ihex",   "-"}
        << int(Command::Verify) << B32 << QStringList{"SYMULATOR", "SYMULATOR"} << "-" << false
        << int(FileFormat::IntelHex);
    QTest::newRow("program with a backup, one port")
        << QStringList{"program", "--chip", B32, "--port", "COM1", "--backup", "k.bin", "f.bin"}
        << int(Command::Program) << B32 << QStringList{"COM1"} << "f.bin" << false << -1;
    QTest::newRow("options after the file, quiet")
        << QStringList{"program", "a.bin", "--chip", B32, "-q", "--port", "COM2", "--format", "bin"}
        << int(Command::Program) << B32 << QStringList{"COM2"} << "a.bin" << false
        << int(FileFormat::Raw);
    QTest::newRow("convert, output format")
        << QStringList{"convert", "--chip", B32, "fw.elf", "-", "--format", "ihex"}
        << int(Command::Convert) << B32 << QStringList{} << "fw.elf" << false
        << int(FileFormat::IntelHex);
    QTest::newRow("program an ELF from standard input")
        << QStringList{"program", "--chip", B32, "--port", "COM1", "--format", "elf", "-"}
        << int(Command::Program) << B32 << QStringList{"COM1"} << "-" << false
        << int(FileFormat::Elf);
}

void TestCliOptions::accepted()
{
    QFETCH(QStringList, args);
    QFETCH(int, command);
    QFETCH(QString, chip);
    QFETCH(QStringList, ports);
    QFETCH(QString, file);
    QFETCH(bool, verify);
    QFETCH(int, format);
    args.prepend(QStringLiteral("kestrel-cli"));
    const ParsedCommandLine parsed = parseCommandLine(args);
    QCOMPARE(parsed.text, QString());
    QCOMPARE(parsed.action, ParsedCommandLine::Action::Run);
    const CliRequest& r = parsed.request;
    QCOMPARE(int(r.command), command);
    QCOMPARE(r.chip ? QString::fromLatin1(r.chip->name) : QString(), chip);
    QCOMPARE(r.ports, ports);
    QCOMPARE(r.file, file);
    QCOMPARE(r.verify, verify);
    QCOMPARE(r.format ? int(*r.format) : -1, format);
    QCOMPARE(r.quiet, args.contains(QStringLiteral("-q")));
}

void TestCliOptions::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("named"); // what the message must name
    const auto B32 = QStringLiteral("68HC12B32");
    QTest::newRow("no command") << QStringList{} << "polecenia";
    QTest::newRow("unknown command") << QStringList{"erase", "x"} << "„erase”";
    QTest::newRow("unknown option")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "--speed", "9600", "f"} << "speed";
    QTest::newRow("no chip") << QStringList{"read", "--port", "COM1", "f"} << "--chip";
    QTest::newRow("unknown chip") << QStringList{"read",   "--chip", "68HC12B33",
                                                 "--port", "COM1",   "f"}
                                  << "„68HC12B33”";
    QTest::newRow("chip by lower case")
        << QStringList{"read", "--chip", "68hc12b32", "--port", "COM1", "f"} << "--chip";
    QTest::newRow("no port") << QStringList{"program", "--chip", B32, "f"} << "--port";
    QTest::newRow("check with a file")
        << QStringList{"check", "--chip", B32, "--port", "COM1", "f"} << "„f”";
    QTest::newRow("check on two ports")
        << QStringList{"check", "--chip", B32, "--port", "COM1", "--port", "COM2"} << "--port";
    QTest::newRow("check with --verify")
        << QStringList{"check", "--chip", B32, "--port", "COM1", "--verify"} << "--verify";
    QTest::newRow("trace of convert")
        << QStringList{"convert", "--chip", B32, "--trace", "t", "a.bin", "b.s19"} << "--trace";
    QTest::newRow("one trace for two ports")
        << QStringList{"program", "--chip", B32, "--port", "COM1", "--port", "COM2", "--trace",
                       "t.txt", "f"}
        << "{port}";
    QTest::newRow("trace of two ports on standard error")
        << QStringList{"verify", "--chip", B32, "--port", "COM1", "--port", "COM2", "--trace",
                       "-", "f"}
        << "{port}";
    QTest::newRow("two traces") << QStringList{"read", "--chip", B32, "--port", "COM1", "--trace",
                                               "a", "--trace", "b", "f"}
                                << "--trace";
    QTest::newRow("empty port") << QStringList{"program", "--chip", B32, "--port", " ", "f"}
                                << "--port";
    QTest::newRow("same port twice")
        << QStringList{"program", "--chip", B32, "--port", "COM1", "--port", "COM1", "f"}
        << "„COM1”";
    QTest::newRow("read from two ports")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "--port", "COM2", "f"} << "--port";
    QTest::newRow("verify option with read")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "--verify", "f"} << "--verify";
    QTest::newRow("unknown format")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "--format", "elf", "f"}
        << "--format";
    QTest::newRow("missing FILE") << QStringList{"program", "--chip", B32, "--port", "COM1"}
                                  << "PLIK";
    QTest::newRow("two files") << QStringList{"program", "--chip", B32, "--port", "COM1", "a", "b"}
                               << "„b”";
    QTest::newRow("json and image both on stdout")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "--json", "-"} << "--json";
    QTest::newRow("chips with a port") << QStringList{"chips", "--port", "COM1"} << "--port";
    const QStringList program{"program", "--chip", B32, "--port", "COM1"};
    QTest::newRow("backup of two ports without {port}")
        << program + QStringList{"--port", "COM2", "--backup", "k.bin", "f"} << "{port}";
    QTest::newRow("backup with verify")
        << QStringList{"verify", "--chip", B32, "--port", "COM1", "--backup", "k.bin", "f"}
        << "program";
    QTest::newRow("backup to stdout") << program + QStringList{"--backup", "-", "f"} << "--backup";
    QTest::newRow("backup over the file programmed")
        << program + QStringList{"--backup", "./f", "f"} << "„f”";
    QTest::newRow("backup through a link to the file programmed")
        << program + QStringList{"--backup", "l.bin", "fw.bin"} << "„fw.bin”";
    QTest::newRow("two ports' backups in one file")
        << QStringList{"program", "--chip", B32, "--port", "SYMULATOR", "--port", "SYMULATOR",
                       "--port", "./SYMULATOR-2", "--backup", "bk-{port}.bin", "fw.bin"}
        << "„SYMULATOR” i „./SYMULATOR-2”";
    QTest::newRow("convert onto its input through a link")
        << QStringList{"convert", "--chip", B32, "l.bin", "fw.bin"} << "„l.bin”";
    QTest::newRow("log to stdout") << program + QStringList{"--log", "-", "f"} << "--log";
    QTest::newRow("--serial above 2^64 - 1")
        << program + QStringList{"f", "--serial", "0D00:8:18446744073709551616"} << "--serial";
    QTest::newRow("two backups") << program + QStringList{"--backup", "k", "--backup", "l", "f"}
                                 << "--backup";
    QTest::newRow("chip option without value") << QStringList{"read", "--chip"} << "chip";
    QTest::newRow("read into an ELF file")
        << QStringList{"read", "--chip", B32, "--port", "COM1", "out.elf"} << "ELF";
    QTest::newRow("convert with a port")
        << QStringList{"convert", "--chip", B32, "--port", "COM1", "a.s19", "b.hex"} << "--port";
    QTest::newRow("convert into ELF")
        << QStringList{"convert", "--chip", B32, "a.s19", "b.out"} << "ELF";
    QTest::newRow("convert without output")
        << QStringList{"convert", "--chip", B32, "a.s19"} << "WYJŚCIE";
    QTest::newRow("convert with a log")
        << QStringList{"convert", "--chip", B32, "--log", "l", "a.s19", "b.hex"} << "--log";
    const QStringList programFile{"program", "--chip", B32, "--port", "COM1", "f.bin"};
    QTest::newRow("--set before the window")
        << programFile + QStringList{"--set", "0CFF=00"} << "--set: adresy 0CFF-0CFF poza EEPROM";
    QTest::newRow("--set past the window") << programFile + QStringList{"--set", "0D10=00,0FFF=0102"}
                                           << "--set: adresy 0FFF-1000 poza EEPROM";
    QTest::newRow("--set, odd hex digits")
        << programFile + QStringList{"--set", "0D10=ABC"} << "„0D10=ABC”";
    QTest::newRow("--set without bytes") << programFile + QStringList{"--set", "0D10"} << "„0D10”";
    QTest::newRow("--set with verify")
        << QStringList{"verify", "--chip", B32, "--port", "COM1", "--set", "0D10=00", "f"}
        << "--set: tylko z poleceniem program";
    QTest::newRow("--serial past the window") << programFile + QStringList{"--serial", "0FFE:4:1"}
                                              << "--serial: adresy 0FFE-1001 poza EEPROM";
    QTest::newRow("--serial: the second board's number does not fit")
        << QStringList{"program", "--chip", B32, "--port",   "COM1",
                       "--port",  "COM2",   "f", "--serial", "0FF0:1:255"}
        << "numer 256 nie mieści się w polu 1-bajtowym";
    QTest::newRow("--serial of 0 bytes")
        << programFile + QStringList{"--serial", "0FF0:0:1"} << "--serial";
    QTest::newRow("--serial, FIRST not a number")
        << programFile + QStringList{"--serial", "0FF0:2:x1"} << "„0FF0:2:x1”";
    QTest::newRow("--log with chips") << QStringList{"chips", "--log", "l"} << "--log";
    const QStringList serial{"--serial", "0FF0:4:1"};
    QTest::newRow("--registry without --serial")
        << programFile + QStringList{"--registry", "r.db"} << "--registry: tylko z --serial";
    QTest::newRow("--registry with verify")
        << QStringList{"verify", "--chip", B32, "--port", "COM1", "--registry", "r.db", "f"}
        << "--registry: tylko z poleceniem program";
    QTest::newRow("--series without --registry")
        << programFile + serial + QStringList{"--series", "a"} << "--series: tylko z --registry";
    QTest::newRow("--registry, a malformed URL")
        << programFile + serial + QStringList{"--registry", "postgresql://db.example/x"}
        << "niepoprawny adres";
    QTest::newRow("registry without --registry") << QStringList{"registry"} << "--registry";
    QTest::newRow("registry, --serial not a number")
        << QStringList{"registry", "--registry", "r.db", "--serial", "0FF0:4:1"} << "„0FF0:4:1”";
    QTest::newRow("registry with --port")
        << QStringList{"registry", "--registry", "r.db", "--port", "COM1"}
        << "--port: polecenie registry nie przyjmuje tej opcji";
    QTest::newRow("--registry with chips") << QStringList{"chips", "--registry", "r.db"}
                                           << "--registry: polecenie chips";
}

void TestCliOptions::refused()
{
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    args.prepend(QStringLiteral("kestrel-cli"));
    const ParsedCommandLine parsed = parseCommandLine(args);
    QCOMPARE(parsed.action, ParsedCommandLine::Action::Fail);
    QVERIFY2(parsed.text.contains(named), qPrintable(parsed.text));
}

void TestCliOptions::productionOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("boards");
    QTest::addColumn<QStringList>("patches"); // "0D10=DEADBEEF": address, bytes
    QTest::addColumn<int>("serialAddress");
    QTest::addColumn<QString>("first"); // FIRST, in hex
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QString>("log");
    QTest::newRow("the example") << QStringList{"--set", "0D10=DEADBEEF", "--serial", "0FF0:4:1000"}
                                 << 2 << QStringList{"0D10=DEADBEEF"} << 0x0FF0 << "3E8" << 4 << "";
    QTest::newRow("several patches, FIRST in hex, a log")
        << QStringList{"--set",    "0d00=00, 0FFE=A55a", "--set", "0x0E00=01",
                       "--serial", "0FFD:3:0xFFFFFE",    "--log", "run.jsonl"}
        << 2 << QStringList{"0D00=00", "0FFE=A55A", "0E00=01"} << 0x0FFD << "FFFFFE" << 3
        << "run.jsonl";
    QTest::newRow("eight bytes") << QStringList{"--serial", "0D00:8:1"} << 1 << QStringList{}
                                 << 0x0D00 << "1" << 8 << "";
    QTest::newRow("eight bytes, the largest number")
        << QStringList{"--serial", "0D00:8:18446744073709551615"} << 1 << QStringList{} << 0x0D00
        << "FFFFFFFFFFFFFFFF" << 8 << "";
}

void TestCliOptions::productionOptions()
{
    QFETCH(QStringList, options);
    QFETCH(int, boards);
    QFETCH(QStringList, patches);
    QFETCH(int, serialAddress);
    QFETCH(QString, first);
    QFETCH(int, bytes);
    QFETCH(QString, log);
    QStringList args{"kestrel-cli", "program", "--chip", "68HC12B32", "f.bin"};
    for (int i = 0; i < boards; ++i)
        args << QStringLiteral("--port") << QStringLiteral("SYMULATOR");
    const ParsedCommandLine parsed = parseCommandLine(args + options);
    QCOMPARE(parsed.text, QString());
    const CliRequest& r = parsed.request;
    QStringList got;
    for (const BytePatch& p : r.patches)
        got << QString::number(p.address, 16).toUpper().rightJustified(4, u'0') + u'=' +
                   QString::fromLatin1(p.bytes.toHex().toUpper());
    QCOMPARE(got, patches);
    QCOMPARE(r.log, log);
    QVERIFY(r.serial.has_value());
    QCOMPARE(r.serial->address, serialAddress);
    QCOMPARE(QString::number(r.serial->first, 16).toUpper(), first);
    QCOMPARE(r.serial->bytes, bytes);
}

void TestCliOptions::helpAndVersion()
{
    const ParsedCommandLine help =
        parseCommandLine({QStringLiteral("kestrel-cli"), QStringLiteral("--help")});
    QCOMPARE(help.action, ParsedCommandLine::Action::ShowText);
    // Every exit code is documented in the help.
    for (int code = 0; code <= 7; ++code)
        QVERIFY2(help.text.contains(QStringLiteral("\n  %1  ").arg(code)), qPrintable(help.text));
    for (const char* option : {"--chip", "--port", "--verify", "--format", "--quiet", "--json",
                               "convert", "--set", "--serial", "--log"})
        QVERIFY2(help.text.contains(QLatin1String(option)), option);

    QCoreApplication::setApplicationName(QStringLiteral("kestrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    const ParsedCommandLine version =
        parseCommandLine({QStringLiteral("kestrel-cli"), QStringLiteral("--version")});
    QCOMPARE(version.action, ParsedCommandLine::Action::ShowText);
    QCOMPARE(version.text, QStringLiteral("kestrel-cli 1.0\n"));
}

void TestCliOptions::everyCommand_data()
{
    QTest::addColumn<QStringList>("args"); // a run the command takes; empty: none known here
    const auto B32 = QStringLiteral("68HC12B32");
    const QStringList chipPort{"--chip", B32, "--port", "COM1"};
    const QHash<QString, QStringList> runs{
        {"chips", {}},
        {"ports", {}},
        {"read", chipPort + QStringList{"f.bin"}},
        {"program", chipPort + QStringList{"f.bin"}},
        {"verify", chipPort + QStringList{"f.bin"}},
        {"check", chipPort},
        {"convert", {"--chip", B32, "a.s19", "b.hex"}},
        {"diff", {"--chip", B32, "a.s19", "b.hex"}},
        {"registry", {"--registry", "r.db", "--serial", "1003"}},
    };
    for (const CliCommand* command : commandTable()) {
        const QString name = command->name();
        QTest::newRow(qPrintable(name))
            << (runs.contains(name) ? QStringList{name} + runs.value(name) : QStringList{});
    }
}

// Every registered command is in the help, and takes the options it says it takes: any other
// is refused with a message that names it.
void TestCliOptions::everyCommand()
{
    QFETCH(QStringList, args);
    QVERIFY2(!args.isEmpty(), "a command with no run in everyCommand_data");
    const CliCommand* command = findCommand(args.first());
    QVERIFY(command != nullptr);
    args.prepend(QStringLiteral("kestrel-cli"));
    const QString help =
        parseCommandLine({QStringLiteral("kestrel-cli"), QStringLiteral("--help")}).text;
    QVERIFY2(help.contains(QStringLiteral("\n  ") + command->name().leftJustified(7) + u' '),
             qPrintable(help));
    QCOMPARE(parseCommandLine(args).text, QString());

    const ParsedCommandLine unknown = parseCommandLine(args + QStringList{"--speed", "9600"});
    QCOMPARE(unknown.action, ParsedCommandLine::Action::Fail);
    QVERIFY2(unknown.text.contains(QLatin1String("speed")), qPrintable(unknown.text));

    const std::pair<Option, QStringList> options[] = {
        {Option::Chip, {"--chip", "68HC12D60"}},     {Option::Port, {"--port", "COM2"}},
        {Option::Verify, {"--verify"}},              {Option::Backup, {"--backup", "k-{port}.bin"}},
        {Option::Format, {"--format", "bin"}},       {Option::Json, {"--json"}},
        {Option::Trace, {"--trace", "t-{port}.txt"}}, {Option::Set, {"--set", "0D10=00"}},
        {Option::Serial, {"--serial", "0FF0:1:1"}},  {Option::Log, {"--log", "run.jsonl"}},
    };
    for (const auto& [option, given] : options) {
        if (args.contains(given.first()))
            continue; // the run has it already
        const ParsedCommandLine parsed = parseCommandLine(args + given);
        if (command->options().contains(option)) {
            QVERIFY2(parsed.action == ParsedCommandLine::Action::Run,
                     qPrintable(given.first() + QStringLiteral(": ") + parsed.text));
        } else {
            QCOMPARE(parsed.action, ParsedCommandLine::Action::Fail);
            QVERIFY2(parsed.text.startsWith(given.first() + u':'), qPrintable(parsed.text));
        }
    }
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"

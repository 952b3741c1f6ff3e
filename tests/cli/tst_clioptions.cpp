// The command line of kestrel-cli: what runs, and usage errors that name the option at fault.

#include "cli_options.h"

#include <QtTest>

using namespace kestrel::cli;

class TestCliOptions : public QObject
{
    Q_OBJECT
private slots:
    void accepted_data();
    void accepted();
    void refused_data();
    void refused();
    void helpAndVersion();
};

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
    QTest::newRow("two backups") << program + QStringList{"--backup", "k", "--backup", "l", "f"}
                                 << "--backup";
    QTest::newRow("chip option without value") << QStringList{"read", "--chip"} << "chip";
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

void TestCliOptions::helpAndVersion()
{
    const ParsedCommandLine help =
        parseCommandLine({QStringLiteral("kestrel-cli"), QStringLiteral("--help")});
    QCOMPARE(help.action, ParsedCommandLine::Action::ShowText);
    // Every exit code is documented in the help.
    for (int code = 0; code <= 7; ++code)
        QVERIFY2(help.text.contains(QStringLiteral("\n  %1  ").arg(code)), qPrintable(help.text));
    for (const char* option : {"--chip", "--port", "--verify", "--format", "--quiet", "--json"})
        QVERIFY2(help.text.contains(QLatin1String(option)), option);

    QCoreApplication::setApplicationName(QStringLiteral("kestrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    const ParsedCommandLine version =
        parseCommandLine({QStringLiteral("kestrel-cli"), QStringLiteral("--version")});
    QCOMPARE(version.action, ParsedCommandLine::Action::ShowText);
    QCOMPARE(version.text, QStringLiteral("kestrel-cli 1.0\n"));
}

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"

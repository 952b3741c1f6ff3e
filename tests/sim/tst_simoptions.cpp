// kestrel-sim's command line: each fault option reaches the simulator's faults, the file options
// are kept, and usage errors name the option at fault.

#include "sim_options.h"

#include <QtTest>

using namespace kestrel::sim;

class TestSimOptions : public QObject
{
    Q_OBJECT
private slots:
    void faults_data();
    void faults();
    void fileOptions();
    void refused_data();
    void refused();
    void help();
};

namespace {

ParsedSimOptions parse(QStringList args)
{
    args.prepend(QStringLiteral("kestrel-sim"));
    return parseSimOptions(args);
}

} // namespace

// The faults as the summary describes them, one line each.
void TestSimOptions::faults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("faults");
    const QString B32 = QStringLiteral("68HC12B32");
    const QString D60 = QStringLiteral("68HC12D60");
    QTest::newRow("none") << QStringList{"--chip", B32} << "";
    QTest::newRow("silent") << QStringList{"--chip", B32, "--silent"} << "silent adapter";
    QTest::newRow("ready-on-try") << QStringList{"--chip", B32, "--ready-on-try", "3"}
                                  << "ready only from status try 3";
    QTest::newRow("status-byte, hex")
        << QStringList{"--chip", B32, "--status-byte", "4a"} << "status byte 4A";
    QTest::newRow("short-word") << QStringList{"--chip", B32, "--short-word", "0"}
                                << "short reply to word 0";
    QTest::newRow("missing-word, the last")
        << QStringList{"--chip", B32, "--missing-word", "383"} << "no reply to word 383";
    QTest::newRow("short-every") << QStringList{"--chip", D60, "--short-every", "4"}
                                 << "short reply to every 4. word read";
    QTest::newRow("missing-every")
        << QStringList{"--chip", D60, "--missing-every", "7"} << "no reply to every 7. word read";
    QTest::newRow("late-ms") << QStringList{"--chip", B32, "--late-ms", "12"}
                             << "replies 12 ms late";
    QTest::newRow("hang-up-after")
        << QStringList{"--chip", B32, "--hang-up-after", "2"} << "hang-up after 2 frames";
    QTest::newRow("stuck, repeated")
        << QStringList{"--chip", D60, "--stuck", "0C00=5A", "--stuck", "0fff=0"}
        << "EEPROM cell 0C00 stuck at 5A\nEEPROM cell 0FFF stuck at 00";
    QTest::newRow("random-stuck, seed")
        << QStringList{"--chip", B32, "--random-stuck", "3", "--seed", "9"}
        << "3 random stuck cells (seed 9)";
    QTest::newRow("missing-rate") << QStringList{"--chip", B32, "--missing-rate", "0.25"}
                                  << "word replies missing with probability 0.250 (seed 1)";
    QTest::newRow("split-every, 50 ms by default")
        << QStringList{"--chip", B32, "--split-every", "2"}
        << "every 2. word reply split, second byte 50 ms late";
    QTest::newRow("split-every, split-ms")
        << QStringList{"--chip", B32, "--split-ms", "20", "--split-every", "5"}
        << "every 5. word reply split, second byte 20 ms late";
    QTest::newRow("held-every") << QStringList{"--chip", B32, "--held-every", "3"}
                                << "every 3. word reply's second byte held until the next frame";
    QTest::newRow("extra-every") << QStringList{"--chip", B32, "--extra-every", "5"}
                                 << "every 5. word reply with a byte more";
    QTest::newRow("dropped-every") << QStringList{"--chip", B32, "--dropped-every", "6"}
                                   << "every 6. word reply loses its second byte";
    QTest::newRow("late-every, 40 ms by default")
        << QStringList{"--chip", B32, "--late-every", "100"} << "every 100. word reply 40 ms late";
    QTest::newRow("late-rate, late-by-ms")
        << QStringList{"--chip", D60, "--late-rate", "0.01", "--late-by-ms", "25"}
        << "word replies 25 ms late with probability 0.010 (seed 1)";
}

void TestSimOptions::faults()
{
    QFETCH(QStringList, args);
    QFETCH(QString, faults);
    const ParsedSimOptions parsed = parse(args);
    QCOMPARE(parsed.text, QString());
    QCOMPARE(parsed.action, ParsedSimOptions::Action::Run);
    QCOMPARE(parsed.options.chip,
             args[1] == QLatin1String("68HC12D60") ? ChipKind::D60 : ChipKind::B32);
    QStringList lines;
    for (const QString& line :
         QString::fromStdString(parsed.options.faults.describe()).split(u'\n', Qt::SkipEmptyParts))
        lines << line.trimmed();
    QCOMPARE(lines.join(u'\n'), faults);
}

void TestSimOptions::fileOptions()
{
    const ParsedSimOptions none = parse({"--chip", "68HC12D60"});
    QVERIFY(!none.options.eepromFile && !none.options.saveEepromFile && !none.options.logFile);
    QCOMPARE(none.options.linkPath, QString());

    const ParsedSimOptions all =
        parse({"--chip", "68HC12D60", "--eeprom", "in.bin", "--save-eeprom", "out.bin", "--log",
               "frames.txt", "--link", "/tmp/adapter"});
    QCOMPARE(all.action, ParsedSimOptions::Action::Run);
    QCOMPARE(all.options.eepromFile.value_or(QString()), QStringLiteral("in.bin"));
    QCOMPARE(all.options.saveEepromFile.value_or(QString()), QStringLiteral("out.bin"));
    QCOMPARE(all.options.logFile.value_or(QString()), QStringLiteral("frames.txt"));
    QCOMPARE(all.options.linkPath, QStringLiteral("/tmp/adapter"));
}

void TestSimOptions::refused_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    const QString B32 = QStringLiteral("68HC12B32");
    const QString D60 = QStringLiteral("68HC12D60");
    const QString chipError = QStringLiteral("--chip must be 68HC12B32 or 68HC12D60");
    QTest::newRow("no chip") << QStringList{} << chipError;
    QTest::newRow("other chip") << QStringList{"--chip", "68HC11E9"} << chipError;
    QTest::newRow("unknown option")
        << QStringList{"--chip", B32, "--bogus"} << "Unknown option 'bogus'.";
    QTest::newRow("no value") << QStringList{"--chip"} << "Missing value after '--chip'.";
    QTest::newRow("try 0") << QStringList{"--chip", B32, "--ready-on-try", "0"}
                           << "bad value for --ready-on-try";
    QTest::newRow("negative delay")
        << QStringList{"--chip", B32, "--late-ms", "-1"} << "bad value for --late-ms";
    QTest::newRow("not a number") << QStringList{"--chip", B32, "--dropped-every", "x"}
                                  << "bad value for --dropped-every";
    QTest::newRow("status past a byte")
        << QStringList{"--chip", B32, "--status-byte", "1FF"} << "bad value for --status-byte";
    QTest::newRow("word past the EEPROM")
        << QStringList{"--chip", B32, "--missing-word", "384"} << "bad value for --missing-word";
    QTest::newRow("short word past the EEPROM")
        << QStringList{"--chip", D60, "--short-word", "512"} << "bad value for --short-word";
    QTest::newRow("stuck without value")
        << QStringList{"--chip", D60, "--stuck", "0C00"} << "bad value for --stuck: 0C00";
    QTest::newRow("stuck outside the EEPROM")
        << QStringList{"--chip", B32, "--stuck", "0CFF=00"} << "bad value for --stuck: 0CFF=00";
    QTest::newRow("rate above 1") << QStringList{"--chip", D60, "--missing-rate", "2"}
                                  << "bad value for --missing-rate";
    QTest::newRow("rate not a number")
        << QStringList{"--chip", B32, "--missing-rate", "nan"} << "bad value for --missing-rate";
    QTest::newRow("rate infinite")
        << QStringList{"--chip", B32, "--late-rate", "inf"} << "bad value for --late-rate";
    QTest::newRow("more stuck cells than the EEPROM")
        << QStringList{"--chip", B32, "--random-stuck", "100000"}
        << "bad value for --random-stuck";
    QTest::newRow("delay past a minute")
        << QStringList{"--chip", D60, "--split-ms", "60001"} << "bad value for --split-ms";
    QTest::newRow("late-every 0")
        << QStringList{"--chip", D60, "--late-every", "0"} << "bad value for --late-every";
    QTest::newRow("negative seed")
        << QStringList{"--chip", D60, "--seed", "-1"} << "bad value for --seed";
    QTest::newRow("judge with a fault") << QStringList{"--chip", B32, "--judge", "t", "--silent"}
                                        << "--judge takes no --silent";
    QTest::newRow("judge with a link") << QStringList{"--link", "l", "--chip", B32, "--judge", "t"}
                                       << "--judge takes no --link";
    QTest::newRow("the first bad one")
        << QStringList{"--chip", B32, "--missing-rate", "2", "--hang-up-after", "0"}
        << "bad value for --hang-up-after";
}

void TestSimOptions::refused()
{
    QFETCH(QStringList, args);
    const ParsedSimOptions parsed = parse(args);
    QCOMPARE(parsed.action, ParsedSimOptions::Action::Fail);
    QTEST(parsed.text, "error");
}

void TestSimOptions::help()
{
    for (const char* option : {"--help", "-h"}) {
        const ParsedSimOptions parsed = parse({QString::fromLatin1(option)});
        QCOMPARE(parsed.action, ParsedSimOptions::Action::ShowText);
        QVERIFY(parsed.text.contains(QLatin1String("\nPacing: a frame is early when one of its "
                                                   "bytes came sooner than the host's pauses\n")));
        QVERIFY(parsed.text.contains(QLatin1String("--hang-up-after <N>")));
    }
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_simoptions.moc"

// kestrel-cli's core against simulated adapters on a virtual clock: what lands in files and
// chips, verify, interruption, several ports, the output modes.

#include "cli_app_fixture.h"

using namespace kestrel;
using namespace kestrel::cli;
using kestrel::testsupport::FakeLine;
using kestrel::testsupport::VirtualClock;
using namespace kestrel::clitest;

class TestCliApp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void readWritesTheChip_data();
    void readWritesTheChip();
    void programSendsTheFile_data();
    void programSendsTheFile();
    void verifyComparesChipAndFile_data();
    void verifyComparesChipAndFile();
    void interrupted_data();
    void interrupted();
    void threePortsOneImage();
    void jsonOnePerPort();
    void quietPrintsOnlyErrors();
    void chipsList();
    void portsList();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    [[nodiscard]] QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestCliApp::initTestCase()
{
    // As kestrel-cli's start-up: "SYMULATOR" among the ports.
    sim::PortSimulators().registerTransport();
}

void TestCliApp::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestCliApp::readWritesTheChip_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<bool>("toStdout");
    QTest::newRow("68HC12B32 file") << false << false;
    QTest::newRow("68HC12D60 file") << true << false;
    QTest::newRow("68HC12B32 stdout") << false << true;
}

void TestCliApp::readWritesTheChip()
{
    QFETCH(bool, d60);
    QFETCH(bool, toStdout);
    const Chip chip = chipCase(d60);
    Harness h;
    h.addSimulators(chip.kind, 1);
    const QByteArray content = randomBytes(chip.size, 7);
    QVERIFY(h.sims[0]->modify([&](sim::Target& t) {
        return t.loadEeprom({content.begin(), content.end()});
    }));
    const QString file = toStdout ? QStringLiteral("-") : path(QStringLiteral("chip.bin"));
    QCOMPARE(h.run({QStringLiteral("read"), QStringLiteral("--chip"), chip.name,
                    QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file}),
             int(ExitOk));
    QCOMPARE(toStdout ? h.out : readFile(file), content);
    if (!toStdout)
        QVERIFY(h.out.isEmpty());
    // Not a terminal: one line per phase at its end, then the result.
    QVERIFY2(h.errText().contains(QStringLiteral("kestrel-cli: SYMULATOR: Odczyt EEPROM: 100%")),
             qPrintable(h.errText()));
    QVERIFY2(h.errText().contains(QStringLiteral("kestrel-cli: SYMULATOR: Gotowe")),
             qPrintable(h.errText()));
    QCOMPARE(h.sims[0]->violations().size(), std::size_t{0});
}

void TestCliApp::programSendsTheFile_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<bool>("fromStdin");
    QTest::newRow("68HC12B32 whole file") << false << 768 << false;
    QTest::newRow("68HC12D60 short file") << true << 100 << false;
    // An empty image is refused (tst_cliformats, emptyImage); one byte is the shortest programmed.
    QTest::newRow("68HC12B32 stdin, one byte") << false << 1 << true;
    QTest::newRow("68HC12D60 stdin") << true << 1024 << true;
}

void TestCliApp::programSendsTheFile()
{
    QFETCH(bool, d60);
    QFETCH(int, fileSize);
    QFETCH(bool, fromStdin);
    const Chip chip = chipCase(d60);
    Harness h;
    h.addSimulators(chip.kind, 1);
    QVERIFY(h.sims[0]->modify([&](sim::Target& t) {
        const QByteArray old = randomBytes(chip.size, 3);
        return t.loadEeprom({old.begin(), old.end()});
    }));
    const QByteArray data = randomBytes(fileSize, 11);
    QString file = QStringLiteral("-");
    if (fromStdin)
        h.in = data;
    else
        writeFile(file = path(QStringLiteral("image.bin")), data);
    QCOMPARE(h.run({QStringLiteral("program"), QStringLiteral("--chip"), chip.name,
                    QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file}),
             int(ExitOk));
    // What the file leaves out is programmed as 0xFF, as in the window.
    QCOMPARE(eepromOf(*h.sims[0]), data + QByteArray(chip.size - fileSize, char(0xFF)));
    const QString err = h.errText();
    const qsizetype loading = err.indexOf(QStringLiteral("SYMULATOR: Ładowanie procedury: 100%"));
    const qsizetype sending = err.indexOf(QStringLiteral("SYMULATOR: Przesyłanie danych: 100%"));
    const qsizetype writing = err.indexOf(QStringLiteral("SYMULATOR: Zapis EEPROM: 100%"));
    QVERIFY2(loading >= 0 && loading < sending && sending < writing, qPrintable(err));
    QVERIFY(h.out.isEmpty());
}

void TestCliApp::verifyComparesChipAndFile_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<bool>("program"); // program --verify, else verify
    QTest::addColumn<QList<int>>("stuckOffsets");
    QTest::addColumn<int>("expected");
    QTest::newRow("68HC12B32 verify, equal") << false << false << QList<int>{} << int(ExitOk);
    QTest::newRow("68HC12D60 program --verify, equal")
        << true << true << QList<int>{} << int(ExitOk);
    QTest::newRow("68HC12B32 program --verify, stuck cell")
        << false << true << QList<int>{0x10} << int(ExitDifferent);
    QTest::newRow("68HC12D60 verify, first, middle and last differ")
        << true << false << QList<int>{0, 511, 1023} << int(ExitDifferent);
    QList<int> many;
    for (int i = 0; i < 40; ++i)
        many << 3 * i + 1;
    QTest::newRow("68HC12B32 verify, 40 differ") << false << false << many << int(ExitDifferent);
}

void TestCliApp::verifyComparesChipAndFile()
{
    QFETCH(bool, d60);
    QFETCH(bool, program);
    QFETCH(QList<int>, stuckOffsets);
    QFETCH(int, expected);
    const Chip chip = chipCase(d60);
    const QByteArray image = randomBytes(chip.size, 17);
    // Stuck cells hold the complement of the image's byte, so each really differs.
    sim::Faults faults;
    for (int offset : stuckOffsets)
        faults.stuck.emplace_back(static_cast<std::uint16_t>(chip.base + offset),
                                  static_cast<std::uint8_t>(~image[offset]));
    Harness h;
    h.addSimulators(chip.kind, 1, faults);
    if (!program)
        QVERIFY(h.sims[0]->modify([&](sim::Target& t) {
            return t.loadEeprom({image.begin(), image.end()});
        }));
    const QString file = path(QStringLiteral("image.bin"));
    writeFile(file, image);
    const QByteArray eepromBefore = eepromOf(*h.sims[0]);
    QStringList args{QStringLiteral("--json"), QStringLiteral("--chip"),    chip.name,
                     QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file};
    args.prepend(program ? QStringLiteral("program") : QStringLiteral("verify"));
    if (program)
        args << QStringLiteral("--verify");
    QCOMPARE(h.run(args), expected);

    const QJsonObject o = QJsonDocument::fromJson(h.out).object();
    QCOMPARE(o.value(QStringLiteral("operation")).toString(),
             program ? QStringLiteral("program+verify") : QStringLiteral("verify"));
    QCOMPARE(o.value(QStringLiteral("differences")).toInt(), stuckOffsets.size());
    QCOMPARE(o.value(QStringLiteral("bytes")).toInt(), chip.size);
    QStringList addresses;
    for (int offset : stuckOffsets.mid(0, 16))
        addresses
            << QStringLiteral("%1").arg(chip.base + offset, 4, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(o.value(QStringLiteral("difference_addresses")).toVariant().toStringList(), addresses);
    QCOMPARE(o.value(QStringLiteral("result")).toString(),
             stuckOffsets.isEmpty() ? QStringLiteral("ok") : QStringLiteral("different"));
    if (stuckOffsets.isEmpty()) {
        QVERIFY2(h.errText().contains(link::verifyEqualMessage()), qPrintable(h.errText()));
    } else {
        const int first = stuckOffsets.first();
        QVERIFY2(h.errText().contains(
                     link::verifyDifferentMessage(int(stuckOffsets.size()), chip.base + first,
                                                  static_cast<std::uint8_t>(~image[first]),
                                                  static_cast<std::uint8_t>(image[first]))),
                 qPrintable(h.errText()));
    }
    // The phases: a verify shows "Weryfikacja", never "Odczyt EEPROM".
    QVERIFY(h.errText().contains(QStringLiteral("SYMULATOR: Weryfikacja: 100%")));
    QVERIFY(!h.errText().contains(QStringLiteral("Odczyt EEPROM")));
    if (!program) // verify changes nothing on the chip
        QCOMPARE(eepromOf(*h.sims[0]), eepromBefore);
    QCOMPARE(h.sims[0]->violations().size(), std::size_t{0});
}

void TestCliApp::interrupted_data()
{
    QTest::addColumn<bool>("program");
    QTest::addColumn<int>("afterBytes");
    QTest::newRow("read, in the connection check") << false << 12;
    QTest::newRow("read, among the words") << false << 900;
    QTest::newRow("program, routine") << true << 100;
    QTest::newRow("program, image") << true << 1500;
    QTest::newRow("program, waiting for the chip") << true << 2245;
}

void TestCliApp::interrupted()
{
    QFETCH(bool, program);
    QFETCH(int, afterBytes);
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 1);
    h.line = [&h, afterBytes](int, VirtualClock& clock) {
        return std::make_unique<SignallingLine>(std::make_unique<sim::SimLine>(*h.sims[0], clock),
                                                afterBytes, h.cancel);
    };
    const QString file = path(QStringLiteral("image.bin"));
    if (program)
        writeFile(file, randomBytes(768, 1));
    const QDateTime before = QFileInfo(file).lastModified();
    const int code = h.run({program ? QStringLiteral("program") : QStringLiteral("read"),
                            QStringLiteral("--chip"), QStringLiteral("68HC12B32"),
                            QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file});
    QCOMPARE(code, int(ExitTransfer));
    QCOMPARE(h.outcomes.at(0).result, link::TransferResult::Cancelled);
    QVERIFY2(h.errText().contains(QStringLiteral("SYMULATOR: Przerwano")), qPrintable(h.errText()));
    // Stopped at a frame boundary, with CMD_END as the session's last frame.
    QCOMPARE(lastFrameCommand(*h.sims[0]), link::CMD_END);
    QCOMPARE(h.sims[0]->violations().size(), std::size_t{0});
    QVERIFY(!h.sims[0]->inspect(
        [](const sim::Target&, const sim::Adapter& a) { return a.inSession(); }));
    // No file from a read that did not end, not even a temporary one; the input is untouched.
    const QStringList left = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, program ? QStringList{QStringLiteral("image.bin")} : QStringList());
    if (program)
        QCOMPARE(QFileInfo(file).lastModified(), before);
}

void TestCliApp::threePortsOneImage()
{
    Harness h;
    h.addSimulators(sim::ChipKind::D60, 3);
    sim::Faults silent;
    silent.silent = true;
    h.sims[1] = std::make_unique<sim::Simulator>(sim::ChipKind::D60, silent);
    const QByteArray image = randomBytes(1024, 21);
    const QString file = path(QStringLiteral("line.bin"));
    writeFile(file, image);
    const int code =
        h.run({QStringLiteral("program"), QStringLiteral("--chip"), QStringLiteral("68HC12D60"),
               QStringLiteral("--port"), QStringLiteral("/dev/ttyUSB0"), QStringLiteral("--port"),
               QStringLiteral("/dev/ttyUSB1"), QStringLiteral("--port"),
               QStringLiteral("/dev/ttyUSB2"), file});
    // The highest code of any port; the working adapters are programmed all the same.
    QCOMPARE(code, int(ExitNoAdapter));
    QCOMPARE(eepromOf(*h.sims[0]), image);
    QCOMPARE(eepromOf(*h.sims[2]), image);
    QCOMPARE(eepromOf(*h.sims[1]), QByteArray(1024, char(0xFF)));
    QVERIFY(h.errText().contains(QStringLiteral("kestrel-cli: /dev/ttyUSB1: ") +
                                 link::programNoAdapterMessage()));
    // The summary: a header and one row per port, in the order given.
    const QStringList rows = QString::fromUtf8(h.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 4);
    QVERIFY2(rows[0].startsWith(QStringLiteral("PORT")), qPrintable(rows[0]));
    const QStringList expected{QStringLiteral("ok 0"), QStringLiteral("no-adapter 4"),
                               QStringLiteral("ok 0")};
    for (int i = 0; i < 3; ++i) {
        const QStringList cells = rows[i + 1].split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(cells.value(0), QStringLiteral("/dev/ttyUSB%1").arg(i));
        QCOMPARE(cells.mid(1, 2).join(u' '), expected[i]);
        QCOMPARE(cells.value(4), QStringLiteral("-"));
    }

    // Verified on a line where one board has a stuck cell: the table names its address.
    Harness v;
    sim::Faults stuck;
    stuck.stuck.emplace_back(std::uint16_t{0x0E42}, static_cast<std::uint8_t>(~image[0x242]));
    v.addSimulators(sim::ChipKind::D60, 3);
    v.sims[2] = std::make_unique<sim::Simulator>(sim::ChipKind::D60, stuck);
    QCOMPARE(
        v.run({QStringLiteral("program"), QStringLiteral("--verify"), QStringLiteral("--chip"),
               QStringLiteral("68HC12D60"), QStringLiteral("--port"), QStringLiteral("SYMULATOR"),
               QStringLiteral("--port"), QStringLiteral("SYMULATOR"), QStringLiteral("--port"),
               QStringLiteral("SYMULATOR"), file}),
        int(ExitDifferent));
    const QStringList verifyRows = QString::fromUtf8(v.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(verifyRows.size(), 4);
    QCOMPARE(verifyRows[1].split(u' ', Qt::SkipEmptyParts).value(4), QStringLiteral("-"));
    QCOMPARE(verifyRows[3].split(u' ', Qt::SkipEmptyParts).mid(1, 2),
             (QStringList{QStringLiteral("different"), QStringLiteral("6")}));
    QCOMPARE(verifyRows[3].split(u' ', Qt::SkipEmptyParts).value(4), QStringLiteral("0E42"));
}

void TestCliApp::jsonOnePerPort()
{
    Harness h;
    h.addSimulators(sim::ChipKind::B32, 2);
    sim::Faults hangUp;
    hangUp.hangUpAfterFrames = 100;
    h.sims[0] = std::make_unique<sim::Simulator>(sim::ChipKind::B32, hangUp);
    const QString file = path(QStringLiteral("a.bin"));
    writeFile(file, randomBytes(768, 2));
    const int code =
        h.run({QStringLiteral("program"), QStringLiteral("--json"), QStringLiteral("--chip"),
               QStringLiteral("68HC12B32"), QStringLiteral("--port"), QStringLiteral("SYMULATOR"),
               QStringLiteral("--port"), QStringLiteral("SYMULATOR"), file});
    QCOMPARE(code, int(ExitTransfer));
    const QList<QByteArray> lines = h.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    const QStringList results{QStringLiteral("line-lost"), QStringLiteral("ok")};
    for (int i = 0; i < 2; ++i) {
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(lines[i], &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(o.value(QStringLiteral("port")).toString(), QStringLiteral("SYMULATOR"));
        QCOMPARE(o.value(QStringLiteral("chip")).toString(), QStringLiteral("68HC12B32"));
        QCOMPARE(o.value(QStringLiteral("operation")).toString(), QStringLiteral("program"));
        QCOMPARE(o.value(QStringLiteral("result")).toString(), results[i]);
        QCOMPARE(o.value(QStringLiteral("exit_code")).toInt(), i == 0 ? 5 : 0);
        QCOMPARE(o.value(QStringLiteral("bytes")).toInt(), i == 0 ? 0 : 768);
        QVERIFY(o.value(QStringLiteral("seconds")).isDouble());
        QCOMPARE(o.value(QStringLiteral("differences")).toInt(-1), 0);
        QVERIFY(o.value(QStringLiteral("difference_addresses")).isArray());
    }
}

void TestCliApp::quietPrintsOnlyErrors()
{
    Harness ok;
    ok.addSimulators(sim::ChipKind::B32, 1);
    QCOMPARE(ok.run({QStringLiteral("read"), QStringLiteral("-q"), QStringLiteral("--chip"),
                     QStringLiteral("68HC12B32"), QStringLiteral("--port"),
                     QStringLiteral("SYMULATOR"), path(QStringLiteral("q.bin"))}),
             int(ExitOk));
    QCOMPARE(ok.errText(), QString());
    QCOMPARE(readFile(path(QStringLiteral("q.bin"))).size(), 768);

    sim::Faults silent;
    silent.silent = true;
    Harness failing;
    failing.addSimulators(sim::ChipKind::B32, 1, silent);
    QCOMPARE(
        failing.run({QStringLiteral("read"), QStringLiteral("--quiet"), QStringLiteral("--chip"),
                     QStringLiteral("68HC12B32"), QStringLiteral("--port"), QStringLiteral("COM1"),
                     path(QStringLiteral("r.bin"))}),
        int(ExitNoAdapter));
    QCOMPARE(failing.errText(),
             QStringLiteral("kestrel-cli: COM1: ") + link::readNoAdapterMessage() + u'\n');
}

void TestCliApp::chipsList()
{
    Harness h;
    QCOMPARE(h.run({QStringLiteral("chips")}), int(ExitOk));
    const QStringList rows = QString::fromUtf8(h.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 11);
    QCOMPARE(rows[9].split(u' ', Qt::SkipEmptyParts),
             (QStringList{"68HC12B32", "768", "0D00", "tak"}));
    QCOMPARE(rows[5].split(u' ', Qt::SkipEmptyParts),
             (QStringList{"68HC05", "256", "0100", "nie"}));

    Harness json;
    QCOMPARE(json.run({QStringLiteral("chips"), QStringLiteral("--json")}), int(ExitOk));
    const QList<QByteArray> lines = json.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 10);
    const QJsonObject d60 = QJsonDocument::fromJson(lines[9]).object();
    QCOMPARE(d60.value(QStringLiteral("chip")).toString(), QStringLiteral("68HC12D60"));
    QCOMPARE(d60.value(QStringLiteral("eeprom_size")).toInt(), 1024);
    QCOMPARE(d60.value(QStringLiteral("eeprom_base")).toString(), QStringLiteral("0C00"));
    QCOMPARE(d60.value(QStringLiteral("supported")).toBool(), true);
}

// The ports the window's list offers, in its order, a plugged-in adapter among them.
void TestCliApp::portsList()
{
    Harness h;
    h.machinePorts = {{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FT232R USB UART"),
                       QStringLiteral("FTDI")}};
    QCOMPARE(h.run({QStringLiteral("ports")}), int(ExitOk));
    const QStringList rows = QString::fromUtf8(h.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 5);
    QVERIFY(rows[1].startsWith(QStringLiteral("COM1")));
    QVERIFY(rows[3].startsWith(QStringLiteral("/dev/ttyUSB0")));
    QVERIFY(rows[3].contains(QStringLiteral("FT232R USB UART, FTDI")));
    QVERIFY(rows[4].startsWith(QStringLiteral("SYMULATOR")));

    h.out.clear();
    QCOMPARE(h.run({QStringLiteral("ports"), QStringLiteral("--json")}), int(ExitOk));
    const QList<QByteArray> lines = h.out.trimmed().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(QJsonDocument::fromJson(lines[2]).object().value(QStringLiteral("manufacturer")),
             QJsonValue(QStringLiteral("FTDI")));
    QCOMPARE(
        h.run({QStringLiteral("ports"), QStringLiteral("--chip"), QStringLiteral("68HC12B32")}),
        int(ExitUsage));
}

QTEST_GUILESS_MAIN(TestCliApp)
#include "tst_cliapp.moc"

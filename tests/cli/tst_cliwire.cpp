// The command line and the window send the same frames, with the same pauses, for the same
// operation: each drives its own simulated adapter through the line it chooses for
// "SYMULATOR", on a virtual clock, and the adapters' transcripts are compared.

#include "chip_table.h"
#include "cli_app.h"
#include "main_window.h"
#include "sim_transport.h"
#include "transfer_dispatch.h"
#include "virtual_clock.h"

#include <QBuffer>
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

using namespace kestrel;

namespace {

struct WireFrame
{
    sim::Frame bytes;
    std::int64_t firstUs; // from the session's first frame
    std::int64_t lastUs;
    std::vector<std::uint8_t> reply;

    bool operator==(const WireFrame&) const = default;
};

// The frames from index `from` on, with times from the first of them.
std::vector<WireFrame> framesOf(const sim::Simulator& s, std::size_t from)
{
    return s.inspect([from](const sim::Target&, const sim::Adapter& a) {
        std::vector<WireFrame> out;
        const auto& frames = a.frames();
        for (std::size_t i = from; i < frames.size(); ++i) {
            const std::int64_t origin = frames[from].firstUs;
            out.push_back({frames[i].bytes, frames[i].firstUs - origin, frames[i].lastUs - origin,
                           frames[i].reply});
        }
        return out;
    });
}

QString firstDifference(const std::vector<WireFrame>& a, const std::vector<WireFrame>& b)
{
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (!(a[i] == b[i]))
            return QStringLiteral("frame %1 differs (at %2 us and %3 us)")
                .arg(i + 1)
                .arg(a[i].firstUs)
                .arg(b[i].firstUs);
    }
    return QStringLiteral("%1 frames against %2").arg(a.size()).arg(b.size());
}

} // namespace

class TestCliWire : public QObject
{
    Q_OBJECT
private slots:
    void sameFramesAsTheWindow_data();
    void sameFramesAsTheWindow();
};

void TestCliWire::sameFramesAsTheWindow_data()
{
    QTest::addColumn<int>("chip");
    QTest::newRow("68HC12B32") << 8;
    QTest::newRow("68HC12D60") << 9;
}

void TestCliWire::sameFramesAsTheWindow()
{
    QFETCH(int, chip);
    const link::ChipRow& row = ChipTable[static_cast<std::size_t>(chip)];
    const QString chipName = QString::fromLatin1(row.name);
    std::mt19937 random(static_cast<unsigned>(chip));
    QByteArray image(row.EepromSize, '\0');
    for (char& b : image)
        b = static_cast<char>(random());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString imagePath = dir.filePath(QStringLiteral("image.bin"));
    {
        QFile f(imagePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(image);
    }

    // The window: the chip and "SYMULATOR" chosen, a read of the erased chip, then the image
    // programmed from the buffer.
    sim::registerSimulatorTransport();
    TForm1 form;
    form.transfers().setMessageSink([](const QString& text) { QFAIL(qPrintable(text)); });
    form.transfers().setFactories(
        [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); }, {});
    form.ComboBox2->setCurrentIndex(chip);
    form.ComboBox1->setCurrentText(QString::fromLatin1(sim::SimulatorPortName));
    sim::Simulator& windowSim = *sim::SimulatorRegistry::instance().chip(row.name);
    QCOMPARE(windowSim.frameCount(), std::size_t{0}); // erased, as the command line's
    QVERIFY(form.transfers().startRead());
    QVERIFY(form.transfers().waitFinished(60000));
    QCOMPARE(form.transfers().lastResult(), link::TransferResult::Done);
    const std::size_t windowProgramStart = windowSim.frameCount();
    for (int i = 0; i < row.EepromSize; ++i)
        form.image().EepromBuffer[static_cast<std::size_t>(i + 1)] =
            static_cast<std::uint8_t>(image[i]);
    QVERIFY(form.transfers().startProgram());
    QVERIFY(form.transfers().waitFinished(60000));
    QCOMPARE(form.transfers().lastResult(), link::TransferResult::Done);
    // "Zapisz i weryfikuj": programming, then a verify with the port opened again.
    const std::size_t windowProgramVerifyStart = windowSim.frameCount();
    form.transfers().setMessageSink([](const QString&) {});
    QVERIFY(form.transfers().startProgramVerify());
    QVERIFY(form.transfers().waitFinished(60000));
    QCOMPARE(form.transfers().lastResult(), link::TransferResult::Done);

    // The command line: the same two operations on "SYMULATOR", its line chosen as it does, with
    // the simulators its start-up registers.
    auto runCli = [&](const QStringList& args, const sim::PortSimulators& simulators) {
        simulators.registerTransport();
        QByteArray in, out, err;
        QBuffer inB(&in), outB(&out), errB(&err);
        inB.open(QIODevice::ReadOnly);
        outB.open(QIODevice::WriteOnly);
        errB.open(QIODevice::WriteOnly);
        cli::CliEnvironment env;
        env.in = &inB;
        env.out = &outB;
        env.err = &errB;
        env.makeClock = [] { return std::unique_ptr<link::Clock>(new testsupport::VirtualClock); };
        cli::CliApp app(std::move(env));
        return app.run(QStringList{QStringLiteral("kestrel-cli")} + args);
    };
    const sim::PortSimulators readSims;
    const sim::PortSimulators programSims;
    const sim::PortSimulators programVerifySims;
    const QString outPath = dir.filePath(QStringLiteral("read.bin"));
    QCOMPARE(runCli({QStringLiteral("read"), QStringLiteral("--chip"), chipName,
                     QStringLiteral("--port"), QStringLiteral("SYMULATOR"), outPath},
                    readSims),
             0);
    QCOMPARE(runCli({QStringLiteral("program"), QStringLiteral("--chip"), chipName,
                     QStringLiteral("--port"), QStringLiteral("SYMULATOR"), imagePath},
                    programSims),
             0);
    QCOMPARE(runCli({QStringLiteral("program"), QStringLiteral("--chip"), chipName,
                     QStringLiteral("--port"), QStringLiteral("SYMULATOR"),
                     QStringLiteral("--verify"), imagePath},
                    programVerifySims),
             0);
    sim::Simulator* readSim = readSims.simulatorOf(0);
    sim::Simulator* programSim = programSims.simulatorOf(0);
    QVERIFY(readSim != nullptr && programSim != nullptr && readSim != programSim);

    // Frame bytes, the times of their first and last bytes, and the adapter's replies.
    const auto windowRead = framesOf(windowSim, 0);
    auto windowProgram = framesOf(windowSim, windowProgramStart);
    windowProgram.resize(windowProgramVerifyStart - windowProgramStart);
    const auto windowProgramVerify = framesOf(windowSim, windowProgramVerifyStart);
    const auto cliProgramVerify = framesOf(*programVerifySims.simulatorOf(0), 0);
    const auto cliRead = framesOf(*readSim, 0);
    const auto cliProgram = framesOf(*programSim, 0);
    QCOMPARE(cliRead.size(), windowProgramStart);
    QVERIFY2(std::equal(windowRead.begin(), windowRead.begin() + qsizetype(windowProgramStart),
                        cliRead.begin(), cliRead.end()),
             qPrintable(firstDifference(windowRead, cliRead)));
    QVERIFY2(windowProgram == cliProgram, qPrintable(firstDifference(windowProgram, cliProgram)));
    QVERIFY2(windowProgramVerify == cliProgramVerify,
             qPrintable(firstDifference(windowProgramVerify, cliProgramVerify)));
    QCOMPARE(windowSim.eeprom(), programSim->eeprom());
    QCOMPARE(windowSim.violations().size(), std::size_t{0});
    QCOMPARE(programSim->violations().size(), std::size_t{0});
}

QTEST_MAIN(TestCliWire)
#include "tst_cliwire.moc"

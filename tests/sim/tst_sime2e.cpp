// Real time, through a pseudo-terminal and the real serial line: a full read, a full
// programming run and a read back of one chip, with no pacing violation.

#include "chip_workers.h"
#include "pty_server.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "recording_observer.h"
#include "simulator.h"
#include "workers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <random>

using namespace kestrel;
using namespace kestrel::sim;
using kestrel::link::TransferResult;
using kestrel::testsupport::RecordingObserver;

#ifndef E2E_CHIP_D60
#define E2E_CHIP_D60 0
#endif

namespace {

std::vector<std::uint8_t> randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
    for (auto& b : out)
        b = static_cast<std::uint8_t>(random());
    return out;
}

// The real line, with the time each byte was handed to it, to tell the host's pacing from the
// delivery through the pseudo-terminal when the simulator reports a gap.
class TimedLine : public link::SerialLine
{
public:
    explicit TimedLine(std::vector<std::int64_t>& sendTimes) : times_(sendTimes) {}
    [[nodiscard]] link::OpenStatus open(const QString& name, int t) override
    {
        return line_.open(name, t);
    }
    [[nodiscard]] bool sendByte(std::uint8_t byte) override
    {
        const bool ok = line_.sendByte(byte);
        if (ok)
            times_.push_back(steadyNowUs());
        return ok;
    }
    [[nodiscard]] link::ReadResult read(std::uint8_t* b, int n, int t) override
    {
        return line_.read(b, n, t);
    }
    void close() override { line_.close(); }
    [[nodiscard]] bool broken() const override { return line_.broken(); }

private:
    link::QSerialPortLine line_;
    std::vector<std::int64_t>& times_;
};

std::vector<std::int64_t> sendTimes;

TransferResult runWorker(link::WorkerRoutine worker, const QString& port,
                         RecordingObserver& observer, const std::vector<std::uint8_t>& image = {})
{
    TimedLine line(sendTimes);
    link::RealClock clock;
    link::TransferContext ctx{line, clock, observer, port, {}, nullptr};
    ctx.image = QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    return worker(ctx);
}

} // namespace

class TestSimE2E : public QObject
{
    Q_OBJECT

private slots:
    void readProgramReadBack();
};

void TestSimE2E::readProgramReadBack()
{
    const bool d60 = E2E_CHIP_D60 != 0;
    const ChipKind kind = d60 ? ChipKind::D60 : ChipKind::B32;
    const int size = chipModel(kind).eepromSize();
    const auto program = d60 ? link::ProgramWorkerD60 : link::ProgramWorkerB32;
    const auto read = d60 ? link::ReadWorkerD60 : link::ReadWorkerB32;

    Simulator sim(kind);
    const auto initial = randomBytes(size, 1);
    QVERIFY(sim.modify([&](Target& t) { return t.loadEeprom(initial); }));
    BackgroundPtyServer server(sim);
    std::string error;
    QVERIFY2(server.start(error), error.c_str());
    const QString port = QString::fromStdString(server.slavePath());

    QElapsedTimer timer;
    timer.start();
    RecordingObserver first;
    QCOMPARE(runWorker(read, port, first), TransferResult::Done);
    const qint64 readMs = timer.restart();
    QCOMPARE(std::vector<std::uint8_t>(first.image.begin(), first.image.end()), initial);

    const auto image = randomBytes(size, 2);
    RecordingObserver programmed;
    QCOMPARE(runWorker(program, port, programmed, image), TransferResult::Done);
    const qint64 programMs = timer.restart();
    QCOMPARE(sim.eeprom(), image);

    RecordingObserver back;
    QCOMPARE(runWorker(read, port, back), TransferResult::Done);
    QCOMPARE(std::vector<std::uint8_t>(back.image.begin(), back.image.end()), image);
    server.stop();

    const std::size_t words = static_cast<std::size_t>(size / 2);
    const std::size_t frames = 2 * (3 + words + 1) + (3 + 61 + words + 1 + 1);
    // A reply the kernel handed over late makes a read ask for its word again: more frames, never
    // fewer, and every byte of them accounted for.
    QVERIFY2(sim.frameCount() >= frames, qPrintable(QString::number(sim.frameCount())));
    QCOMPARE(sendTimes.size(), 5 * sim.frameCount());
    // The host's side: at least 2 ms between the bytes of a frame.
    auto hostGapUs = [](std::size_t frame) { // 1-based
        std::int64_t gap = INT64_MAX;
        for (std::size_t i = 5 * (frame - 1) + 1; i < 5 * frame; ++i)
            gap = std::min(gap, sendTimes[i] - sendTimes[i - 1]);
        return gap;
    };
    for (std::size_t f = 1; f <= sim.frameCount(); ++f)
        QVERIFY2(hostGapUs(f) >= 2000, qPrintable(QStringLiteral("frame %1").arg(f)));
    // The simulator's side, as the bytes came out of the pseudo-terminal: not one violation.
    // Delivery only delays bytes, and the simulator's pacing verdict allows for that.
    QString text;
    for (const Violation& v : sim.violations())
        text += QStringLiteral("frame %1: %2; the host sent them %3 us apart\n")
                    .arg(v.frame)
                    .arg(QString::fromStdString(v.what))
                    .arg(v.frame > 0 ? hostGapUs(v.frame) : -1);
    QVERIFY2(sim.violations().empty(), qPrintable(text));
    qInfo("read %lld ms, programming %lld ms", readMs, programMs);
}

QTEST_GUILESS_MAIN(TestSimE2E)
#include "tst_sime2e.moc"

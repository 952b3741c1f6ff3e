// bench_trace_pty [runs] [TRACE]
// What the line trace costs a transfer: whole 68HC12B32 reads through a pseudo-terminal to a peer
// that answers at once, with the trace written to a file by its pump thread and without it, in
// turns (off, on, on, off, ...), each as a ratio to the read's nominal time: its pauses and
// waits in virtual time against the same peer.

#include "adapter_commands.h"
#include "chip_workers.h"
#include "fake_line.h"
#include "pty_peer.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "trace_output.h"
#include "virtual_clock.h"
#include "workers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <numeric>

using namespace kestrel::link;
using kestrel::testsupport::FakeLine;
using kestrel::testsupport::PtyPeer;
using kestrel::testsupport::VirtualClock;

namespace {

class QuietObserver : public TransferObserver
{
public:
    void setStatus(const QString&) override {}
    void startPhase(Phase) override {}
    void setProgressMax(int) override {}
    void setProgress(int) override {}
    void showMessage(const QString& text) override { messages << text; }
    void imageRead(const QByteArray&) override {}
    void finished(const kestrel::link::TransferOutcome&) override {}
    QStringList messages;
};

// The adapter's answers from a fixed memory, so that the confirming reads agree.
QByteArray answer(const std::array<std::uint8_t, 5>& f)
{
    auto byteAt = [](int a) { return char((a * 7 + 3) & 0xFF); };
    if (f[0] == CMD_READ_STATUS)
        return QByteArray::fromHex("C000");
    if (f[0] == CMD_READ_WORD) {
        const int a = f[1] | f[2] << 8;
        return QByteArray(1, byteAt(a + 1)) + QByteArray(1, byteAt(a));
    }
    return {};
}

// The read's nominal time in ms, how many events its trace records and how long formatting
// them takes (ms of the pump's thread).
double nominalMs(std::size_t& events, double& formatMs)
{
    VirtualClock clock;
    FakeLine fake(clock);
    fake.setResponder(answer);
    fake.setReplyDelay(std::chrono::microseconds(0));
    TraceRecorder recorder;
    TracingLine line(fake, clock, recorder);
    QuietObserver observer;
    TransferContext ctx{line, clock, observer, QStringLiteral("bench"), {}, nullptr};
    if (ReadWorkerB32(ctx) != TransferResult::Done)
        std::fprintf(stderr, "the read in virtual time failed\n");
    const std::vector<TraceEvent> taken = recorder.take();
    events = taken.size();
    TraceFormatter formatter(recorder);
    QElapsedTimer timer;
    timer.start();
    const qsizetype lines = formatter.lines(taken).size() + formatter.finish().size();
    formatMs = double(timer.nsecsElapsed()) / 1e6;
    if (lines == 0)
        std::fprintf(stderr, "no trace\n");
    return double(clock.now().count()) / 1000.0;
}

class NullLine final : public SerialLine
{
public:
    OpenStatus open(const QString&, int) override { return OpenStatus::Opened; }
    bool sendByte(std::uint8_t) override { return true; }
    ReadResult read(std::uint8_t*, int, int) override { return {}; }
    void close() override {}
    bool broken() const override { return false; }
};

// What recording adds to one byte handed to the line, in ns: a send through a TracingLine to a
// line that does nothing, less the same send without it.
double recordingCostNs()
{
    constexpr int Bytes = 200000;
    NullLine null;
    RealClock clock;
    TraceRecorder recorder;
    TracingLine traced(null, clock, recorder);
    auto time = [](SerialLine& line) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < Bytes; ++i)
            (void)line.sendByte(static_cast<std::uint8_t>(i));
        return double(timer.nsecsElapsed()) / Bytes;
    };
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        best = std::min(best, time(traced) - time(null));
        (void)recorder.take();
    }
    return best;
}

// One read's wall time in ms, or a negative value when it failed.
double timedRead(const QString& tracePath)
{
    PtyPeer peer;
    if (!peer.isValid())
        return -1.0;
    peer.setScript(answer);
    peer.start();
    QSerialPortLine realLine;
    RealClock clock;
    TraceRecorder recorder;
    TracingLine tracing(realLine, clock, recorder);
    TraceFileWriter writer;
    TracePump pump(recorder, writer);
    const bool traced = !tracePath.isEmpty();
    if (traced) {
        if (!writer.open(tracePath))
            return -1.0;
        pump.start();
    }
    SerialLine& line = traced ? static_cast<SerialLine&>(tracing) : realLine;
    QuietObserver observer;
    TransferContext ctx{line, clock, observer, peer.slaveName(), {}, nullptr};
    QElapsedTimer timer;
    timer.start();
    const TransferResult result = ReadWorkerB32(ctx);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    pump.stop();
    peer.stop();
    return result == TransferResult::Done && writer.error().isEmpty() ? ms : -1.0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double mean(const std::vector<double>& v)
{
    return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    // A second argument keeps the last traced read's trace there (for kestrel-sim --judge).
    QTemporaryDir dir;
    const QString tracePath =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("trace.txt"));
    std::size_t events = 0;
    double formatMs = 0;
    const double nominal = nominalMs(events, formatMs);
    const double costNs = recordingCostNs();
    std::printf("68HC12B32 read over a pseudo-terminal, trace off and on in turns; nominal %.1f "
                "ms\n",
                nominal);
    std::printf("recording: %.0f ns per event on the transfer's thread, %zu events per read: "
                "%.4f %% of the nominal time\n",
                costNs, events, costNs * double(events) / (nominal * 1e6) * 100);
    std::printf("formatting them: %.1f ms on the pump's thread (%.3f %% of the nominal time)\n",
                formatMs, formatMs / nominal * 100);
    std::vector<double> off;
    std::vector<double> on;
    for (int i = 0; i < 2 * runs; ++i) {
        // off on, on off, off on, ...: a drift of the machine weighs on both alike.
        const bool traced = (i % 2 == 1) != (i / 2 % 2 == 1);
        const double ms = timedRead(traced ? tracePath : QString());
        if (ms < 0) {
            std::fprintf(stderr, "run %d (trace %s) failed\n", i + 1, traced ? "on" : "off");
            return 1;
        }
        (traced ? on : off).push_back(ms / nominal);
        std::printf("run %2d  trace %-3s  wall %9.1f ms  ratio %.4f\n", i + 1,
                    traced ? "on" : "off", ms, ms / nominal);
        std::fflush(stdout);
    }
    std::printf("trace off: mean %.4f, median %.4f\n", mean(off), median(off));
    std::printf("trace on:  mean %.4f, median %.4f\n", mean(on), median(on));
    std::printf("difference of the means %+.3f %%, of the medians %+.3f %% (goal: at most 0.3 %%)\n",
                (mean(on) / mean(off) - 1) * 100, (median(on) / median(off) - 1) * 100);
    return 0;
}

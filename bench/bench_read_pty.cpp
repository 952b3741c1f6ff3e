// Wall time of a whole 68HC12B32 read over the production line and clock, against the sum of
// the pauses the sequence prescribes. The far end is a pseudo-terminal whose peer answers every
// frame at once, so everything above the nominal time is the host's own overhead.

#include "adapter.h"
#include "chip_workers.h"
#include "pty_peer.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "workers.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <cstdio>

using namespace kestrel::link;
using kestrel::testsupport::PtyPeer;

namespace {

class CountingObserver : public TransferObserver
{
public:
    void setStatus(const QString& text) override { lastStatus = text; }
    void startPhase(Phase) override {}
    void setProgressMax(int) override {}
    void setProgress(int) override { ++progressCalls; }
    void showMessage(const QString& text) override { messages << text; }
    void imageRead(const QByteArray& bytes) override { imageSize = bytes.size(); }
    void finished(const kestrel::link::TransferOutcome&) override {}

    QString lastStatus;
    QStringList messages;
    int progressCalls = 0;
    qsizetype imageSize = 0;
};

// Time spent inside the line's calls.
class TimedLine : public SerialLine
{
public:
    explicit TimedLine(SerialLine& inner) : inner_(inner) {}
    OpenStatus open(const QString& portName, int readTimeoutMs) override
    {
        return inner_.open(portName, readTimeoutMs);
    }
    bool sendByte(std::uint8_t byte) override
    {
        timer_.start();
        const bool ok = inner_.sendByte(byte);
        sendNs += timer_.nsecsElapsed();
        ++sends;
        return ok;
    }
    ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override
    {
        timer_.start();
        const ReadResult r = inner_.read(buffer, maxBytes, timeoutMs);
        readNs += timer_.nsecsElapsed();
        ++reads;
        return r;
    }
    void close() override { inner_.close(); }
    bool broken() const override { return inner_.broken(); }

    qint64 sendNs = 0;
    qint64 readNs = 0;
    int sends = 0;
    int reads = 0;

private:
    SerialLine& inner_;
    QElapsedTimer timer_;
};

// How far each pause runs past its length.
class TimedClock : public Clock
{
public:
    void pauseMs(int ms) override
    {
        const auto start = inner_.now();
        inner_.pauseMs(ms);
        const auto over = (inner_.now() - start - std::chrono::milliseconds(ms)).count();
        overUs += over;
        maxOverUs = std::max<qint64>(maxOverUs, over);
        ++pauses;
    }
    std::chrono::microseconds now() const override { return inner_.now(); }

    qint64 overUs = 0;
    qint64 maxOverUs = 0;
    int pauses = 0;

private:
    RealClock inner_;
};

// The frames: CMD_BEGIN 48, CMD_PREPARE 28, CMD_READ_STATUS 16, 384 x CMD_READ_WORD 12,
// CMD_END 48 ms. The sequence adds the 100-ms settling pause after the open and the 30 ms (a
// whole reply deadline) the line must stay quiet after the last word.
constexpr int Words = 384;
constexpr int FramesMs = 48 + 28 + 16 + Words * 12 + 48;
constexpr int NominalMs = 100 + FramesMs + 30;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 1;
    if (argc > 1)
        runs = std::max(1, QString::fromLocal8Bit(argv[1]).toInt());

    std::printf("68HC12B32 read over a pseudo-terminal, peer answering at once\n");
    std::printf("nominal sum of pauses: %d ms (frames %d ms: 384 words x 12 + 48 + 28 + 16 + 48; "
                "settling after the open 100 ms; quiet after the last word 30 ms)\n",
                NominalMs, FramesMs);
    double worst = 0.0;
    for (int run = 1; run <= runs; ++run) {
        PtyPeer peer;
        if (!peer.isValid()) {
            std::fprintf(stderr, "no pseudo-terminal available\n");
            return 1;
        }
        peer.setScript([](const PtyPeer::Frame& f) {
            if (f[0] == CMD_READ_STATUS)
                return QByteArray::fromHex("C000");
            if (f[0] == CMD_READ_WORD)
                return QByteArray(1, char(f[1])) + QByteArray(1, char(f[2]));
            return QByteArray();
        });
        peer.start();

        QSerialPortLine realLine;
        TimedLine line(realLine);
        TimedClock clock;
        CountingObserver observer;
        TransferContext ctx{line, clock, observer, peer.slaveName(), {}, nullptr};
        QElapsedTimer timer;
        timer.start();
        const TransferResult result = ReadWorkerB32(ctx);
        const qint64 ns = timer.nsecsElapsed();
        peer.stop();

        const double ms = double(ns) / 1e6;
        const double ratio = ms / NominalMs;
        worst = std::max(worst, ratio);
        std::printf("run %d: %s, wall %.1f ms, ratio %.4f (%.4f against the frames alone), "
                    "%d frames, image %lld bytes\n",
                    run, result == TransferResult::Done ? "done" : "FAILED", ms, ratio,
                    ms / FramesMs, peer.framesReceived(),
                    static_cast<long long>(observer.imageSize));
        std::printf("  %d bytes sent, %.1f us each; %d reads, %.1f us each; %d pauses, "
                    "%.1f us over on average, %lld us at most\n",
                    line.sends, line.sendNs / 1e3 / std::max(1, line.sends), line.reads,
                    line.readNs / 1e3 / std::max(1, line.reads), clock.pauses,
                    double(clock.overUs) / std::max(1, clock.pauses),
                    static_cast<long long>(clock.maxOverUs));
        // Gaps between the bytes of one frame as the peer saw them come in.
        const auto arrivals = peer.arrivals();
        qint64 minGapUs = INT64_MAX;
        int below = 0;
        for (std::size_t i = 1; i < arrivals.size(); ++i) {
            if (i % 5 == 0)
                continue;
            const auto gap =
                std::chrono::duration_cast<std::chrono::microseconds>(arrivals[i] - arrivals[i - 1])
                    .count();
            minGapUs = std::min<qint64>(minGapUs, gap);
            below += gap < 2000 ? 1 : 0;
        }
        std::printf("  peer: shortest gap inside a frame %lld us, %d of %zu gaps under 2 ms\n",
                    static_cast<long long>(minGapUs), below, arrivals.size() - arrivals.size() / 5);
        for (const QString& m : observer.messages)
            std::printf("  message: %s\n", qPrintable(m));
    }
    std::printf("worst ratio %.4f (goal: at most 1.02)\n", worst);
    return 0;
}

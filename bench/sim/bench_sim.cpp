// Interpreter speed over a full 68HC12D60 routine. With --realtime also a full read, verify and
// programming run of each chip through a pseudo-terminal and the real serial line, with their
// ratio to the nominal sum of pauses. Prints figures; asserts nothing.

#include "adapter.h"
#include "pty_server.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "sim_target.h"
#include "simulator.h"
#include "target_routines.h"
#include "transfer_observer.h"
#include "workers.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

using namespace kestrel;

namespace {

void interpreterRun()
{
    sim::Target target(sim::ChipKind::D60);
    const auto& routine = link::TargetRoutineD60;
    for (int i = 0; i < 2 * link::TargetRoutineWords; ++i)
        target.write8(static_cast<std::uint16_t>(0x0200 + i), routine[static_cast<std::size_t>(i)]);
    std::mt19937 random(7);
    for (int i = 0; i < 1024; ++i)
        target.write8(static_cast<std::uint16_t>(0x0300 + i), static_cast<std::uint8_t>(random()));

    const auto t0 = std::chrono::steady_clock::now();
    const sim::RunReport report = target.run(0x0200);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("68HC12D60 routine: %s\n", report.summary().c_str());
    std::printf("interpreter: %llu instructions in %.3f s = %.1f million instructions/s "
                "(goal: whole routine under 0.5 s)\n",
                static_cast<unsigned long long>(report.instructions), seconds,
                static_cast<double>(report.instructions) / seconds / 1e6);
}

class QuietObserver : public link::TransferObserver
{
public:
    void setStatus(const QString&) override {}
    void startPhase(link::Phase) override {}
    void setProgressMax(int) override {}
    void setProgress(int) override {}
    void showMessage(const QString& text) override
    {
        std::printf("  message: %s\n", qPrintable(text));
    }
    void imageRead(const QByteArray& bytes) override { image = bytes; }
    void finished(const kestrel::link::TransferOutcome&) override {}
    QByteArray image;
};

constexpr int frameMs(int pauseMs)
{
    return 4 * link::BytePauseMs + pauseMs;
}

// The settling pause after the open, BEGIN, one PREPARE / READ_STATUS pair, END.
constexpr int sessionMs = link::SettlePauseMs + frameMs(link::BeginPauseMs) +
                          frameMs(link::PreparePauseMs) + frameMs(link::ReadStatusPauseMs) +
                          frameMs(link::EndPauseMs);

double timed(link::WorkerRoutine worker, sim::ChipKind kind, const QString& port,
             QuietObserver& observer, const std::vector<std::uint8_t>& image,
             link::TransferResult& result)
{
    link::QSerialPortLine line;
    link::RealClock clock;
    link::TransferContext ctx{
        line, clock, observer, port, {}, nullptr, link::chipRecord(sim::chipModel(kind).name)};
    ctx.image = QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
    const auto t0 = std::chrono::steady_clock::now();
    result = link::runTransfer(worker, ctx);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

bool realtimeRuns(sim::ChipKind kind)
{
    const bool d60 = kind == sim::ChipKind::D60;
    const int size = sim::chipModel(kind).eepromSize();
    const int words = size / 2;
    sim::Simulator simulator(kind);
    sim::BackgroundPtyServer server(simulator);
    std::string error;
    if (!server.start(error)) {
        std::printf("pty: %s\n", error.c_str());
        return false;
    }
    const QString port = QString::fromStdString(server.slavePath());
    std::mt19937 random(3);
    std::vector<std::uint8_t> image(static_cast<std::size_t>(size));
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random());

    QuietObserver programObserver;
    link::TransferResult programResult{};
    const double programMs =
        timed(link::ProgramWorker, kind, port, programObserver, image, programResult);
    QuietObserver readObserver;
    link::TransferResult readResult{};
    const double readMs = timed(link::ReadWorker, kind, port, readObserver, {}, readResult);
    QuietObserver verifyObserver;
    link::TransferResult verifyResult{};
    const double verifyMs =
        timed(link::VerifyWorker, kind, port, verifyObserver, image, verifyResult);
    server.stop();

    // After the last word the line must stay quiet for a whole reply deadline.
    constexpr int readSettleMs = link::replyDeadlineMs(link::ReadReadTimeoutMs);
    constexpr int waitMs = 1001 * 20;
    const int nominalRead = sessionMs + words * frameMs(link::ReadWordPauseMs) + readSettleMs;
    const int nominalProgram =
        sessionMs + (link::TargetRoutineWords + words) * frameMs(link::WriteWordPauseMs) +
        frameMs(link::RunPauseMs) + waitMs;
    const bool readOk =
        readResult == link::TransferResult::Done &&
        std::equal(image.begin(), image.end(),
                   reinterpret_cast<const std::uint8_t*>(readObserver.image.data()));
    const char* name = d60 ? "68HC12D60" : "68HC12B32";
    std::printf("%s read:        %8.1f ms, nominal pauses %6d ms, ratio %.4f (goal <= 1.02)%s\n",
                name, readMs, nominalRead, readMs / nominalRead, readOk ? "" : "  FAILED");
    std::printf("%s verify:      %8.1f ms, nominal pauses %6d ms, ratio %.4f (goal <= 1.02)%s\n",
                name, verifyMs, nominalRead, verifyMs / nominalRead,
                verifyResult == link::TransferResult::Done ? "" : "  FAILED");
    std::printf("%s programming: %8.1f ms, nominal pauses %6d ms, ratio %.4f%s\n", name, programMs,
                nominalProgram, programMs / nominalProgram,
                programResult == link::TransferResult::Done ? "" : "  FAILED");
    const auto violations = simulator.violations();
    std::printf("%s: %zu frames, %zu pacing or protocol violation(s)\n", name,
                simulator.frameCount(), violations.size());
    return readOk && programResult == link::TransferResult::Done &&
           verifyResult == link::TransferResult::Done;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv); // the serial port's blocking waits need one
    interpreterRun();
    if (argc > 1 && std::strcmp(argv[1], "--realtime") == 0) {
        bool ok = realtimeRuns(sim::ChipKind::B32);
        ok = realtimeRuns(sim::ChipKind::D60) && ok;
        return ok ? 0 : 1;
    }
    std::printf("(run with --realtime for the transfers through a pseudo-terminal, about 70 s)\n");
    return 0;
}

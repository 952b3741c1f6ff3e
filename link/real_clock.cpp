#include "real_clock.h"

#include <thread>

namespace kestrel::link {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Time left to wait actively after sleeping; covers the wake-up latency of an idle system.
constexpr auto SpinMargin = std::chrono::microseconds(300);

} // namespace

void RealClock::pauseMs(int ms)
{
    if (ms <= 0)
        return;
    pauseUntil(now() + std::chrono::milliseconds(ms));
}

std::chrono::microseconds RealClock::now() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        SteadyClock::now().time_since_epoch());
}

void RealClock::pauseUntil(std::chrono::microseconds deadline) const
{
    const SteadyClock::time_point end{std::chrono::duration_cast<SteadyClock::duration>(deadline)};
    if (end - SteadyClock::now() > SpinMargin)
        std::this_thread::sleep_until(end - SpinMargin);
    while (SteadyClock::now() < end)
        std::this_thread::yield();
}

} // namespace kestrel::link

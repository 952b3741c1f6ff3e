#pragma once

#include "clock.h"

namespace kestrel::link {

// Wall-clock pauses: sleeps through most of a pause and waits out the last fraction of a
// millisecond actively, so a pause ends within a few microseconds of its deadline on an idle
// machine instead of overshooting by the scheduler's wake-up latency. On Linux the pausing
// thread's timer slack is lowered to 1 ns, so that the active part stays at 50 us.
class RealClock : public Clock
{
public:
    void pauseMs(int ms) override;
    [[nodiscard]] std::chrono::microseconds now() const override;

private:
    static void waitUntil(std::chrono::steady_clock::time_point end);
};

} // namespace kestrel::link

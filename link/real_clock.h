#pragma once

#include "clock.h"

namespace kestrel::link {

// Wall-clock pauses: sleeps through most of a pause and waits out the last fraction of a
// millisecond actively, so a pause ends within a few microseconds of its deadline on an idle
// machine instead of overshooting by the scheduler's wake-up latency.
class RealClock : public Clock
{
public:
    void pauseMs(int ms) override;
    [[nodiscard]] std::chrono::microseconds now() const override;
    // Waits until the given time on the same scale as now().
    void pauseUntil(std::chrono::microseconds deadline) const;
};

} // namespace kestrel::link

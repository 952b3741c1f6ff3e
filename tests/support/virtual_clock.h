#pragma once

#include "clock.h"

#include <chrono>

namespace kestrel::testsupport {

// A clock whose time moves only when something pauses or waits on it.
class VirtualClock : public link::Clock
{
public:
    void pauseMs(int ms) override
    {
        now_ += std::chrono::milliseconds(ms);
        totalPaused_ += std::chrono::milliseconds(ms);
    }
    [[nodiscard]] std::chrono::microseconds now() const override { return now_; }
    void advance(std::chrono::microseconds by) { now_ += by; }
    // Sum of all pauses requested through pauseMs.
    [[nodiscard]] std::chrono::microseconds totalPaused() const { return totalPaused_; }

private:
    std::chrono::microseconds now_{0};
    std::chrono::microseconds totalPaused_{0};
};

} // namespace kestrel::testsupport

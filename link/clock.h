#pragma once

#include <chrono>

namespace kestrel::link {

// Time source for the link's pauses. Tests use a virtual clock that advances on pause.
class Clock
{
public:
    virtual ~Clock() = default;
    // Pauses at least ms milliseconds.
    virtual void pauseMs(int ms) = 0;
    // Monotonic time since an arbitrary origin.
    [[nodiscard]] virtual std::chrono::microseconds now() const = 0;
};

} // namespace kestrel::link

#pragma once

#include "adapter_commands.h"

#include <optional>

namespace kestrel::link {

// The speeds the driver of an open serial device actually set, in baud.
struct LineSpeed
{
    unsigned input = 0; // 0: the same as output
    unsigned output = 0;
};

// Reads the speeds back from the driver (Linux: TCGETS2). Empty where that is not available.
[[nodiscard]] std::optional<LineSpeed> readLineSpeed(int fd);

// The largest departure from the line's speed (LineBaudRate) a UART reads without error (1 %): a
// USB-serial chip's divisor gives the nearest rate it can (a PL2303 12820 baud).
inline constexpr unsigned LineBaudTolerance = LineBaudRate / 100;

// Whether the driver's speeds are close enough to 12800 baud, in both directions (an input
// speed of 0 is the output's); with no report from the driver, the speed the port claims.
[[nodiscard]] bool lineSpeedAccepted(const std::optional<LineSpeed>& reported, unsigned claimed);

// Asks the driver to hand received bytes over at once (Linux: ASYNC_LOW_LATENCY, which turns a
// USB-serial chip's latency timer down to 1 ms). False where it was not granted; that is no error.
bool requestLowLatency(int fd);

} // namespace kestrel::link

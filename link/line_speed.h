#pragma once

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

} // namespace kestrel::link

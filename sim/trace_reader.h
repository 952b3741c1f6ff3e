#pragma once

// Reads the line trace the link writes (its format: link/trace_format.h and kestrel-cli(1),
// TRACE), in standard C++ alone.

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::sim {

struct TracedEntry
{
    enum class Kind
    {
        Open,
        OpenFailed,
        Frame,      // bytes sent: the first at atUs, each next one gapsUs later
        Reply,      // a read returned at atUs with bytes
        SendFailed, // bytes[0] was refused
        Close,
        Broken, // the host found the line broken
    };
    Kind kind = Kind::Close;
    std::size_t line = 0; // 1-based
    std::int64_t atUs = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<std::int64_t> gapsUs;    // Frame: bytes.size() - 1 of them
    std::optional<std::int64_t> afterUs; // Reply with bytes: since the last byte sent
    int expected = 0;                    // Reply that ended short: bytes asked for
    int withinMs = 0;                    // ... and its time-out
    bool broken = false;                 // Reply: the line broke
};

struct TraceReading
{
    std::vector<TracedEntry> entries;
    std::string error;     // empty when the whole trace was read
    std::size_t line = 0;  // where the error is
};

[[nodiscard]] TraceReading readTrace(std::istream& in);

// "148.000" (up to three decimals) as microseconds.
[[nodiscard]] std::optional<std::int64_t> parseTraceMs(const std::string& text);

} // namespace kestrel::sim

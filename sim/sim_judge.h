#pragma once

// kestrel-sim --judge: a line trace's frames run, at their recorded times, through the strict
// adapter as bytes stamped when they were sent.

#include "sim_chip.h"
#include "simulator.h"
#include "trace_reader.h"

#include <string>
#include <vector>

namespace kestrel::sim {

// Exit codes of a judgement; a trace that cannot be read or parsed exits 1.
inline constexpr int JudgedClean = 0;
inline constexpr int JudgedViolations = 2;

struct Judgement
{
    std::size_t frames = 0;
    std::vector<Violation> violations;
    std::string summary; // as a served session prints it
    std::string error;   // a trace whose times go back; then nothing was judged
    std::size_t errorLine = 0;
};

// Runs every frame's bytes (the first at its time, each next one its gap later) through a
// simulator of the chip with exact stamps; an open attaches the line, a close detaches it.
[[nodiscard]] Judgement judgeTrace(const std::vector<TracedEntry>& entries, ChipKind chip);

// Reads the trace file, judges it and prints the summary on standard output (errors on
// standard error, "kestrel-sim: FILE:LINE: ..."). Returns the exit code.
[[nodiscard]] int judgeTraceFile(const std::string& path, ChipKind chip);

} // namespace kestrel::sim

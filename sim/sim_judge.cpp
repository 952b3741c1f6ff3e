#include "sim_judge.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>

namespace kestrel::sim {

namespace {

// Feeds the entries into the simulator; the error's text, or empty.
std::string feed(const std::vector<TracedEntry>& entries, Simulator& simulator,
                 std::size_t& errorLine)
{
    bool attached = false;
    std::int64_t lastUs = 0;
    for (const TracedEntry& e : entries) {
        if (e.atUs < lastUs && e.kind != TracedEntry::Kind::Reply) {
            errorLine = e.line;
            return "the time goes back";
        }
        switch (e.kind) {
        case TracedEntry::Kind::Open:
            if (attached)
                simulator.detach();
            attached = simulator.attach(e.atUs);
            break;
        case TracedEntry::Kind::Close:
            simulator.detach();
            attached = false;
            break;
        case TracedEntry::Kind::Frame: {
            if (!attached)
                attached = simulator.attach(e.atUs);
            std::int64_t t = e.atUs;
            for (std::size_t i = 0; i < e.bytes.size(); ++i) {
                t += i == 0 ? 0 : e.gapsUs[i - 1];
                (void)simulator.receive(e.bytes[i], t);
            }
            lastUs = t;
            // Replies are not compared with the trace's; drop them as they come due.
            std::uint8_t scratch[64];
            while (simulator.takeReplies(scratch, 64, INT64_MAX) > 0) {
            }
            continue;
        }
        case TracedEntry::Kind::OpenFailed:
        case TracedEntry::Kind::Reply:
        case TracedEntry::Kind::SendFailed:
        case TracedEntry::Kind::Broken:
            break;
        }
        lastUs = std::max(lastUs, e.atUs);
    }
    return {};
}

} // namespace

Judgement judgeTrace(const std::vector<TracedEntry>& entries, ChipKind chip)
{
    Judgement out;
    Simulator simulator(chip);
    simulator.setStamps(Stamps::Exact, false);
    out.error = feed(entries, simulator, out.errorLine);
    if (!out.error.empty())
        return out;
    out.frames = simulator.frameCount();
    out.violations = simulator.violations();
    out.summary = simulator.summary();
    return out;
}

int judgeTraceFile(const std::string& path, ChipKind chip)
{
    std::ifstream file(path);
    if (!file) {
        std::fprintf(stderr, "kestrel-sim: cannot read %s\n", path.c_str());
        return 1;
    }
    const TraceReading reading = readTrace(file);
    if (!reading.error.empty()) {
        std::fprintf(stderr, "kestrel-sim: %s:%zu: %s\n", path.c_str(), reading.line,
                     reading.error.c_str());
        return 1;
    }
    const Judgement j = judgeTrace(reading.entries, chip);
    if (!j.error.empty()) {
        std::fprintf(stderr, "kestrel-sim: %s:%zu: %s\n", path.c_str(), j.errorLine,
                     j.error.c_str());
        return 1;
    }
    std::printf("judged %s: the host's frames at their recorded times, stamps exact\n%s",
                path.c_str(), j.summary.c_str());
    return j.violations.empty() ? JudgedClean : JudgedViolations;
}

} // namespace kestrel::sim

#pragma once

#include "line_trace.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel::link {

// The trace's text, one line per event, times in ms from the trace's first event (three
// decimals, right-aligned in 10 columns), two spaces between fields:
//       0.000 open /dev/ttyUSB0  8N1 no flow control  time-out 10 ms  speed 12800
//       2.101 open-failed COM7  permission denied
//     148.000 > 16 00 0D 00 00  READ_WORD  gaps 2.000 2.000 2.000 2.000
//     156.000 < 5A A5  after 4.000 ms
//     200.000 < (none)  0 of 2 bytes within 30 ms
//     230.000 < 5A  after 12.000 ms  1 of 2 bytes within 30 ms  line broken
//     231.000 ! 16 not sent, line broken
//   25102.000 close
// A frame's line gives the time of its first byte and the gaps between its bytes (fewer than
// five bytes when the line broke or closed within it); a read's line gives the time it
// returned and the delay after the last byte sent. Reads that waited 0 ms and got nothing are
// left out. Lines beginning with '#' are comments.

// The command's name in the trace, "?" for a byte the adapter does not know.
[[nodiscard]] const char* traceCommandName(std::uint8_t command);

// Turns a recorder's events into the trace's lines. A frame's line waits for its last byte, and
// lines of reads made meanwhile wait for the frame's.
class TraceFormatter
{
public:
    explicit TraceFormatter(const TraceRecorder& recorder) : recorder_(recorder) {}

    // The comment the trace begins with.
    [[nodiscard]] static QString header();
    [[nodiscard]] QStringList lines(const std::vector<TraceEvent>& events);
    // Lines still held: a frame cut short by the end of the trace, and what followed it.
    [[nodiscard]] QStringList finish();

private:
    void add(const TraceEvent& e, QStringList& out);
    void flushFrame(QStringList& out);
    [[nodiscard]] QString stamp(std::int64_t atUs) const;
    [[nodiscard]] QString openLine(const TraceEvent& e) const;
    [[nodiscard]] QString readLine(const TraceEvent& e) const;

    const TraceRecorder& recorder_;
    std::optional<std::int64_t> originUs_;
    std::int64_t lastSentUs_ = 0;
    std::vector<std::uint8_t> frame_;
    std::vector<std::int64_t> frameTimes_;
    QStringList held_;
};

} // namespace kestrel::link

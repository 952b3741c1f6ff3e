#pragma once

#include "line_trace.h"
#include "trace_format.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace kestrel::link {

// Where the trace's lines go. Called from the thread that drains the recorder (a TracePump's
// own thread); a window's sink hands them to its panel by a queued call.
class TraceSink
{
public:
    virtual ~TraceSink() = default;
    virtual void lines(const QStringList& lines) = 0;
};

// Lines to a file or to standard error, each ended by a newline and flushed.
class TraceFileWriter final : public TraceSink
{
public:
    // Creates or truncates the file.
    [[nodiscard]] bool open(const QString& path);
    [[nodiscard]] bool openStandardError();
    void lines(const QStringList& lines) override;
    // The first write error, else empty.
    [[nodiscard]] QString error() const { return error_; }

private:
    QFile file_;
    QString error_;
};

// Formats what the recorder holds now and hands the lines to the sink; with finish, also a
// frame cut short. For writing a trace after the transfer, or from a pump.
void drainTrace(TraceRecorder& recorder, TraceFormatter& formatter, TraceSink& sink,
                bool finish);

// Drains a recorder into a sink on a thread of its own, every interval and once more, with the
// frame cut short, at stop(). The pacing thread only ever pushes events.
class TracePump
{
public:
    TracePump(TraceRecorder& recorder, TraceSink& sink,
              std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    ~TracePump();
    TracePump(const TracePump&) = delete;
    TracePump& operator=(const TracePump&) = delete;

    void start();
    // Waits for the thread, after it handed over every event recorded so far.
    void stop();

private:
    void run();

    TraceRecorder& recorder_;
    TraceSink& sink_;
    TraceFormatter formatter_;
    std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

// A line traced into a sink for one transfer, or the line itself without a sink: the pump runs
// from construction to destruction.
class TracedLine
{
public:
    TracedLine(SerialLine& line, Clock& clock, TraceSink* sink);
    ~TracedLine();
    TracedLine(const TracedLine&) = delete;
    TracedLine& operator=(const TracedLine&) = delete;

    [[nodiscard]] SerialLine& line() { return traced_ ? *traced_ : line_; }

private:
    SerialLine& line_;
    TraceRecorder recorder_;
    std::optional<TracingLine> traced_;
    std::optional<TracePump> pump_;
};

} // namespace kestrel::link

#include "trace_output.h"

#include "system_errors.h"

#include <cerrno>
#include <cstdio>

namespace kestrel::link {

namespace {

// The Polish reason for the file's last failure: the system's error where it left one.
QString failureReason(const QFile& file, int systemError)
{
    return systemError != 0 ? systemErrorReason(systemError) : fileDeviceErrorReason(file.error());
}

} // namespace

bool TraceFileWriter::open(const QString& path)
{
    file_.setFileName(path);
    errno = 0;
    if (file_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return true;
    error_ = failureReason(file_, errno);
    return false;
}

bool TraceFileWriter::openStandardError()
{
    errno = 0;
    if (file_.open(stderr, QIODevice::WriteOnly | QIODevice::Text))
        return true;
    error_ = failureReason(file_, errno);
    return false;
}

void TraceFileWriter::lines(const QStringList& lines)
{
    if (lines.isEmpty() || !file_.isOpen())
        return;
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + '\n';
    errno = 0;
    if ((file_.write(text) != text.size() || !file_.flush()) && error_.isEmpty())
        error_ = failureReason(file_, errno);
}

void drainTrace(TraceRecorder& recorder, TraceFormatter& formatter, TraceSink& sink,
                bool finish)
{
    QStringList out = formatter.lines(recorder.take());
    if (finish)
        out << formatter.finish();
    if (!out.isEmpty())
        sink.lines(out);
}

TracePump::TracePump(TraceRecorder& recorder, TraceSink& sink, std::chrono::milliseconds interval)
    : recorder_(recorder), sink_(sink), formatter_(recorder), interval_(interval)
{
}

TracePump::~TracePump()
{
    stop();
}

void TracePump::start()
{
    if (thread_.joinable())
        return;
    stopping_ = false;
    thread_ = std::thread(&TracePump::run, this);
}

void TracePump::stop()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void TracePump::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, interval_, [this] { return stopping_; });
        const bool last = stopping_;
        lock.unlock();
        drainTrace(recorder_, formatter_, sink_, last);
        if (last)
            return;
        lock.lock();
    }
}

TracedLine::TracedLine(SerialLine& line, Clock& clock, TraceSink* sink) : line_(line)
{
    if (sink == nullptr)
        return;
    traced_.emplace(line, clock, recorder_);
    pump_.emplace(recorder_, *sink);
    pump_->start();
}

TracedLine::~TracedLine()
{
    if (pump_)
        pump_->stop();
}

} // namespace kestrel::link

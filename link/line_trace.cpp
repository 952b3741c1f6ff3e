#include "line_trace.h"

#include <algorithm>

namespace kestrel::link {

namespace {

// A whole 68HC12D60 programming run with its verify is about 25 000 events.
constexpr std::size_t ReservedEvents = 32768;

} // namespace

TraceRecorder::TraceRecorder()
{
    events_.reserve(ReservedEvents);
}

void TraceRecorder::push(const TraceEvent& event)
{
    std::lock_guard lock(mutex_);
    events_.push_back(event);
}

int TraceRecorder::addPortName(const QString& name)
{
    std::lock_guard lock(mutex_);
    ports_.push_back(name);
    return static_cast<int>(ports_.size()) - 1;
}

QString TraceRecorder::portName(int index) const
{
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= static_cast<int>(ports_.size()))
        return {};
    return ports_[static_cast<std::size_t>(index)];
}

std::vector<TraceEvent> TraceRecorder::take()
{
    std::vector<TraceEvent> fresh;
    fresh.reserve(ReservedEvents);
    std::lock_guard lock(mutex_);
    fresh.swap(events_);
    return fresh;
}

TracingLine::TracingLine(SerialLine& inner, Clock& clock, TraceRecorder& recorder)
    : inner_(inner), clock_(clock), recorder_(recorder)
{
}

OpenStatus TracingLine::open(const QString& portName, int readTimeoutMs)
{
    const OpenStatus status = inner_.open(portName, readTimeoutMs);
    TraceEvent e;
    e.atUs = nowUs();
    e.port = recorder_.addPortName(portName);
    e.value = readTimeoutMs;
    e.count = static_cast<int>(inner_.reportedSpeed().value_or(0));
    e.status = static_cast<int>(status);
    open_ = status == OpenStatus::Opened;
    e.kind = open_ ? TraceEvent::Kind::Opened : TraceEvent::Kind::OpenFailed;
    recorder_.push(e);
    return status;
}

bool TracingLine::sendByte(std::uint8_t byte)
{
    TraceEvent e;
    e.kind = TraceEvent::Kind::Sent;
    e.atUs = nowUs();
    e.bytes[0] = byte;
    const bool ok = inner_.sendByte(byte);
    if (!ok)
        e.kind = TraceEvent::Kind::SendFailed;
    recorder_.push(e);
    return ok;
}

ReadResult TracingLine::read(std::uint8_t* buffer, int maxBytes, int timeoutMs)
{
    const std::int64_t start = nowUs();
    const ReadResult r = inner_.read(buffer, maxBytes, timeoutMs);
    // A zero-time look that found nothing is the discard before an answered frame's last byte.
    if (timeoutMs <= 0 && r.count <= 0 && !r.broken)
        return r;
    TraceEvent e;
    e.kind = TraceEvent::Kind::Read;
    e.startUs = start;
    e.atUs = nowUs();
    e.value = timeoutMs;
    e.maxBytes = maxBytes;
    e.count = r.count;
    e.broken = r.broken;
    const int kept = std::clamp(r.count, 0, TraceEvent::MaxReadBytes);
    std::copy(buffer, buffer + kept, e.bytes.begin());
    recorder_.push(e);
    return r;
}

void TracingLine::close()
{
    inner_.close();
    if (!open_)
        return;
    open_ = false;
    TraceEvent e;
    e.kind = TraceEvent::Kind::Closed;
    e.atUs = nowUs();
    recorder_.push(e);
}

bool TracingLine::broken() const
{
    const bool broken = inner_.broken();
    if (broken && !brokenSeen_) {
        brokenSeen_ = true;
        TraceEvent e;
        e.kind = TraceEvent::Kind::Broken;
        e.atUs = nowUs();
        recorder_.push(e);
    }
    return broken;
}

} // namespace kestrel::link

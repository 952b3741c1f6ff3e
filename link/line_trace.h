#pragma once

#include "clock.h"
#include "serial_line.h"

#include <QString>

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace kestrel::link {

// One thing that happened on a traced line, stamped with the transfer's clock. Plain data, so
// that recording it on the pacing path costs a copy under a short lock.
struct TraceEvent
{
    enum class Kind : std::uint8_t
    {
        Opened,     // port: index of the name; value: T; count: the speed the driver reported
        OpenFailed, // port, value, count as for Opened; status: the OpenStatus
        Sent,       // bytes[0]: the byte handed to the line
        SendFailed, // bytes[0]: the byte the line refused (it is broken)
        Read,       // startUs..atUs, value: time-out, count of maxBytes, bytes[0..count)
        Closed,
        Broken, // the line was first found broken (a cable pulled, a USB adapter gone)
    };
    static constexpr int MaxReadBytes = 16; // bytes kept of one read

    Kind kind = Kind::Closed;
    bool broken = false;    // Read: the line broke
    std::int64_t atUs = 0;  // when the call began (Sent) or returned (Read, Opened)
    std::int64_t startUs = 0; // Read: when it began
    int value = 0;
    int count = 0;
    int maxBytes = 0;
    int port = -1;
    int status = 0;
    std::array<std::uint8_t, MaxReadBytes> bytes{};
};

// What a traced line hands over: events in order, taken by a consumer off the pacing path.
// push() and take() may run on different threads.
class TraceRecorder
{
public:
    TraceRecorder();

    void push(const TraceEvent& event);
    // The port's name for an Opened or OpenFailed event.
    [[nodiscard]] int addPortName(const QString& name);
    [[nodiscard]] QString portName(int index) const;
    // Every event since the last take, oldest first.
    [[nodiscard]] std::vector<TraceEvent> take();

private:
    mutable std::mutex mutex_;
    std::vector<TraceEvent> events_;
    std::vector<QString> ports_;
};

// A serial line that records every byte sent and received, with the clock's time, in a
// recorder; it changes nothing of what passes through it.
class TracingLine final : public SerialLine
{
public:
    TracingLine(SerialLine& inner, Clock& clock, TraceRecorder& recorder);

    [[nodiscard]] OpenStatus open(const QString& portName, int readTimeoutMs) override;
    [[nodiscard]] bool sendByte(std::uint8_t byte) override;
    [[nodiscard]] ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override;
    void close() override;
    [[nodiscard]] bool broken() const override;
    // The inner line's.
    [[nodiscard]] std::optional<unsigned> reportedSpeed() const override
    {
        return inner_.reportedSpeed();
    }

private:
    [[nodiscard]] std::int64_t nowUs() const { return clock_.now().count(); }

    SerialLine& inner_;
    Clock& clock_;
    TraceRecorder& recorder_;
    bool open_ = false; // a close is recorded only after an open
    mutable bool brokenSeen_ = false; // the line's break is recorded once
};

} // namespace kestrel::link

#pragma once

#include "serial_line.h"
#include "virtual_clock.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace kestrel::testsupport {

using Frame = std::array<std::uint8_t, 5>;

// A scripted serial line on a virtual clock. Every byte sent is recorded with its time; each
// complete five-byte frame is handed to the responder, whose answer becomes readable after the
// reply delay (1 ms unless set: the last byte still has to cross the wire). A read waits on the
// clock for bytes still to come within its time-out, else lets the whole time-out pass.
class FakeLine : public link::SerialLine
{
public:
    struct SentByte
    {
        std::uint8_t value = 0;
        std::chrono::microseconds at{0};
    };
    // The reply to a frame (empty for none; fewer than two bytes for a short reply).
    using Responder = std::function<QByteArray(const Frame& frame)>;
    using ReplyDelay = std::function<std::chrono::microseconds(const Frame& frame)>;

    explicit FakeLine(VirtualClock& clock) : clock_(clock) {}

    void setResponder(Responder responder) { responder_ = std::move(responder); }
    void setReplyDelay(std::chrono::microseconds delay)
    {
        replyDelay_ = [delay](const Frame&) { return delay; };
    }
    void setReplyDelay(ReplyDelay delay) { replyDelay_ = std::move(delay); }
    // What the next open reports.
    void setOpenStatus(link::OpenStatus status) { openStatus_ = status; }
    // The line breaks when this many bytes have been sent: the next send fails.
    void breakAfterBytes(int count) { breakAfterBytes_ = count; }
    // The line breaks once the clock reaches this time.
    void breakAt(std::chrono::microseconds at) { breakAt_ = at; }
    // Bytes readable from now on (a stale reply).
    void queueInput(const QByteArray& bytes);

    link::OpenStatus open(const QString& portName, int readTimeoutMs) override;
    bool sendByte(std::uint8_t byte) override;
    link::ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override;
    void close() override;
    bool broken() const override;

    [[nodiscard]] const QList<SentByte>& sent() const { return sent_; }
    [[nodiscard]] QByteArray sentBytes() const;
    // The sent bytes cut into frames (a trailing partial frame is dropped).
    [[nodiscard]] QList<Frame> frames() const;
    [[nodiscard]] int openCalls() const { return openCalls_; }
    [[nodiscard]] int closeCalls() const { return closeCalls_; }
    [[nodiscard]] bool isOpen() const { return open_; }
    [[nodiscard]] const QString& openedName() const { return openedName_; }
    [[nodiscard]] int openedTimeout() const { return openedTimeout_; }
    // Time-outs of the reads that waited (0-ms reads excluded).
    [[nodiscard]] const QList<int>& readTimeouts() const { return readTimeouts_; }

private:
    VirtualClock& clock_;
    Responder responder_;
    ReplyDelay replyDelay_ = [](const Frame&) { return std::chrono::microseconds(1000); };
    link::OpenStatus openStatus_ = link::OpenStatus::Opened;
    std::optional<int> breakAfterBytes_;
    std::optional<std::chrono::microseconds> breakAt_;
    bool brokenFlag_ = false;
    bool open_ = false;
    int openCalls_ = 0;
    int closeCalls_ = 0;
    QString openedName_;
    int openedTimeout_ = -1;
    QList<SentByte> sent_;
    Frame current_{};
    int currentSize_ = 0;
    struct Pending
    {
        std::uint8_t value = 0;
        std::chrono::microseconds at{0};
    };
    std::deque<Pending> input_; // in order of arrival
    void queueAt(const QByteArray& bytes, std::chrono::microseconds at);
    QList<int> readTimeouts_;
};

// Hex text of a frame, "5B 00 00 00 00".
[[nodiscard]] QString frameText(const Frame& frame);

} // namespace kestrel::testsupport

#pragma once

#include "adapter_commands.h"
#include "chip_records.h"
#include "clock.h"
#include "serial_line.h"

#include <QString>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>

namespace kestrel::link {

// Pause between setting the line up and the first frame.
inline constexpr int SettlePauseMs = 100;
// The pauses after each byte of a frame and the status reply's ready byte: adapter_commands.h.
// Tries of the connection check, and of one word read.
inline constexpr int ConnectionTries = 3;
inline constexpr int WordReadTries = 3;

// Read time-out T: a two-byte reply is awaited for T + 2T ms.
inline constexpr int ProgramReadTimeoutMs = 2;
inline constexpr int ReadReadTimeoutMs = 10;
[[nodiscard]] constexpr int replyDeadlineMs(int readTimeoutMs)
{
    return 3 * readTimeoutMs;
}

// The five-byte frame sent to the adapter, with the pause after its last byte.
struct AdapterCommand
{
    std::array<std::uint8_t, 5> bytes{};
    int pauseMs = 0;
    bool awaitsReply = false; // the adapter answers with two bytes
};

[[nodiscard]] constexpr AdapterCommand plainCommand(std::uint8_t command, int pauseMs)
{
    return {{command, 0, 0, 0, 0}, pauseMs};
}
[[nodiscard]] constexpr AdapterCommand writeWordCommand(int address, std::uint8_t oddByte,
                                                        std::uint8_t evenByte)
{
    return {{CMD_WRITE_WORD, static_cast<std::uint8_t>(address & 0xFF),
             static_cast<std::uint8_t>((address >> 8) & 0xFF), oddByte, evenByte},
            WriteWordPauseMs};
}
[[nodiscard]] constexpr AdapterCommand readWordCommand(int address)
{
    return {{CMD_READ_WORD, static_cast<std::uint8_t>(address & 0xFF),
             static_cast<std::uint8_t>((address >> 8) & 0xFF), 0, 0},
            ReadWordPauseMs,
            true};
}
inline constexpr AdapterCommand BeginCommand = plainCommand(CMD_BEGIN, BeginPauseMs);
inline constexpr AdapterCommand PrepareCommand = plainCommand(CMD_PREPARE, PreparePauseMs);
inline constexpr AdapterCommand ReadStatusCommand{ReadStatusFrame, ReadStatusPauseMs, true};
inline constexpr AdapterCommand EndCommand = plainCommand(CMD_END, EndPauseMs);

// The line of one transfer and what the frame routines keep between calls.
struct AdapterLink
{
    AdapterLink(SerialLine& l, Clock& c, const std::atomic<bool>* cancelFlag = nullptr)
        : line(l), clock(c), cancel(cancelFlag)
    {
    }

    SerialLine& line;
    Clock& clock;
    const std::atomic<bool>* cancel = nullptr;
    QString PortName;                          // the port actually opened
    int readTimeoutMs = 0;                     // T, set by the open
    std::array<std::uint8_t, 2> ReplyBuffer{}; // each read overwrites what it delivers
    int lastDiscarded = 0;                     // bytes the last discard dropped
    int checkUnanswered = 0; // status queries of the connection check left without a whole reply
    bool opened = false;

    [[nodiscard]] bool cancelRequested() const
    {
        return cancel != nullptr && cancel->load(std::memory_order_relaxed);
    }
};

// The port to open for the text of the port selector: on Linux "COM1" and "COM2" are the first
// two on-board ports; any other text names the port itself. Empty for an empty selection.
[[nodiscard]] QString portDeviceName(const QString& selection);

// Sends the five bytes one at a time: 2 ms after each of the first four, the command's pause
// after the fifth. Stops at once and returns false when the line breaks. For a command that is
// answered, whatever the line holds just before the fifth byte is dropped: the adapter answers
// only a whole frame, so those bytes are a late answer to an earlier one. lastDiscarded tells how
// many there were (0 for a command that is not answered).
[[nodiscard]] bool SendAdapterCommand(AdapterLink& link, const AdapterCommand& command);

// The connection check waits this long for a status reply whatever T is: the adapter is paced
// by the pauses alone and never sees how long the host waits, and a USB-serial chip may hand a
// short reply over only when its latency timer (16 ms by default) runs out.
[[nodiscard]] constexpr int statusReplyDeadlineMs(int readTimeoutMs)
{
    return std::max(replyDeadlineMs(readTimeoutMs), replyDeadlineMs(ReadReadTimeoutMs));
}

// Reads a reply of up to two bytes into ReplyBuffer before the deadline T + 2T, or the one given.
[[nodiscard]] ReadResult readReply(AdapterLink& link);
[[nodiscard]] ReadResult readReply(AdapterLink& link, int deadlineMs);

// Drops whatever the line holds now, or, given waitMs, whatever comes within that time, and
// records how many bytes that was in lastDiscarded.
void discardInput(AdapterLink& link, int waitMs = 0);

// Opens the port named by the selection with time-out T, lets the line settle for 100 ms and
// sends CMD_BEGIN. Nothing is opened for an empty selection. After Opened the caller checks
// link.line.broken().
[[nodiscard]] OpenStatus OpenAdapterPort(AdapterLink& link, const QString& selection,
                                         int readTimeoutMs);

enum class CheckResult
{
    Passed,
    Failed,
    Broken,
    Cancelled,
};

// Up to three CMD_PREPARE / CMD_READ_STATUS pairs; passes on a whole reply whose first byte is
// StatusReady. A reply shorter than two bytes is a failed try; checkUnanswered counts those.
[[nodiscard]] CheckResult CheckAdapterConnection(AdapterLink& link);

// Sends CMD_END while the line still works, then closes the port.
void CloseAdapterPort(AdapterLink& link);

} // namespace kestrel::link

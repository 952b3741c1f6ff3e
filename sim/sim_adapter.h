#pragma once

#include "adapter_commands.h"
#include "chip_records.h"
#include "sim_faults.h"
#include "sim_target.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kestrel::sim {

// The pause the host owes after each of the first four bytes of a frame, and the shortest gap
// the adapter accepts there: the host may fall short of what it owes by the difference.
inline constexpr std::int64_t BytePauseUs = std::int64_t{link::BytePauseMs} * 1000;
inline constexpr std::int64_t MinByteGapUs = 1500;
inline constexpr std::int64_t PacingToleranceUs = BytePauseUs - MinByteGapUs;
// How far back the pacing verdict looks for a byte that came on time: with exact stamps, and with
// delivered ones, where the line may hold bytes back for a long time.
inline constexpr std::int64_t PacingWindowUs = 100'000;
inline constexpr std::int64_t DeliveredPacingWindowUs = 10'000'000;
// The pause the host owes after the last byte of a frame of this command (the byte pause for
// a byte the adapter does not know).
[[nodiscard]] std::int64_t owedPauseAfterUs(std::uint8_t command);
// On a line whose stamps only bound each byte's sending from above (a pseudo-terminal hands
// bytes over late now and then, and late bytes come together), an early frame alone proves
// nothing; this many early frames in a row do, and each of them is then a violation.
inline constexpr int EarlyRunFrames = 8;
// One byte on the wire at the line's speed, 8N1 (781 us at 12800 baud).
inline constexpr std::int64_t ByteTimeUs =
    std::int64_t{link::LineBitsPerByte} * 1'000'000 / link::LineBaudRate;

[[nodiscard]] const char* commandName(std::uint8_t command);

using Frame = std::array<std::uint8_t, 5>;

// What a byte's stamp says of when the host sent it.
enum class Stamps
{
    Exact,     // the stamp is the sending time (a line in the same process, virtual time)
    Delivered, // the byte was sent at the stamp or before it (a pseudo-terminal)
};

struct ReplyByte
{
    std::uint8_t value;
    std::int64_t atUs; // when it is on the host's side
};

struct FrameRecord
{
    std::size_t index;    // 1-based
    std::int64_t firstUs; // time of the first byte
    std::int64_t lastUs;  // time of the last byte
    Frame bytes;
    std::vector<std::uint8_t> reply;
    std::string note; // what the adapter made of it, when not plain
};

struct Violation
{
    std::size_t frame; // 1-based frame index, 0 for bytes that never made a frame
    std::int64_t timeUs;
    Frame bytes;
    std::string what;
};

// The programming adapter: assembles five-byte frames from the byte stream, checks the host's
// pacing and the session rules, acts on the target and answers.
class Adapter
{
public:
    Adapter(Target& target, Faults faults);

    // One byte from the host at timeUs. Replies it causes are appended to out.
    void receive(std::uint8_t byte, std::int64_t timeUs, std::vector<ReplyByte>& out);
    // The host opened the line: a partial frame left from before is dropped and recorded.
    void lineOpened(std::int64_t timeUs);
    void setStamps(Stamps stamps) { stamps_ = stamps; }
    [[nodiscard]] Stamps stamps() const { return stamps_; }
    // Early frames that were not judged: with delivered stamps, fewer than EarlyRunFrames came
    // in a row.
    [[nodiscard]] std::size_t unjudgedEarlyFrames() const
    {
        return unjudgedEarly_ + earlyHeld_.size();
    }

    [[nodiscard]] bool hungUp() const { return hungUp_; }
    [[nodiscard]] const std::vector<FrameRecord>& frames() const { return frames_; }
    [[nodiscard]] const std::vector<Violation>& violations() const { return violations_; }
    [[nodiscard]] const std::vector<RunReport>& runs() const { return runs_; }
    [[nodiscard]] const Faults& faults() const { return faults_; }
    [[nodiscard]] bool inSession() const { return session_; }

    // Every frame with its time, reply and remarks, and the violations. False on a write error.
    [[nodiscard]] bool writeTranscript(const std::string& path) const;

private:
    // What the adapter knows of a command byte, and what it does with a frame of it.
    struct Command
    {
        std::uint8_t byte;
        bool takesArguments; // the four bytes after the command may be other than 00
        bool needsHalt;      // reaches the target's memory: only after CMD_PREPARE
        bool evenWhenSilent; // done by an adapter that does not touch the target
        std::vector<std::uint8_t> (Adapter::*handle)(FrameRecord& rec); // gives the reply
    };
    [[nodiscard]] static const Command* command(std::uint8_t byte);

    // One whole frame: judged, acted on, answered and recorded.
    void process(std::int64_t firstUs, std::int64_t lastUs, std::int64_t earlyGapUs,
                 std::vector<ReplyByte>& out);
    // The frame's command when the adapter acts on it: a known one, inside a session.
    [[nodiscard]] const Command* admitted(const FrameRecord& rec);
    [[nodiscard]] std::vector<std::uint8_t> act(const Command& c, FrameRecord& rec);
    std::vector<std::uint8_t> begin(FrameRecord& rec);
    std::vector<std::uint8_t> end(FrameRecord& rec);
    std::vector<std::uint8_t> prepare(FrameRecord& rec);
    std::vector<std::uint8_t> readStatus(FrameRecord& rec);
    std::vector<std::uint8_t> writeWord(FrameRecord& rec);
    std::vector<std::uint8_t> readWord(FrameRecord& rec);
    std::vector<std::uint8_t> runRoutine(FrameRecord& rec);
    // The fault injected into the reply to this frame, if any.
    [[nodiscard]] ReplyFaultAt replyFault(std::uint8_t command,
                                          const std::vector<std::uint8_t>& reply);
    // Puts the reply, with its fault and a byte held back from before, on the host's side.
    void sendReply(FrameRecord& rec, std::vector<std::uint8_t> reply, std::vector<ReplyByte>& out);
    [[nodiscard]] bool early(std::int64_t timeUs, std::int64_t owedUs) const;
    void violation(const FrameRecord& frame, std::string what);
    void judgePacing(const FrameRecord& frame, std::int64_t earlyGapUs);
    void endEarlyRun();
    [[nodiscard]] std::vector<std::uint8_t> wordReply(std::uint16_t address);

    Target& target_;
    Faults faults_;
    std::mt19937 random_;

    Frame partial_{};
    int partialCount_ = 0;
    std::int64_t partialFirstUs_ = 0;
    std::int64_t partialLastUs_ = 0;
    std::int64_t partialEarlyGapUs_ = 0; // shortest gap before a byte judged early

    // Of the bytes in the window, those whose lead (arrival time less the pauses owed up to it)
    // no later byte undercuts: the first is the window's smallest lead.
    struct Arrival
    {
        std::int64_t timeUs;
        std::int64_t leadUs;
    };
    std::deque<Arrival> arrivals_;
    std::int64_t owedUs_ = 0;
    std::int64_t owedAfterFrameUs_ = BytePauseUs;
    Stamps stamps_ = Stamps::Exact;
    // Delivered stamps: the current run of early frames, those of it not yet recorded, and
    // where in violations_ the run began.
    std::size_t earlyRunLength_ = 0;
    std::vector<Violation> earlyHeld_;
    std::size_t earlyRunFrom_ = 0;
    std::size_t unjudgedEarly_ = 0;

    bool session_ = false;
    bool ended_ = false;
    bool halted_ = false;
    bool running_ = false;
    bool hungUp_ = false;
    int sessionFrames_ = 0;
    int statusTries_ = 0;
    int wordReads_ = 0;
    std::optional<std::uint8_t> held_; // a reply byte waiting for the next frame

    std::vector<FrameRecord> frames_;
    std::vector<Violation> violations_;
    std::vector<RunReport> runs_;
};

} // namespace kestrel::sim

#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::sim {

// What can happen to one word-read reply on its way to the host.
enum class ReplyFault
{
    None,
    Late,    // both bytes ms late
    Split,   // the second byte ms late
    Held,    // the second byte held until the next frame's last byte, then sent before its reply
    Extra,   // one byte more after the reply
    Dropped, // the second byte lost
    Missing, // no reply
};

struct ReplyFaultAt
{
    ReplyFault kind = ReplyFault::None;
    int ms = 0; // Late, Split
};

// Faults the simulated adapter and target can show. Tries and words are counted from each
// CMD_BEGIN (1-based), frames for the hang-up from the start.
struct Faults
{
    bool silent = false;                    // the adapter never answers
    int readyOnTry = 1;                     // READ_STATUS reports ready from this try on
    std::optional<std::uint8_t> statusByte; // first READ_STATUS reply byte, whatever the state
    int shortWord = -1;        // EEPROM word k (address first + 2k): every reply is one byte
    int missingWord = -1;      // EEPROM word k: never answered
    int shortEvery = 0;        // every n-th READ_WORD reply is one byte
    int missingEvery = 0;      // every n-th READ_WORD reply is missing
    int lateMs = 0;            // every reply arrives this much later
    int hangUpAfterFrames = 0; // the line hangs up after this many frames (0: never)
    std::vector<std::pair<std::uint16_t, std::uint8_t>> stuck; // EEPROM cells stuck at a value
    int randomStuck = 0;      // this many random EEPROM cells stuck at random values
    double missingRate = 0.0; // each READ_WORD reply missing with this probability
    // Every n-th READ_WORD reply (0: never), and each with probability lateRate, comes lateByMs
    // late: past the host's reply deadline, as through a USB-serial adapter now and then.
    int lateEvery = 0;
    double lateRate = 0.0;
    int lateByMs = 40;
    bool echo = false;    // the line sends every byte back, and no adapter answers
    int usbLatencyMs = 0; // replies handed over together every this many ms (0: at once)
    // Every n-th READ_WORD reply of a session (0: never) is split with its second byte splitMs
    // late, has its second byte held, has a byte more, or loses its second byte.
    int splitEvery = 0;
    int splitMs = 0;
    int heldEvery = 0;
    int extraEvery = 0;
    int droppedEvery = 0;
    // Faults of single READ_WORD replies by their number in the session (1-based); these come
    // first.
    std::map<int, ReplyFaultAt> replyFaults;
    std::uint32_t seed = 1;   // for the random faults

    [[nodiscard]] bool any() const;
    // The fault of the n-th READ_WORD reply of a session.
    [[nodiscard]] ReplyFaultAt replyFault(int n) const;
    // One line per fault set, for a summary.
    [[nodiscard]] std::string describe() const;
};

} // namespace kestrel::sim

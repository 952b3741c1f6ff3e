#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrel::sim {

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
    std::uint32_t seed = 1;   // for the random faults

    [[nodiscard]] bool any() const;
    // One line per fault set, for a summary.
    [[nodiscard]] std::string describe() const;
};

} // namespace kestrel::sim

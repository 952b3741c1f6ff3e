#pragma once

// The adapter's command bytes, in standard C++ alone, so that the simulated adapter takes the
// same numbers. The command that starts the target routine depends on the chip: CMD_RUN in
// chip_records.h.

#include <cstdint>

namespace kestrel::link {

inline constexpr std::uint8_t CMD_BEGIN = 0x5B;
inline constexpr std::uint8_t CMD_PREPARE = 0x21;
inline constexpr std::uint8_t CMD_READ_STATUS = 0x37;
inline constexpr std::uint8_t CMD_WRITE_WORD = 0x0B;
inline constexpr std::uint8_t CMD_READ_WORD = 0x16;
inline constexpr std::uint8_t CMD_END = 0x5C;

} // namespace kestrel::link

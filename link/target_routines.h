#pragma once

#include <array>
#include <cstdint>

namespace kestrel::link {

// CPU12 routines loaded into target RAM to erase and program the EEPROM. The first 122 bytes
// (61 words) are sent; the last 8 bytes are zero and stay at home.
inline constexpr int TargetRoutineSize = 130;
inline constexpr int TargetRoutineWords = 61;
using TargetRoutineBlock = std::array<std::uint8_t, TargetRoutineSize>;

// The routines of the 68HC12B32 and the 68HC12D60; where each is loaded is in its chip's record.
extern const TargetRoutineBlock TargetRoutineB32;
extern const TargetRoutineBlock TargetRoutineD60;

} // namespace kestrel::link

#pragma once

#include <array>
#include <cstdint>

namespace kestrel::link {

// CPU12 routines loaded into target RAM to erase and program the EEPROM. The first 122 bytes
// (61 words) are sent; the last 8 bytes are zero and stay at home.
inline constexpr int TargetRoutineSize = 130;
inline constexpr int TargetRoutineWords = 61;
using TargetRoutineBlock = std::array<std::uint8_t, TargetRoutineSize>;

// 68HC12B32, loaded at 0x0800.
extern const TargetRoutineBlock TargetRoutineB32;
// 68HC12D60, loaded at 0x0200.
extern const TargetRoutineBlock TargetRoutineD60;

} // namespace kestrel::link

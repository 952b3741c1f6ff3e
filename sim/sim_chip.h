#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel::sim {

enum class ChipKind
{
    B32, // 68HC12B32
    D60, // 68HC12D60
};

// Memory map of one chip. Ranges are inclusive; anything outside them is unmapped.
struct ChipModel
{
    ChipKind kind;
    std::string_view name;
    std::uint16_t registersFirst;
    std::uint16_t registersLast;
    std::uint16_t ramFirst;
    std::uint16_t ramLast;
    std::uint16_t eepromFirst;
    std::uint16_t eepromLast;
    std::uint16_t flashFirst;
    std::uint16_t flashLast;

    [[nodiscard]] constexpr int eepromSize() const { return eepromLast - eepromFirst + 1; }
};

inline constexpr ChipModel ChipB32{ChipKind::B32, "68HC12B32", 0x0000, 0x01FF, 0x0800,
                                   0x0BFF,        0x0D00,      0x0FFF, 0x8000, 0xFFFF};
inline constexpr ChipModel ChipD60{ChipKind::D60, "68HC12D60", 0x0000, 0x01FF, 0x0200,
                                   0x07FF,        0x0C00,      0x0FFF, 0x1000, 0xFFFF};

[[nodiscard]] constexpr const ChipModel& chipModel(ChipKind kind)
{
    return kind == ChipKind::B32 ? ChipB32 : ChipD60;
}

[[nodiscard]] constexpr std::optional<ChipKind> chipByName(std::string_view name)
{
    if (name == ChipB32.name)
        return ChipKind::B32;
    if (name == ChipD60.name)
        return ChipKind::D60;
    return std::nullopt;
}

// Registers of the EEPROM module and the watchdog.
inline constexpr std::uint16_t RegCOPRST = 0x0017;
inline constexpr std::uint16_t RegEEPROT = 0x00F1;
inline constexpr std::uint16_t RegEEPROG = 0x00F3;

// EEPROG bits.
inline constexpr std::uint8_t BULKP = 0x80;
inline constexpr std::uint8_t BYTE = 0x10;
inline constexpr std::uint8_t ROW = 0x08;
inline constexpr std::uint8_t ERASE = 0x04;
inline constexpr std::uint8_t EELAT = 0x02;
inline constexpr std::uint8_t EEPGM = 0x01;

} // namespace kestrel::sim

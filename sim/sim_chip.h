#pragma once

#include "chip_records.h"

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
    link::AddressRange registers;
    link::AddressRange ram;
    link::AddressRange eeprom;
    link::AddressRange flash;

    [[nodiscard]] constexpr int eepromSize() const { return eeprom.last - eeprom.first + 1; }
};

// A simulated chip's memory map, from the chip's record.
[[nodiscard]] constexpr ChipModel modelOf(ChipKind kind, const link::ChipRow& chip)
{
    return {kind,
            chip.name,
            chip.memory.registers,
            chip.memory.ram,
            {static_cast<std::uint16_t>(chip.EepromBase),
             static_cast<std::uint16_t>(chip.eepromLast())},
            chip.memory.flash};
}

inline constexpr ChipModel ChipB32 = modelOf(ChipKind::B32, *link::chipRecord("68HC12B32"));
inline constexpr ChipModel ChipD60 = modelOf(ChipKind::D60, *link::chipRecord("68HC12D60"));

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

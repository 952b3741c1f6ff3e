#pragma once

// The chips as data, in standard C++ alone, so that the simulated chips take the same numbers.

#include "target_routines.h"

#include <array>
#include <cstdint>
#include <string_view>

// The chip table builds without Qt; the status texts are marked for lupdate as Qt marks them.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace kestrel::link {

// Starts the loaded target routine; the byte depends on the chip.
struct RunCommandBytes
{
    std::uint8_t b32 = 0x42;
    std::uint8_t d60 = 0x4D;
};
inline constexpr RunCommandBytes CMD_RUN{};

// How the programming sequence serves a chip: the target routine, where it runs, where the image
// is staged in target RAM, and the command that starts it.
struct ChipProgramming
{
    const TargetRoutineBlock* routine = nullptr;
    int routineAddress = 0; // R: the routine's first byte in target RAM
    int stagingBase = 0;    // S: the image's first word in target RAM
    std::uint8_t runCommand = 0;
    const char* loadingStatus = ""; // status text ("link" context) while the routine is sent
};

// After CMD_RUN the programming sequence waits ProgramWaitSteps pauses of ProgramWaitStepMs for the
// target routine to erase and program the EEPROM.
inline constexpr int ProgramWaitSteps = 1001;
inline constexpr int ProgramWaitStepMs = 20;

// Addresses first to last (inclusive).
struct AddressRange
{
    std::uint16_t first = 0;
    std::uint16_t last = 0;
};

// The target's memory map as far as the sequences and the simulated chip need it.
struct ChipMemory
{
    AddressRange registers;
    AddressRange ram;
    AddressRange flash;
};

// One chip: the image's shape and, for the chips this version reads and programs, the numbers
// the read, verify and program sequences and the simulated chip take. A chip served by the same
// sequences needs nothing but a record of its own.
struct ChipRow
{
    const char* name;
    int EepromSize; // bytes, a multiple of 16
    int EepromBase; // address of the first EEPROM byte, labels the first row
    bool supported = false;
    ChipProgramming programming{};
    ChipMemory memory{};

    [[nodiscard]] constexpr int eepromWords() const { return EepromSize / 2; }
    [[nodiscard]] constexpr int eepromLast() const { return EepromBase + EepromSize - 1; }
};

inline constexpr int ChipCount = 10;

// The chip catalogue, in the chip selector's list order.
inline constexpr std::array<ChipRow, ChipCount> ChipTable = {{
    {"68HCP11E1VFN", 512, 0xB600},
    {"68HC11E9", 512, 0xB600},
    {"68HCP11A1", 512, 0xB600},
    {"68HC11K4", 640, 0x0D80},
    {"68HC05", 256, 0x0100},
    {"68HC08AB32", 512, 0x0800},
    {"68HC08AS20", 512, 0x0800},
    {"68HC908AS60", 1024, 0x0600},
    {"68HC12B32",
     768,
     0x0D00,
     true,
     {&TargetRoutineB32, 0x0800, 0x0880, CMD_RUN.b32,
      QT_TRANSLATE_NOOP("link", "Ładuje procedure zapisu")},
     {{0x0000, 0x01FF}, {0x0800, 0x0BFF}, {0x8000, 0xFFFF}}},
    {"68HC12D60",
     1024,
     0x0C00,
     true,
     {&TargetRoutineD60, 0x0200, 0x0300, CMD_RUN.d60,
      QT_TRANSLATE_NOOP("link", "Ładuję procedure zapisu")},
     {{0x0000, 0x01FF}, {0x0200, 0x07FF}, {0x1000, 0xFFFF}}},
}};

// The record of the chip with exactly that name, or nullptr.
[[nodiscard]] constexpr const ChipRow* chipRecord(std::string_view name)
{
    for (const ChipRow& chip : ChipTable)
        if (name == chip.name)
            return &chip;
    return nullptr;
}

// The record of the chip whose target routine the command byte starts, or nullptr.
[[nodiscard]] constexpr const ChipRow* chipRunBy(std::uint8_t runCommand)
{
    for (const ChipRow& chip : ChipTable)
        if (chip.supported && chip.programming.runCommand == runCommand)
            return &chip;
    return nullptr;
}

// True when this version reads and programs the chip.
[[nodiscard]] constexpr bool chipSupported(const ChipRow& chip)
{
    return chip.supported;
}

} // namespace kestrel::link

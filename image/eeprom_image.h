#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>

namespace kestrel {

// Entries 1..2047 hold the image; slot 0 is never used. Entry i is the byte at image offset i - 1.
inline constexpr int EepromEntries = 2048;
inline constexpr int EepromLastEntry = EepromEntries - 1;
using EepromBufferType = std::array<std::int32_t, EepromEntries>;

// The single EEPROM image and the hex-entry cursor. Member names follow the system's globals.
struct ImageState
{
    EepromBufferType EepromBuffer{};
    int EepromSize = 512;
    int EepromBase = 0xB600;
    int CursorCol = 1;
    int CursorRow = 1;
    int NibbleCount = 0;

    ImageState();
    [[nodiscard]] int rows() const { return EepromSize / 16; }
    // Sets entries first..last (inclusive, clamped to 1..2047) to 0xFF.
    void fillFF(int first, int last);
};

// The window's image meets the chip's EEPROM bytes here, and only here: byte k is entry k + 1.
// The first `size` entries (clamped to the buffer) as bytes:
[[nodiscard]] QByteArray bufferBytes(const EepromBufferType& buffer, int size);
// Bytes stored over entries 1.. as unsigned values; entries past them keep theirs.
void storeBufferBytes(EepromBufferType& buffer, QByteArrayView bytes);

// The entry shown in data cell (column 1..16, row 1..).
[[nodiscard]] constexpr int entryOf(int column, int row)
{
    return (row - 1) * 16 + column;
}

// Upper-case hex with at least four digits ("B600").
[[nodiscard]] QString addressLabel(int address);
// Upper-case hex with at least two digits ("0A", "FF").
[[nodiscard]] QString hexText(std::int32_t value);
// The character of a byte in code page 1250 (low 8 bits of value). Control codes map to themselves.
[[nodiscard]] QChar cp1250Char(std::int32_t value);
// One-character text of an entry, as the character grid shows it.
[[nodiscard]] QString charText(std::int32_t value);

} // namespace kestrel

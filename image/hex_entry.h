#pragma once

#include "eeprom_image.h"

#include <QChar>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace kestrel {

// What the hex grid has to do after one typed character.
struct HexKeyEffect
{
    // Entry whose cells must be redrawn; 0 when the character changed nothing.
    int changedEntry = 0;
    // The byte was completed (second digit): its character cell shows a new character.
    bool charCellChanged = false;
    // New top row of the hex grid when the view moves one row down.
    std::optional<int> newTopRow;
    // The hex grid's selection and current cell become (selectCol, selectRow). The row may lie
    // below the grid's last row, in which case no cell is shown as selected.
    bool selectionMoved = false;
    int selectCol = 0;
    int selectRow = 0;

    [[nodiscard]] bool changed() const { return changedEntry != 0; }
};

// Value 0..15 of a hex digit ("0"-"9", "A"-"F", "a"-"f"); nothing for any other character.
[[nodiscard]] std::optional<int> hexDigitValue(QChar ch);

// Applies one typed character to the entry under the cursor. Two digits make one byte:
// the first is stored at once, the second completes the byte and moves the cursor on to the
// next cell, to column 1 of the next row after column 16. topRow and rowCount are the hex
// grid's current top row and row count (header row included); they decide only the scrolling.
// Characters that are not hex digits, and digits while the cursor's entry lies past the last
// buffer entry, change nothing.
[[nodiscard]] HexKeyEffect applyHexKey(ImageState& state, QChar key, int topRow, int rowCount);

// The same for a key event's text: anything but exactly one character changes nothing.
[[nodiscard]] HexKeyEffect applyHexKeyText(ImageState& state, QStringView text, int topRow,
                                           int rowCount);

// Writes a whole byte (a character typed in the character grid) into the entry under the cursor
// and moves the cursor on as a completed hex byte does; a pending first digit is dropped. Changes
// nothing while the cursor's entry lies past the last buffer entry.
[[nodiscard]] HexKeyEffect applyByteKey(ImageState& state, std::uint8_t byte, int topRow,
                                        int rowCount);

// A data cell of the hex grid was selected by mouse or keyboard: the cursor moves there and a
// pending first digit is dropped. Cells outside columns 1..16 or above row 1 change nothing.
// Returns whether the cursor moved.
bool selectHexCell(ImageState& state, int column, int row);

} // namespace kestrel

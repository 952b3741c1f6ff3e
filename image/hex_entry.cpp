#include "hex_entry.h"

namespace kestrel {

std::optional<int> hexDigitValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return std::nullopt;
}

namespace {

// The entry under the cursor, or 0 when the cursor is on no buffer entry.
int cursorEntry(const ImageState& state)
{
    if (state.CursorCol < 1 || state.CursorCol > 16 || state.CursorRow < 1)
        return 0;
    const int entry = entryOf(state.CursorCol, state.CursorRow);
    return entry > EepromLastEntry ? 0 : entry;
}

// A byte was completed: the cursor moves to the next cell, the grid one row down when the
// cursor reaches the row 16 below its top.
void advanceCursor(ImageState& state, int topRow, int rowCount, HexKeyEffect& effect)
{
    state.NibbleCount = 0;
    effect.charCellChanged = true;
    ++state.CursorCol;
    if (state.CursorCol == 17) {
        state.CursorCol = 1;
        ++state.CursorRow;
        if (state.CursorRow == topRow + 16 && state.CursorRow < rowCount)
            effect.newTopRow = topRow + 1;
    }
    effect.selectionMoved = true;
    effect.selectCol = state.CursorCol;
    effect.selectRow = state.CursorRow;
}

} // namespace

HexKeyEffect applyHexKey(ImageState& state, QChar key, int topRow, int rowCount)
{
    HexKeyEffect effect;
    const std::optional<int> digit = hexDigitValue(key);
    if (!digit)
        return effect;
    const int entry = cursorEntry(state);
    if (entry == 0)
        return effect;

    auto& value = state.EepromBuffer[static_cast<std::size_t>(entry)];
    effect.changedEntry = entry;
    if (state.NibbleCount == 0) {
        value = *digit;
        state.NibbleCount = 1;
        return effect;
    }

    // Whatever the entry holds, the completed entry stays one byte.
    const auto shifted =
        static_cast<std::uint32_t>(value) * 16u + static_cast<std::uint32_t>(*digit);
    value = static_cast<std::int32_t>(shifted & 0xFFu);
    advanceCursor(state, topRow, rowCount, effect);
    return effect;
}

HexKeyEffect applyByteKey(ImageState& state, std::uint8_t byte, int topRow, int rowCount)
{
    HexKeyEffect effect;
    const int entry = cursorEntry(state);
    if (entry == 0)
        return effect;
    state.EepromBuffer[static_cast<std::size_t>(entry)] = byte;
    effect.changedEntry = entry;
    advanceCursor(state, topRow, rowCount, effect);
    return effect;
}

HexKeyEffect applyHexKeyText(ImageState& state, QStringView text, int topRow, int rowCount)
{
    if (text.size() != 1)
        return {};
    return applyHexKey(state, text.front(), topRow, rowCount);
}

bool selectHexCell(ImageState& state, int column, int row)
{
    if (column < 1 || column > 16 || row < 1)
        return false;
    state.CursorCol = column;
    state.CursorRow = row;
    state.NibbleCount = 0;
    return true;
}

} // namespace kestrel

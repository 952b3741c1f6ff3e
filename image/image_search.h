#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kestrel {

// Bytes typed as hex: pairs of hex digits, white space anywhere ("DE AD BE EF", "deadbeef").
// Nothing for an empty text, an odd count of digits or any other character.
[[nodiscard]] std::optional<QByteArray> parseHexBytes(QStringView text);
// The bytes whose characters in the character grid (code page 1250) spell text; nothing when a
// character has no byte there.
[[nodiscard]] std::optional<QByteArray> textBytes(QStringView text);
// "DE AD BE EF": upper-case pairs, one space between them.
[[nodiscard]] QString hexBytesText(QByteArrayView bytes);

struct FoundBytes
{
    int offset = -1;      // first byte of the match, -1: none
    bool wrapped = false; // the search went past an end of the image to find it
};

// Finds needle in image: forward from `from` on, or backward from the match that starts before
// `from`, going round the other end once.
[[nodiscard]] FoundBytes findBytes(QByteArrayView image, QByteArrayView needle, int from,
                                   bool forward);

struct GotoTarget
{
    int offset = -1; // from the EEPROM's first byte, -1: refused
    QString error;   // why it was refused
};

// A place in the EEPROM typed as a chip address in hex ("0D80", "0x0D80") or as an offset from
// its first byte ("+80", "+0x80", hex too).
[[nodiscard]] GotoTarget parseGotoTarget(QStringView text, int base, int size);

} // namespace kestrel

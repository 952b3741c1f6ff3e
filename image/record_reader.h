#pragma once

#include "fixed_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace kestrel {

// Internals of the record formats, shared by their readers and writers.

// The chip's EEPROM as a file fills it: bytes inside the window land in the image, the rest is
// counted and left out. Bytes at 0 .. size - 1 are kept apart as well: a file none of whose data
// falls inside the window, but all of it there, is counted from the window's first byte.
class WindowCollector
{
public:
    WindowCollector(int base, int size);

    // Places n bytes from address on. False when one of them lands on a byte of the image that
    // an earlier record gave another value; conflictAddress() names it.
    [[nodiscard]] bool put(qint64 address, const unsigned char* data, qint64 n);
    // The file ended: takes it as counted from the window's first byte when it is so.
    void finish();

    [[nodiscard]] const QByteArray& bytes() const { return m_window.bytes; }
    [[nodiscard]] qint64 skipped() const { return m_skipped; }
    [[nodiscard]] bool anyInWindow() const { return m_window.any; }
    [[nodiscard]] qint64 conflictAddress() const { return m_window.conflict; }
    // After finish(): the image holds the bytes at 0 .. size - 1.
    [[nodiscard]] bool offsetBased() const { return m_offsetBased; }
    // The first byte at 0 .. size - 1 given two values, -1 for none. Such a file is refused only
    // when it is counted from the window's first byte.
    [[nodiscard]] qint64 offsetConflictAddress() const { return m_low.conflict; }

private:
    // Bytes from first on, each written once or again with its value.
    struct Area
    {
        explicit Area(qint64 firstAddress, int size);
        void put(qint64 address, char value);

        qint64 first;
        QByteArray bytes;
        std::vector<bool> written;
        qint64 conflict = -1;
        bool any = false;
    };

    Area m_window;
    Area m_low;
    qint64 m_skipped = 0;
    qint64 m_beyondLow = 0; // bytes outside both the window and 0 .. size - 1
    bool m_offsetBased = false;
};

// Reads a record format line by line into a collector.
class RecordReader
{
public:
    explicit RecordReader(WindowCollector& collector) : m_collector(collector) {}
    virtual ~RecordReader() = default;
    // Parses one line, without its line end and trailing white space and never empty, as a
    // record of the format (its checksum included) and holds it as the current record. Gives the
    // short reason when the line is no record of the format, or a null string.
    [[nodiscard]] virtual QString parseLine(QByteArrayView line) = 0;
    // Takes the current record into the image. Gives the short reason when it contradicts the
    // records taken before, or a null string.
    [[nodiscard]] virtual QString takeRecord() = 0;
    // The end record was read: any further record is an error.
    [[nodiscard]] bool ended() const { return m_ended; }
    // The longest line a record of the format can make.
    [[nodiscard]] virtual int maxLineLength() const = 0;

protected:
    WindowCollector& m_collector;
    bool m_ended = false;
};

namespace record {

// Short reasons, after "Błąd w pliku, wiersz N: ".
inline constexpr FixedText badRecord{"image", QT_TRANSLATE_NOOP("image", "niepoprawny rekord")};
inline constexpr FixedText notHex{"image",
                                  QT_TRANSLATE_NOOP("image", "znak spoza cyfr szesnastkowych")};
inline constexpr FixedText countMismatch{
    "image", QT_TRANSLATE_NOOP("image", "liczba bajtów niezgodna z długością wiersza")};
inline constexpr FixedText badChecksum{"image", QT_TRANSLATE_NOOP("image", "zła suma kontrolna")};
inline constexpr FixedText unknownType{"image", QT_TRANSLATE_NOOP("image", "nieznany typ rekordu")};
inline constexpr FixedText afterEnd{"image", QT_TRANSLATE_NOOP("image", "dane po rekordzie końca")};
inline constexpr FixedText lineTooLong{"image",
                                       QT_TRANSLATE_NOOP("image", "wiersz dłuższy niż rekord")};
inline constexpr FixedText recordCountMismatch{"image",
                                               QT_TRANSLATE_NOOP("image", "zła liczba rekordów")};
[[nodiscard]] QString conflict(qint64 address);

// Value of a hex digit, -1 for any other character.
[[nodiscard]] inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

[[nodiscard]] bool allHex(QByteArrayView text);
// The count byte: the first two hex digits (checked before) of a record of at least two.
[[nodiscard]] inline int countByte(QByteArrayView digits)
{
    return hexDigit(digits[0]) << 4 | hexDigit(digits[1]);
}
// Decodes text.size() / 2 bytes of hex digits (all checked before) into out.
void decodeHex(QByteArrayView text, unsigned char* out);
// Appends the byte as two upper-case hex digits.
void appendHex(QByteArray& out, unsigned value);

} // namespace record

} // namespace kestrel

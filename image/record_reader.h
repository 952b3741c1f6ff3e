#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

namespace kestrel {

// Internals of the record formats, shared by their readers and writers.

// The chip's EEPROM as a file fills it: bytes inside the window land in the image, the rest is
// counted and left out.
class WindowCollector
{
public:
    WindowCollector(int base, int size);

    // Places n bytes from address on. False when one of them lands on a byte of the image that
    // an earlier record gave another value; conflictAddress() names it.
    [[nodiscard]] bool put(qint64 address, const unsigned char* data, int n);

    [[nodiscard]] const QByteArray& bytes() const { return m_bytes; }
    [[nodiscard]] qint64 skipped() const { return m_skipped; }
    [[nodiscard]] bool anyInWindow() const { return m_any; }
    [[nodiscard]] qint64 conflictAddress() const { return m_conflict; }

private:
    qint64 m_base;
    QByteArray m_bytes;
    std::vector<bool> m_written;
    qint64 m_skipped = 0;
    qint64 m_conflict = -1;
    bool m_any = false;
};

// Reads a record format line by line.
class RecordReader
{
public:
    virtual ~RecordReader() = default;
    // Parses one line, without its line end and trailing white space and never empty, as a
    // record of the format (its checksum included) and holds it as the current record. Gives the
    // short reason when the line is no record of the format, or a null string.
    [[nodiscard]] virtual QString parseLine(QByteArrayView line) = 0;
    // Takes the current record into the image. Gives the short reason when it contradicts the
    // records taken before, or a null string.
    [[nodiscard]] virtual QString takeRecord() = 0;
    // The end record was read: any further record is an error.
    [[nodiscard]] virtual bool ended() const = 0;
    // The longest line a record of the format can make.
    [[nodiscard]] virtual int maxLineLength() const = 0;
};

namespace record {

// Short reasons, after "Błąd w pliku, wiersz N: ".
[[nodiscard]] QString badRecord();
[[nodiscard]] QString notHex();
[[nodiscard]] QString countMismatch();
[[nodiscard]] QString badChecksum();
[[nodiscard]] QString unknownType();
[[nodiscard]] QString afterEnd();
[[nodiscard]] QString lineTooLong();
[[nodiscard]] QString recordCountMismatch();
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
// Decodes text.size() / 2 bytes of hex digits (all checked before) into out.
void decodeHex(QByteArrayView text, unsigned char* out);
// Appends the byte as two upper-case hex digits.
void appendHex(QByteArray& out, unsigned value);

} // namespace record

} // namespace kestrel

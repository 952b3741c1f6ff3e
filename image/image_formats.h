#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

class QIODevice;

namespace kestrel {

// Image files in three formats: raw (the bare bytes, offset 0 first), Motorola S-record and
// Intel HEX. Record addresses are the chip's: EEPROM base + offset.
enum class ImageFormat
{
    Raw,
    SRecord,
    IntelHex
};

// Loading: a name ending in .bin is raw; any other file goes by its first non-blank line ("S0" to
// "S9" then hex digits: S-record; ":" then hex digits: Intel HEX; anything else raw).
[[nodiscard]] ImageFormat formatFromContent(const QByteArray& head, const QString& fileName);
// Saving: by the extension (.s19 .s28 .s37 .srec .mot .sx, .hex .ihex .ihx, anything else raw).
[[nodiscard]] ImageFormat formatFromExtension(const QString& fileName);
// How many bytes of a file's start formatFromContent needs at most.
inline constexpr int FormatHeadSize = 64 * 1024;

// The chip's EEPROM: its first address and size in bytes.
struct ChipWindow
{
    int base;
    int size;
};

enum class DecodeStatus
{
    Ok,
    TooLarge,  // raw: more bytes than the window holds
    BadLine,   // the record format refuses line `line` for `reason`
    NoData,    // records, none of them for the window
    ReadError, // the device failed; `reason` holds its error string
};

struct DecodedImage
{
    DecodeStatus status = DecodeStatus::BadLine;
    qint64 line = 0;    // BadLine: the line refused, counted from 1
    QString reason;     // BadLine: why, e.g. "zła suma kontrolna"; ReadError: the device's error
    QByteArray bytes;   // Ok: exactly window.size bytes, 0xFF where the file has none
    qint64 skipped = 0; // Ok: data bytes outside the window

    [[nodiscard]] bool ok() const { return status == DecodeStatus::Ok; }
};

// Decodes a whole file held in memory.
[[nodiscard]] DecodedImage decodeImage(const QByteArray& data, ImageFormat format,
                                       ChipWindow window);
// Decodes what the device delivers until its end, piece by piece: memory stays bounded whatever
// the file's size. A read error gives ReadError with the device's error string.
[[nodiscard]] DecodedImage decodeImage(QIODevice& device, ImageFormat format, ChipWindow window);

// Decodes a file fed in pieces of any size. A refusal found early stops the work: feed() then
// returns false and ignores further pieces.
class ImageDecoder
{
public:
    ImageDecoder(ImageFormat format, ChipWindow window);
    ~ImageDecoder();
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    bool feed(QByteArrayView piece);
    // The result once the whole file was fed.
    [[nodiscard]] DecodedImage finish();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// The file of an image: raw gives the bytes as they are; the record formats give records at
// window.base onwards, upper-case hex, CRLF line ends.
[[nodiscard]] QByteArray encodeImage(const QByteArray& bytes, ImageFormat format,
                                     ChipWindow window);

} // namespace kestrel

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

class QIODevice;

namespace kestrel {

// Image files: raw (the bare bytes, offset 0 first), Motorola S-record, Intel HEX, and ELF (read
// only). Record and section addresses are the chip's: EEPROM base + offset. A file none of whose
// data falls inside the EEPROM, but all of it within 0 .. size - 1, is counted from its first byte.
enum class ImageFormat
{
    Raw,
    SRecord,
    IntelHex,
    Elf,
};

// The format a file's name names: .s19 .s28 .s37 .srec .mot .sx S-records, .hex .ihex .ihx Intel
// HEX, .elf .out ELF, .bin raw; nothing for any other name.
[[nodiscard]] std::optional<ImageFormat> formatNamedBy(const QString& fileName);
// Saving: by the extension as formatNamedBy, anything else raw; ELF is never written, so .elf and
// .out are raw too.
[[nodiscard]] ImageFormat formatFromExtension(const QString& fileName);
// Loading a file whose name names no format: ELF when it begins with an ELF identification,
// S-records or Intel HEX when the whole file is records of that format (every line a record with
// its right checksum, or blank), anything else raw.
[[nodiscard]] ImageFormat formatFromContent(const QByteArray& file);

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
    BadFile,   // ELF: the file is refused for `reason`
    NoData,    // records or sections, none of them for the window
    ReadError, // the device failed; `reason` holds its error string
};

struct DecodedImage
{
    DecodeStatus status = DecodeStatus::BadLine;
    ImageFormat format = ImageFormat::Raw; // the format the file was read in
    qint64 line = 0;                       // BadLine: the line refused, counted from 1
    QString reason;     // BadLine: why, e.g. "zła suma kontrolna"; BadFile: why; ReadError: the
                        // device's error
    QByteArray bytes;   // Ok: exactly window.size bytes, 0xFF where the file has none
    qint64 skipped = 0; // Ok: data bytes outside the window
    bool offsetBased = false; // Ok: the file's addresses counted from the window's first byte

    [[nodiscard]] bool ok() const { return status == DecodeStatus::Ok; }
};

// Decodes a whole file held in memory, in the given format or, without one, by its content as
// formatFromContent tells it.
[[nodiscard]] DecodedImage decodeImage(const QByteArray& data, std::optional<ImageFormat> format,
                                       ChipWindow window);
// Decodes what the device delivers until its end, piece by piece: memory stays bounded whatever
// the file's size. A read error gives ReadError with the device's error string.
[[nodiscard]] DecodedImage decodeImage(QIODevice& device, std::optional<ImageFormat> format,
                                       ChipWindow window);

// Decodes a file fed in pieces of any size. A refusal found early stops the work: feed() then
// returns false and ignores further pieces. By content, the raw bytes are kept only up to the
// window's size, each record format is followed while its lines are records and the whole file
// only while it begins as ELF (up to MaxElfFileSize), so that one pass over the file decides the
// format and decodes it; the work stops once the file can be neither ELF, records nor a raw image
// of the window's size.
class ImageDecoder
{
public:
    ImageDecoder(std::optional<ImageFormat> format, ChipWindow window);
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
// window.base onwards, upper-case hex, CRLF line ends. ELF is never written: asked for it, the
// bytes come as they are.
[[nodiscard]] QByteArray encodeImage(const QByteArray& bytes, ImageFormat format,
                                     ChipWindow window);

} // namespace kestrel

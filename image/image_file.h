#pragma once

#include "eeprom_image.h"
#include "image_formats.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class QIODevice;

namespace kestrel {

// Raw image files: the bare bytes of the chip's EEPROM, no header.

enum class ImageReadStatus
{
    Ok,         // data holds the whole file
    NoFile,     // no file of that name, or a folder
    TooLarge,   // more than the chip's EEPROM holds
    Unreadable, // could not be opened or read; reason says why
    // Loading only: a record file that is refused.
    BadLine, // line `line` is refused; reason says why
    BadFile, // an ELF file that is refused; reason says why
    NoData,  // records or sections, none of them for the chip's EEPROM
};

struct ImageReadResult
{
    ImageReadStatus status = ImageReadStatus::NoFile;
    QByteArray data;
    QString reason;
};

struct ImageWriteResult
{
    bool ok = false;
    QString reason; // the system's reason when !ok
};

// Reason given for a name that exists but is neither a regular file nor a folder (a pipe, a
// device): such names are never opened, since opening a pipe blocks and replacing a device
// destroys it.
[[nodiscard]] QString notRegularFileReason();

// Reads everything from an open device, at most maxSize bytes. A device that reports more than
// maxSize, or delivers more whatever its reported size, gives TooLarge.
[[nodiscard]] ImageReadResult readImageData(QIODevice& device, int maxSize);

// Reads the whole file at path into memory, at most maxSize bytes. Nothing is kept on failure.
[[nodiscard]] ImageReadResult readImageFile(const QString& path, int maxSize);

// What a load found, for each front end to tell in its own words.
struct ImageLoadResult
{
    ImageReadStatus status = ImageReadStatus::NoFile;
    ImageFormat format = ImageFormat::Raw;
    QString path;       // the file's name as given; empty for an open device
    qint64 line = 0;    // BadLine: the line refused, counted from 1
    QString reason;     // Unreadable: the system's reason; BadLine, BadFile: why it is refused
    QByteArray bytes;   // Ok: exactly window.size bytes, 0xFF where the file has none
    qint64 skipped = 0; // Ok: data bytes outside the window
    bool offsetBased = false; // Ok: the file's addresses counted from the EEPROM's first byte
    bool empty = false;       // the file held no byte at all (loaded, or refused as NoData)
};

// Reads an image file for the chip's EEPROM: in the format given, else in the one its name names
// (formatNamedBy), else by its content (ELF when it begins as ELF, a file of records of one format
// throughout in that format, any other as raw). Raw files follow readImageFile; record files are
// read piece by piece, so memory stays bounded for any size; ELF files are held whole, up to
// MaxElfFileSize.
[[nodiscard]] ImageLoadResult loadImageFile(const QString& path, ChipWindow window,
                                            std::optional<ImageFormat> format = std::nullopt);
// The same from an open device (standard input), in the given format or else by its content.
[[nodiscard]] ImageLoadResult loadImageDevice(QIODevice& device, std::optional<ImageFormat> format,
                                              ChipWindow window);

// The file image of the buffer: the low 8 bits of entries 1..EepromSize.
[[nodiscard]] QByteArray imageFileBytes(const ImageState& state);

// Entries 1..2047 := 255, then the bytes into entries 1, 2, ... (at most 2047 of them).
void storeImageBytes(ImageState& state, QByteArrayView bytes);

// Replaces path by exactly the given bytes, atomically (AtomicFile): a temporary file in the same
// folder takes every byte, is synced and closed, and only then replaces the target. On any failure
// the target is unchanged and reason holds the Polish reason.
[[nodiscard]] ImageWriteResult writeImageFile(const QString& path, const QByteArray& bytes);

} // namespace kestrel

#pragma once

#include "chip_catalogue.h"
#include "cli_options.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QIODevice;

namespace kestrel {
class AtomicFile;
}

namespace kestrel::cli {

// The image a program or verify run sends to or compares with the chip.
struct LoadedImage
{
    bool ok = false;
    QString error;    // why not, for "kestrel-cli: " + error
    QByteArray bytes; // the chip's EepromSize bytes; those the file leaves out are 0xFF
    QString notice;   // something the user is told although the file was taken
};

// Reads FILE ("-": standardInput) for the chip's EEPROM window, to program or compare: a file of
// no bytes is refused. The format is `format` when given, raw binary for standard input, else the
// one the name names, else told by the content (ELF, records of one format throughout, anything
// else raw).
// Data outside the window are left out and told in `notice`, as is a file counted from the
// EEPROM's first byte.
[[nodiscard]] LoadedImage loadImage(const QString& file, std::optional<FileFormat> format,
                                    const link::ChipRow& chip, QIODevice& standardInput);

// Reads FILE ("-": standardInput) for a conversion: the format is the one the name names, else
// told by the content, standard input's included.
[[nodiscard]] LoadedImage loadImageToConvert(const QString& file, const link::ChipRow& chip,
                                             QIODevice& standardInput);

// The file a read writes: opened before the transfer, so that a name that cannot be written is
// refused before the chip is read, and written only with the whole image. A file is replaced
// atomically (AtomicFile); until commit() nothing at its name changes, and a destroyed
// ImageOutput leaves nothing behind. Written to standard output, a failed write gives an empty
// error: the stream tells it itself (see CheckedOutput).
class ImageOutput
{
public:
    // The format is `format` when given, raw binary for "-", else told by the extension.
    ImageOutput(const QString& file, std::optional<FileFormat> format, const link::ChipRow& chip,
                QIODevice& standardOutput);
    ~ImageOutput();
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;

    [[nodiscard]] bool open(QString& error);
    // Encodes the chip's bytes, writes them and replaces the file.
    [[nodiscard]] bool commit(const QByteArray& chipBytes, QString& error);
    [[nodiscard]] FileFormat format() const { return format_; }

private:
    QString file_;
    FileFormat format_;
    const link::ChipRow& chip_;
    QIODevice& standardOutput_;
    std::unique_ptr<AtomicFile> atomicFile_;
};

} // namespace kestrel::cli

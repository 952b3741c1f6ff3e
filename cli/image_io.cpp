#include "image_io.h"

#include "image_commands.h"
#include "image_file.h"
#include "image_formats.h"

#include <QFile>
#include <QFileInfo>

namespace kestrel::cli {

namespace {

bool isStandardStream(const QString& file)
{
    return file == QLatin1String("-");
}

// The window's multi-line file messages on one line: "text path: reason".
QString oneLine(const QString& message)
{
    QStringList parts = message.split(u'\n');
    const QString first = parts.takeFirst();
    return parts.isEmpty() ? first : first + u' ' + parts.join(QStringLiteral(": "));
}

ChipWindow windowOf(const link::ChipRow& chip)
{
    return ChipWindow{chip.EepromBase, chip.EepromSize};
}

QString missingReason(const QString& file)
{
    return QFileInfo(file).isDir() ? QStringLiteral("to jest katalog")
                                   : QStringLiteral("nie ma takiego pliku");
}

// A file by the formats' rules: a name ending in .bin raw, else by its content.
LoadedImage loadByContent(const QString& file, ChipWindow window)
{
    LoadedImage out;
    const ImageLoadResult read = loadImageFile(file, window);
    switch (read.status) {
    case ImageReadStatus::Ok:
        out.ok = true;
        out.bytes = read.bytes;
        if (read.skipped > 0)
            out.notice = skippedMessage(read.skipped, window);
        break;
    case ImageReadStatus::NoFile:
        out.error = oneLine(readFailedMessage(file, missingReason(file)));
        break;
    case ImageReadStatus::TooLarge:
        out.error = file + QStringLiteral(": ") + fileTooLargeMessage();
        break;
    case ImageReadStatus::Unreadable:
        out.error = oneLine(readFailedMessage(file, read.reason));
        break;
    case ImageReadStatus::Invalid:
        out.error = file + QStringLiteral(": ") + read.reason;
        break;
    }
    return out;
}

// An open device in the given format.
LoadedImage loadFromDevice(QIODevice& device, const QString& shownName, ImageFormat format,
                           ChipWindow window)
{
    LoadedImage out;
    if (format == ImageFormat::Raw) {
        const ImageReadResult read = readImageData(device, window.size);
        switch (read.status) {
        case ImageReadStatus::Ok:
            out.ok = true;
            out.bytes = decodeImage(read.data, ImageFormat::Raw, window).bytes;
            break;
        case ImageReadStatus::TooLarge:
            out.error = shownName + QStringLiteral(": ") + fileTooLargeMessage();
            break;
        case ImageReadStatus::NoFile:
        case ImageReadStatus::Unreadable:
        case ImageReadStatus::Invalid:
            out.error = oneLine(readFailedMessage(shownName, read.reason));
            break;
        }
        return out;
    }
    const DecodedImage decoded = decodeImage(device, format, window);
    if (!decoded.ok) {
        out.error = shownName + QStringLiteral(": ") + decoded.error;
        return out;
    }
    out.ok = true;
    out.bytes = decoded.bytes;
    if (decoded.skipped > 0)
        out.notice = skippedMessage(decoded.skipped, window);
    return out;
}

} // namespace

LoadedImage loadImage(const QString& file, std::optional<FileFormat> format,
                      const link::ChipRow& chip, QIODevice& standardInput)
{
    const ChipWindow window = windowOf(chip);
    if (isStandardStream(file))
        return loadFromDevice(standardInput, QStringLiteral("standardowe wejście"),
                              format.value_or(ImageFormat::Raw), window);
    if (!format)
        return loadByContent(file, window);

    LoadedImage out;
    const QFileInfo info(file);
    if (!info.exists() || info.isDir()) {
        out.error = oneLine(readFailedMessage(file, missingReason(file)));
        return out;
    }
    if (!info.isFile()) {
        out.error = oneLine(readFailedMessage(file, notRegularFileReason()));
        return out;
    }
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly)) {
        out.error = oneLine(readFailedMessage(file, device.errorString()));
        return out;
    }
    return loadFromDevice(device, file, *format, window);
}

ImageOutput::ImageOutput(const QString& file, std::optional<FileFormat> format,
                         const link::ChipRow& chip, QIODevice& standardOutput)
    : file_(file),
      format_(format ? *format
                     : (isStandardStream(file) ? ImageFormat::Raw : formatFromExtension(file))),
      chip_(chip), standardOutput_(standardOutput)
{
}

ImageOutput::~ImageOutput() = default; // an uncommitted QSaveFile removes its temporary file

bool ImageOutput::open(QString& error)
{
    if (isStandardStream(file_))
        return true;
    const QFileInfo info(file_);
    if (info.exists() && !info.isFile()) {
        error = oneLine(writeFailedMessage(file_, info.isDir() ? QStringLiteral("to jest katalog")
                                                               : notRegularFileReason()));
        return false;
    }
    saveFile_ = std::make_unique<QSaveFile>(file_);
    if (!saveFile_->open(QIODevice::WriteOnly)) {
        error = oneLine(writeFailedMessage(file_, saveFile_->errorString()));
        saveFile_.reset();
        return false;
    }
    return true;
}

bool ImageOutput::commit(const QByteArray& chipBytes, QString& error)
{
    const QByteArray data = encodeImage(chipBytes.left(chip_.EepromSize), format_, windowOf(chip_));
    if (isStandardStream(file_)) {
        if (standardOutput_.write(data) != data.size()) {
            error = oneLine(writeFailedMessage(QStringLiteral("standardowe wyjście"),
                                               standardOutput_.errorString()));
            return false;
        }
        return true;
    }
    if (!saveFile_) {
        error = oneLine(writeFailedMessage(file_, QStringLiteral("plik nie został otwarty")));
        return false;
    }
    if (saveFile_->write(data) != data.size() || !saveFile_->commit()) {
        error = oneLine(writeFailedMessage(file_, saveFile_->errorString()));
        saveFile_.reset();
        return false;
    }
    saveFile_.reset();
    return true;
}

} // namespace kestrel::cli

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

// The CLI's message for a load that failed, or the image and its notice.
LoadedImage loaded(const ImageLoadResult& read, const QString& shownName, ChipWindow window)
{
    LoadedImage out;
    switch (read.status) {
    case ImageReadStatus::Ok:
        out.ok = true;
        out.bytes = read.bytes;
        if (read.skipped > 0)
            out.notice = skippedMessage(read.skipped, window);
        break;
    case ImageReadStatus::NoFile:
        out.error = oneLine(readFailedMessage(shownName, missingReason(shownName)));
        break;
    case ImageReadStatus::TooLarge:
        out.error = shownName + QStringLiteral(": ") + fileTooLargeMessage();
        break;
    case ImageReadStatus::Unreadable:
        out.error = oneLine(readFailedMessage(shownName, read.reason));
        break;
    case ImageReadStatus::Invalid:
        out.error = shownName + QStringLiteral(": ") + read.reason;
        break;
    }
    return out;
}

} // namespace

LoadedImage loadImage(const QString& file, std::optional<FileFormat> format,
                      const link::ChipRow& chip, QIODevice& standardInput)
{
    const ChipWindow window = windowOf(chip);
    if (isStandardStream(file))
        return loaded(loadImageDevice(standardInput, format.value_or(ImageFormat::Raw), window),
                      QStringLiteral("standardowe wejście"), window);
    return loaded(loadImageFile(file, window, format), file, window);
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

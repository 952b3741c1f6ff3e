#include "image_io.h"

#include "image_file.h"
#include "image_formats.h"
#include "image_messages.h"

#include <QFile>
#include <QFileInfo>

namespace kestrel::cli {

namespace {

bool isStandardStream(const QString& file)
{
    return file == QLatin1String("-");
}

// "Nie można odczytać pliku: NAME: REASON", on one line.
QString readFailed(const QString& name, const QString& reason)
{
    return readFailedHeading() + u' ' + name + QStringLiteral(": ") + reason;
}

QString writeFailed(const QString& name, const QString& reason)
{
    return writeFailedHeading() + u' ' + name + QStringLiteral(": ") + reason;
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
        out.notice = loadNotice(read, window);
        break;
    case ImageReadStatus::NoFile:
        out.error = readFailed(shownName, missingReason(shownName));
        break;
    case ImageReadStatus::Unreadable:
        out.error = readFailed(shownName, read.reason);
        break;
    case ImageReadStatus::TooLarge:
    case ImageReadStatus::BadLine:
    case ImageReadStatus::BadFile:
    case ImageReadStatus::NoData:
        out.error = shownName + QStringLiteral(": ") + refusedContentMessage(read, window);
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

LoadedImage loadImageToConvert(const QString& file, const link::ChipRow& chip,
                               QIODevice& standardInput)
{
    const ChipWindow window = windowOf(chip);
    if (isStandardStream(file))
        return loaded(loadImageDevice(standardInput, std::nullopt, window),
                      QStringLiteral("standardowe wejście"), window);
    return loaded(loadImageFile(file, window), file, window);
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
        error = writeFailed(file_, info.isDir() ? QStringLiteral("to jest katalog")
                                                : notRegularFileReason());
        return false;
    }
    saveFile_ = std::make_unique<QSaveFile>(file_);
    if (!saveFile_->open(QIODevice::WriteOnly)) {
        error = writeFailed(file_, saveFile_->errorString());
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
            error =
                writeFailed(QStringLiteral("standardowe wyjście"), standardOutput_.errorString());
            return false;
        }
        return true;
    }
    if (!saveFile_) {
        error = writeFailed(file_, QStringLiteral("plik nie został otwarty"));
        return false;
    }
    if (saveFile_->write(data) != data.size() || !saveFile_->commit()) {
        error = writeFailed(file_, saveFile_->errorString());
        saveFile_.reset();
        return false;
    }
    saveFile_.reset();
    return true;
}

} // namespace kestrel::cli

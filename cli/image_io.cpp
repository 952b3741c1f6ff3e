#include "image_io.h"

#include "image_commands.h"
#include "image_file.h"

#include <QFileInfo>

namespace kestrel::cli {

namespace {

bool isStandardStream(const QString& file)
{
    return file == QLatin1String("-");
}

// The window's multi-line file messages on one line: "text: path: reason".
QString oneLine(const QString& message)
{
    QStringList parts = message.split(u'\n');
    const QString first = parts.takeFirst();
    return parts.isEmpty() ? first : first + u' ' + parts.join(QStringLiteral(": "));
}

QString unavailableFormat(FileFormat format)
{
    return QStringLiteral("format %1 nie jest jeszcze obsługiwany")
        .arg(format == FileFormat::SRecord ? QStringLiteral("S-record")
                                           : QStringLiteral("Intel HEX"));
}

} // namespace

LoadedImage loadImage(const QString& file, std::optional<FileFormat> format,
                      const link::ChipRow& chip, QIODevice& standardInput)
{
    LoadedImage out;
    const QString shownName = isStandardStream(file) ? QStringLiteral("standardowe wejście") : file;
    const FileFormat chosen = format.value_or(FileFormat::Raw);
    if (chosen != FileFormat::Raw) {
        out.error = unavailableFormat(chosen);
        return out;
    }
    ImageReadResult read;
    if (isStandardStream(file)) {
        read = readImageData(standardInput, chip.EepromSize);
    } else {
        read = readImageFile(file, chip.EepromSize);
        if (read.status == ImageReadStatus::NoFile)
            read = {ImageReadStatus::Unreadable, {},
                    QFileInfo(file).isDir() ? QStringLiteral("to jest katalog")
                                            : QStringLiteral("nie ma takiego pliku")};
    }
    switch (read.status) {
    case ImageReadStatus::Ok:
        break;
    case ImageReadStatus::TooLarge:
        out.error = shownName + QStringLiteral(": ") + fileTooLargeMessage();
        return out;
    case ImageReadStatus::NoFile:
    case ImageReadStatus::Unreadable:
        out.error = oneLine(readFailedMessage(shownName, read.reason));
        return out;
    }
    out.bytes = QByteArray(chip.EepromSize, static_cast<char>(0xFF));
    out.bytes.replace(0, read.data.size(), read.data);
    out.ok = true;
    return out;
}

ImageOutput::ImageOutput(const QString& file, std::optional<FileFormat> format,
                         const link::ChipRow& chip, QIODevice& standardOutput)
    : file_(file), format_(format.value_or(FileFormat::Raw)), chip_(chip),
      standardOutput_(standardOutput)
{
}

ImageOutput::~ImageOutput() = default; // an uncommitted QSaveFile removes its temporary file

bool ImageOutput::open(QString& error)
{
    if (format_ != FileFormat::Raw) {
        error = unavailableFormat(format_);
        return false;
    }
    if (isStandardStream(file_))
        return true;
    const QFileInfo info(file_);
    if (info.exists() && !info.isFile()) {
        error = oneLine(writeFailedMessage(
            file_, info.isDir() ? QStringLiteral("to jest katalog") : notRegularFileReason()));
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
    const QByteArray data = chipBytes.left(chip_.EepromSize);
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

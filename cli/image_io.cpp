#include "image_io.h"

#include "atomic_file.h"
#include "file_names.h"
#include "image_file.h"
#include "image_formats.h"
#include "image_messages.h"

#include <QCoreApplication>
#include <QIODevice>

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

QString folderReason()
{
    return QCoreApplication::translate("cli", "to jest katalog");
}

QString missingReason(const QString& file)
{
    return fileKindOf(file) == FileKind::Directory
               ? folderReason()
               : QCoreApplication::translate("cli", "nie ma takiego pliku");
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
    const bool stream = isStandardStream(file);
    const QString shownName =
        stream ? QCoreApplication::translate("cli", "standardowe wejście") : file;
    const ImageLoadResult read =
        stream ? loadImageDevice(standardInput, format.value_or(ImageFormat::Raw), window)
               : loadImageFile(file, window, format);
    const bool readable =
        read.status != ImageReadStatus::NoFile && read.status != ImageReadStatus::Unreadable;
    if (readable && read.empty) {
        LoadedImage out;
        out.error = shownName + QStringLiteral(": ") + emptyImageMessage();
        return out;
    }
    return loaded(read, shownName, window);
}

LoadedImage loadImageToConvert(const QString& file, const link::ChipRow& chip,
                               QIODevice& standardInput)
{
    const ChipWindow window = windowOf(chip);
    if (isStandardStream(file))
        return loaded(loadImageDevice(standardInput, std::nullopt, window),
                      QCoreApplication::translate("cli", "standardowe wejście"), window);
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

ImageOutput::~ImageOutput() = default; // an uncommitted AtomicFile removes its temporary file

bool ImageOutput::open(QString& error)
{
    if (isStandardStream(file_))
        return true;
    const FileKind kind = fileKindOf(file_);
    if (kind == FileKind::Directory || kind == FileKind::Other) {
        error = writeFailed(file_, kind == FileKind::Directory ? folderReason()
                                                               : notRegularFileReason());
        return false;
    }
    atomicFile_ = std::make_unique<AtomicFile>(file_);
    if (!atomicFile_->open()) {
        error = writeFailed(file_, atomicFile_->errorString());
        atomicFile_.reset();
        return false;
    }
    return true;
}

bool ImageOutput::commit(const QByteArray& chipBytes, QString& error)
{
    const QByteArray data = encodeImage(chipBytes.left(chip_.EepromSize), format_, windowOf(chip_));
    if (isStandardStream(file_)) {
        error.clear();
        return standardOutput_.write(data) == data.size();
    }
    if (!atomicFile_) {
        error = writeFailed(file_, QCoreApplication::translate("cli", "plik nie został otwarty"));
        return false;
    }
    const bool written = atomicFile_->commit(data);
    if (!written)
        error = writeFailed(file_, atomicFile_->errorString());
    atomicFile_.reset();
    return written;
}

} // namespace kestrel::cli

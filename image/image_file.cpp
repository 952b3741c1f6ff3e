#include "image_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace kestrel {

QString notRegularFileReason()
{
    return QStringLiteral("to nie jest zwykły plik");
}

ImageReadResult readImageData(QIODevice& device, int maxSize)
{
    ImageReadResult result;
    if (!device.isSequential() && device.size() > maxSize) {
        result.status = ImageReadStatus::TooLarge;
        return result;
    }
    // One byte more than allowed reveals a file that grew after its size was taken.
    const qint64 limit = qint64(maxSize) + 1;
    QByteArray data(static_cast<qsizetype>(limit), '\0');
    qint64 total = 0;
    while (total < limit) {
        const qint64 n = device.read(data.data() + total, limit - total);
        if (n < 0) {
            result.status = ImageReadStatus::Unreadable;
            result.reason = device.errorString();
            return result;
        }
        if (n == 0)
            break;
        total += n;
    }
    if (total > maxSize) {
        result.status = ImageReadStatus::TooLarge;
        return result;
    }
    data.truncate(static_cast<qsizetype>(total));
    result.status = ImageReadStatus::Ok;
    result.data = std::move(data);
    return result;
}

namespace {

// Opens a regular file for reading; status NoFile or Unreadable when that is not possible.
ImageReadStatus openRegularFile(QFile& file, QString& reason)
{
    const QFileInfo info(file.fileName());
    if (file.fileName().isEmpty() || !info.exists() || info.isDir())
        return ImageReadStatus::NoFile;
    if (!info.isFile()) {
        reason = notRegularFileReason();
        return ImageReadStatus::Unreadable;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return ImageReadStatus::Unreadable;
    }
    return ImageReadStatus::Ok;
}

} // namespace

ImageReadResult readImageFile(const QString& path, int maxSize)
{
    ImageReadResult result;
    QFile file(path);
    result.status = openRegularFile(file, result.reason);
    if (result.status != ImageReadStatus::Ok)
        return result;
    return readImageData(file, maxSize);
}

ImageLoadResult loadImageDevice(QIODevice& device, std::optional<ImageFormat> format,
                                ChipWindow window)
{
    ImageLoadResult result;
    if (format == ImageFormat::Raw) {
        ImageReadResult raw = readImageData(device, window.size);
        result.status = raw.status;
        result.reason = raw.reason;
        if (raw.status == ImageReadStatus::Ok)
            result.bytes = decodeImage(raw.data, ImageFormat::Raw, window).bytes;
        return result;
    }
    const DecodedImage decoded = decodeImage(device, format, window);
    result.format = decoded.format;
    switch (decoded.status) {
    case DecodeStatus::Ok:
        result.status = ImageReadStatus::Ok;
        result.bytes = decoded.bytes;
        result.skipped = decoded.skipped;
        result.offsetBased = decoded.offsetBased;
        break;
    case DecodeStatus::TooLarge:
        result.status = ImageReadStatus::TooLarge;
        break;
    case DecodeStatus::BadLine:
        result.status = ImageReadStatus::BadLine;
        result.line = decoded.line;
        result.reason = decoded.reason;
        break;
    case DecodeStatus::BadFile:
        result.status = ImageReadStatus::BadFile;
        result.reason = decoded.reason;
        break;
    case DecodeStatus::NoData:
        result.status = ImageReadStatus::NoData;
        break;
    case DecodeStatus::ReadError:
        result.status = ImageReadStatus::Unreadable;
        result.reason = decoded.reason;
        break;
    }
    return result;
}

ImageLoadResult loadImageFile(const QString& path, ChipWindow window,
                              std::optional<ImageFormat> format)
{
    ImageLoadResult result;
    result.path = path;
    QFile file(path);
    result.status = openRegularFile(file, result.reason);
    if (result.status != ImageReadStatus::Ok)
        return result;

    result = loadImageDevice(file, format ? format : formatNamedBy(path), window);
    result.path = path;
    return result;
}

QByteArray imageFileBytes(const ImageState& state)
{
    const int size = std::clamp(state.EepromSize, 0, EepromLastEntry);
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(state.EepromBuffer[static_cast<std::size_t>(i + 1)] & 0xFF);
    return bytes;
}

void storeImageBytes(ImageState& state, QByteArrayView bytes)
{
    state.fillFF(1, EepromLastEntry);
    const auto count = std::min<qsizetype>(bytes.size(), EepromLastEntry);
    for (qsizetype i = 0; i < count; ++i)
        state.EepromBuffer[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>(bytes[i]);
}

ImageWriteResult writeImageFile(const QString& path, const QByteArray& bytes)
{
    ImageWriteResult result;
    const QFileInfo info(path);
    if (info.exists() && !info.isFile() && !info.isDir()) {
        result.reason = notRegularFileReason();
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.reason = file.errorString();
        return result;
    }
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || !file.flush()) {
        result.reason = file.errorString();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.reason = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace kestrel

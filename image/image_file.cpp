#include "image_file.h"

#include "atomic_file.h"
#include "file_names.h"
#include "system_errors.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kestrel {

QString notRegularFileReason()
{
    return QCoreApplication::translate("image", "to nie jest zwykły plik");
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
        errno = 0;
        const qint64 n = device.read(data.data() + total, limit - total);
        if (n < 0) {
            result.status = ImageReadStatus::Unreadable;
            result.reason = readErrorReason(device, errno);
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

// Opens a regular file for reading, by its name as the system encodes it; status NoFile or
// Unreadable when that is not possible.
ImageReadStatus openRegularFile(QFile& file, const QString& path, QString& reason)
{
    switch (fileKindOf(path)) {
    case FileKind::Missing:
    case FileKind::Directory:
        return ImageReadStatus::NoFile;
    case FileKind::Other:
        reason = notRegularFileReason();
        return ImageReadStatus::Unreadable;
    case FileKind::Regular:
        break;
    }
    int fd = -1;
    do
        fd = ::open(fileNameToSystem(path).constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reason = systemErrorReason(errno);
        return ImageReadStatus::Unreadable;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        reason = fileDeviceErrorReason(file.error());
        return ImageReadStatus::Unreadable;
    }
    return ImageReadStatus::Ok;
}

} // namespace

ImageReadResult readImageFile(const QString& path, int maxSize)
{
    ImageReadResult result;
    QFile file;
    result.status = openRegularFile(file, path, result.reason);
    if (result.status != ImageReadStatus::Ok)
        return result;
    return readImageData(file, maxSize);
}

ImageLoadResult loadImageDevice(QIODevice& device, std::optional<ImageFormat> format,
                                ChipWindow window)
{
    ImageLoadResult result;
    result.empty = device.isSequential() ? device.peek(1).isEmpty() : device.size() == 0;
    if (format == ImageFormat::Raw) {
        ImageReadResult raw = readImageData(device, window.size);
        result.status = raw.status;
        result.reason = raw.reason;
        result.empty = raw.status == ImageReadStatus::Ok && raw.data.isEmpty();
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
    QFile file;
    result.status = openRegularFile(file, path, result.reason);
    if (result.status != ImageReadStatus::Ok)
        return result;

    result = loadImageDevice(file, format ? format : formatNamedBy(path), window);
    result.path = path;
    return result;
}

QByteArray imageFileBytes(const ImageState& state)
{
    return bufferBytes(state.EepromBuffer, state.EepromSize);
}

void storeImageBytes(ImageState& state, QByteArrayView bytes)
{
    state.fillFF(1, EepromLastEntry);
    storeBufferBytes(state.EepromBuffer, bytes);
}

ImageWriteResult writeImageFile(const QString& path, const QByteArray& bytes)
{
    ImageWriteResult result;
    AtomicFile file(path);
    result.ok = file.open() && file.commit(bytes);
    if (!result.ok)
        result.reason = file.errorString();
    return result;
}

} // namespace kestrel

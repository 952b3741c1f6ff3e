#include "standard_output.h"

#include "image_messages.h"
#include "system_errors.h"

#include <QCoreApplication>
#include <cerrno>
#include <unistd.h>

namespace kestrel::cli {

QString standardOutputFailed(const QString& reason)
{
    return writeFailedHeading() + QCoreApplication::translate("cli", " standardowe wyjście: ") +
           reason;
}

DescriptorOutput::DescriptorOutput(int fd) : fd_(fd)
{
    (void)open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

QString DescriptorOutput::closeDescriptor()
{
    const int fd = fd_;
    fd_ = -1;
    if (fd < 0 || ::close(fd) == 0 || errno == EBADF || errno == EINTR)
        return {};
    return systemErrorReason(errno);
}

qint64 DescriptorOutput::readData(char*, qint64)
{
    return -1;
}

qint64 DescriptorOutput::writeData(const char* data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, std::size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            setErrorString(systemErrorReason(n < 0 ? errno : ENOSPC));
            return -1;
        }
        done += n;
    }
    return done;
}

CheckedOutput::CheckedOutput(QIODevice& target, QIODevice& errors)
    : target_(target), errors_(errors)
{
    (void)open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 CheckedOutput::readData(char*, qint64)
{
    return -1;
}

qint64 CheckedOutput::writeData(const char* data, qint64 size)
{
    if (!failed_ && target_.write(data, size) == size)
        return size;
    if (!failed_) {
        failed_ = true;
        setErrorString(target_.errorString());
        errors_.write((QStringLiteral("kestrel-cli: ") + standardOutputFailed(errorString()) +
                       u'\n')
                          .toUtf8());
    }
    return -1;
}

} // namespace kestrel::cli

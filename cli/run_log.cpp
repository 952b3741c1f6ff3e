#include "run_log.h"

#include "image_messages.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>

#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kestrel::cli {

namespace {

QString failed(const QString& path, int error)
{
    return writeFailedHeading() + u' ' + path + QStringLiteral(": ") +
           QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

RunLog::~RunLog()
{
#if defined(Q_OS_WIN)
    if (fd_ >= 0)
        ::_close(fd_);
#else
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

bool RunLog::open(const QString& path, QString& error)
{
    path_ = path;
    const QByteArray name = QFile::encodeName(path);
#if defined(Q_OS_WIN)
    fd_ = ::_open(name.constData(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY, 0644);
#else
    do
        fd_ = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    while (fd_ < 0 && errno == EINTR);
#endif
    if (fd_ < 0) {
        error = failed(path, errno);
        return false;
    }
    return true;
}

bool RunLog::append(const QByteArray& line, QString& error)
{
    const QByteArray whole = line + '\n';
    long long written = -1;
#if defined(Q_OS_WIN)
    written = ::_write(fd_, whole.constData(), unsigned(whole.size()));
#else
    // Interrupted before it wrote anything, a write is tried again; a part of a line never is.
    do
        written = ::write(fd_, whole.constData(), std::size_t(whole.size()));
    while (written < 0 && errno == EINTR);
#endif
    if (written == whole.size())
        return true;
    error = failed(path_, written < 0 ? errno : EIO);
    return false;
}

} // namespace kestrel::cli

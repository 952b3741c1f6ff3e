#include "writer_lock.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace kestrel::registry {

WriterLock::WriterLock(const QString& databasePath)
{
#if defined(Q_OS_UNIX)
    const QByteArray path = QFile::encodeName(databasePath + QStringLiteral("-lock"));
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0)
        return;
    int rc = 0;
    do
        rc = ::flock(fd_, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd_);
        fd_ = -1;
    }
#else
    Q_UNUSED(databasePath);
#endif
}

WriterLock::~WriterLock()
{
#if defined(Q_OS_UNIX)
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
#endif
}

} // namespace kestrel::registry

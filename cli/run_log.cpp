#include "run_log.h"

#include "file_names.h"
#include "image_messages.h"
#include "system_errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kestrel::cli {

namespace {

// Holds the log's advisory lock while a line goes out and, when it failed, is cut off again:
// kestrel-cli runs sharing the log never cut each other's lines.
class LineLock
{
public:
    explicit LineLock(int fd) : fd_(fd)
    {
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~LineLock() { ::flock(fd_, LOCK_UN); }
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

private:
    int fd_;
};

} // namespace

RunLog::~RunLog()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RunLog::failed(int systemError, QString& error) const
{
    error = writeFailedHeading() + u' ' + path_ + QStringLiteral(": ") +
            systemErrorReason(systemError);
    return false;
}

bool RunLog::open(const QString& path, QString& error)
{
    path_ = path;
    const QByteArray name = fileNameToSystem(path);
    do
        fd_ = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0 || failed(errno, error);
}

bool RunLog::append(const QByteArray& line, QString& error)
{
    if (fd_ < 0)
        return failed(EBADF, error);
    const QByteArray whole = line + '\n';
    const LineLock lock(fd_);
    ssize_t written = -1;
    // Interrupted before it wrote anything, a write is tried again; a part of a line never is.
    do
        written = ::write(fd_, whole.constData(), std::size_t(whole.size()));
    while (written < 0 && errno == EINTR);
    int problem = 0;
    if (written != whole.size())
        problem = written < 0 ? errno : ENOSPC;
    else if (::fsync(fd_) != 0 && errno != EINVAL)
        problem = errno;
    if (problem == 0)
        return true;
    if (written > 0) {
        // Appending left the offset just after this line's bytes: cut back to where it began.
        const off_t end = ::lseek(fd_, 0, SEEK_CUR);
        if (end >= written)
            (void)::ftruncate(fd_, end - written);
    }
    return failed(problem, error);
}

bool RunLog::close(QString& error)
{
    const int fd = fd_;
    fd_ = -1;
    if (fd < 0 || ::close(fd) == 0 || errno == EINTR)
        return true;
    return failed(errno, error);
}

} // namespace kestrel::cli

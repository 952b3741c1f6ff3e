#include "atomic_file.h"

#include "file_names.h"
#include "image_file.h"
#include "system_errors.h"

#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel {

namespace {

// The folder part of an encoded name, "." when it has none.
QByteArray folderOf(const QByteArray& name)
{
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// A new name in the target's folder, hidden, unique among tries.
QByteArray temporaryNameFor(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + '.' + target.mid(slash + 1) + ".kestrel-" +
           QByteArray::number(QRandomGenerator::global()->generate(), 36);
}

} // namespace

AtomicFile::AtomicFile(const QString& path) : path_(path) {}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(int error)
{
    error_ = error;
    reason_ = systemErrorReason(error);
    discard();
    return false;
}

bool AtomicFile::failWith(const QString& reason)
{
    error_ = 0;
    reason_ = reason;
    discard();
    return false;
}

void AtomicFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
}

bool AtomicFile::open()
{
    if (path_.isEmpty())
        return fail(ENOENT);
    switch (fileKindOf(path_)) {
    case FileKind::Directory:
        return fail(EISDIR);
    case FileKind::Other:
        return failWith(notRegularFileReason());
    case FileKind::Missing:
    case FileKind::Regular:
        break;
    }
    // Through a symbolic link the file it leads to is replaced, as an editor does.
    target_ = fileNameToSystem(resolvedFilePath(path_));
    struct stat existing {};
    const bool exists = ::stat(target_.constData(), &existing) == 0;
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = temporaryNameFor(target_);
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            const int error = errno;
            temporary_.clear();
            if ((error != EEXIST && error != EINTR) || attempt > 100)
                return fail(error);
        }
    }
    // The replaced file's permissions stay; a new one gets the umask's.
    if (exists && ::fchmod(fd_, existing.st_mode & 07777) != 0)
        return fail(errno);
    return true;
}

bool AtomicFile::commit(QByteArrayView bytes)
{
    if (fd_ < 0)
        return reason_.isEmpty() ? fail(EBADF) : false;
    const char* data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        data += n;
        left -= n;
    }
    if (::fsync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temporary_.constData(), target_.constData()) != 0)
        return fail(errno);
    temporary_.clear();
    // The rename itself reaches the disk with its folder.
    const int folder = ::open(folderOf(target_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace kestrel

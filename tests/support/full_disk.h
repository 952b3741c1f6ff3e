#pragma once

// A full disk: a 64 KiB tmpfs mounted in a temporary folder and filled, for writes that fail
// with ENOSPC. Mounting needs root (the tests run as root here and in CI); elsewhere
// skipReason() says why, for QSKIP.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace kestrel::testsupport {

class FullDisk
{
public:
    FullDisk()
    {
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", name(path()), "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk()
    {
        if (mounted_)
            ::umount2(name(path()), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] static QString skipReason() { return QStringLiteral("mounting needs root"); }
    [[nodiscard]] QString path() const { return dir_.path(); }
    [[nodiscard]] QString filePath(const QString& file) const { return dir_.filePath(file); }

    // Takes every free block; true when the disk then refused a write for want of space.
    [[nodiscard]] bool fill() const
    {
        const int fd = ::open(name(filePath(QStringLiteral(".filler"))), O_WRONLY | O_CREAT, 0644);
        const QByteArray block(4096, 'F');
        while (fd >= 0 && ::write(fd, block.constData(), std::size_t(block.size())) > 0) {
        }
        const bool full = fd >= 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }

    // The folder's names but the filler's.
    [[nodiscard]] QStringList names() const
    {
        QStringList all =
            QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        all.removeAll(QStringLiteral(".filler"));
        return all;
    }

private:
    static const char* name(const QString& file)
    {
        static thread_local QByteArray encoded;
        encoded = QFile::encodeName(file);
        return encoded.constData();
    }

    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace kestrel::testsupport

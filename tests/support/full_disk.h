#pragma once

// A disk that is full: a 64 KiB tmpfs mounted in a temporary folder, for the tests of writes that
// fail with ENOSPC. Mounting needs root (the tests run as root here and in CI); elsewhere
// skipReason() says why, for QSKIP.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
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
        if (::geteuid() != 0) {
            reason_ = QStringLiteral("mounting a small tmpfs needs root");
            return;
        }
        if (::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                    "size=64k,mode=0777") != 0) {
            reason_ = QStringLiteral("mount -t tmpfs failed: %1").arg(errno);
            return;
        }
        mounted_ = true;
    }
    ~FullDisk()
    {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    [[nodiscard]] bool mounted() const { return mounted_; }
    [[nodiscard]] QString skipReason() const { return reason_; }
    [[nodiscard]] QString path() const { return dir_.path(); }
    [[nodiscard]] QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Takes every free block; true when the disk then refused a write for want of space.
    [[nodiscard]] bool fill() const
    {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'F');
        ssize_t n = 0;
        do
            n = ::write(fd, block.constData(), std::size_t(block.size()));
        while (n > 0);
        const bool full = n < 0 && errno == ENOSPC;
        ::close(fd);
        return full;
    }

    // The folder's names, the filler left out.
    [[nodiscard]] QStringList names() const
    {
        QStringList names =
            QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
    QString reason_;
};

} // namespace kestrel::testsupport

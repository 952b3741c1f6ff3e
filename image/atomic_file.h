#pragma once

#include <QByteArrayView>
#include <QString>

namespace kestrel {

// A file replaced atomically: open() creates a temporary file beside the target (in the folder
// of the file a symbolic link leads to, which is the file replaced), commit() writes every byte,
// checking each write, syncs it to the disk, closes it and only then renames it over the target.
// Until commit() succeeds the target is untouched; a failed or abandoned file removes its
// temporary. Reasons are the Polish ones of systemErrorReason.
class AtomicFile
{
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Refuses a name that leads to a folder, a pipe or a device, and one whose folder cannot be
    // written.
    [[nodiscard]] bool open();
    // At most once, after open().
    [[nodiscard]] bool commit(QByteArrayView bytes);
    // Why open() or commit() failed.
    [[nodiscard]] QString errorString() const { return reason_; }
    // The system's error behind it, 0 when the reason is not one.
    [[nodiscard]] int systemError() const { return error_; }

private:
    bool fail(int error);
    bool failWith(const QString& reason);
    void discard();

    QString path_;
    QByteArray target_;
    QByteArray temporary_;
    int fd_ = -1;
    int error_ = 0;
    QString reason_;
};

} // namespace kestrel

#pragma once

#include <QRandomGenerator>

// Helpers for the tests of the image file commands.

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

namespace testing {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray pattern(int size, int seed)
{
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 37 + seed) & 0xFF);
    return b;
}

// A raw image of `size` bytes whose first bytes look like text.
inline QByteArray startingWith(const QByteArray& head, int size, int seed = 0)
{
    return head + pattern(size - int(head.size()), seed);
}

// Every name below dir with its size, to see that nothing on disk changed.
inline QStringList listing(const QString& dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size());
    }
    out.sort();
    return out;
}

// Limits the size of files this process may write, root included: a disk that fills up.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    [[nodiscard]] bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// Lines joined with their line ends.
inline QByteArray lines(const QList<QByteArray>& list, const QByteArray& end = "\r\n")
{
    QByteArray out;
    for (const QByteArray& line : list)
        out += line + end;
    return out;
}

inline QByteArray erased(int size)
{
    return QByteArray(size, char(0xFF));
}

inline QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, '\0');
    for (char& b : bytes)
        b = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace testing

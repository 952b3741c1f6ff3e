#pragma once

#include <QByteArray>
#include <QString>

namespace kestrel::cli {

// The production log (--log FILE): one line of JSON per port and operation, appended. The file is
// opened for appending before any chip is touched, and each line goes out in one write of its
// own, so that several runs may share the file without mixing their lines. A line is there whole
// or not at all: one that was written in part, or not synced to the disk, is cut off again.
class RunLog
{
public:
    RunLog() = default;
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Opens (creates) the file for appending; on failure `error` holds the message.
    [[nodiscard]] bool open(const QString& path, QString& error);
    // Appends one line (its line end added) and syncs it; on failure `error` holds the message.
    [[nodiscard]] bool append(const QByteArray& line, QString& error);
    // Closes the file; on failure `error` holds the message.
    [[nodiscard]] bool close(QString& error);

private:
    [[nodiscard]] bool failed(int systemError, QString& error) const;

    QString path_;
    int fd_ = -1;
};

} // namespace kestrel::cli

#pragma once

#include <QIODevice>
#include <QString>

namespace kestrel::cli {

// A write-only stream on a file descriptor (the process's standard output): every write goes
// straight to the descriptor and either all of it is written or the write fails, its reason the
// Polish one of the system's error.
class DescriptorOutput final : public QIODevice
{
public:
    explicit DescriptorOutput(int fd);
    [[nodiscard]] bool isSequential() const override { return true; }
    // Closes the descriptor itself, so that an error the system keeps for the close (a network
    // file system's) is seen; gives the reason, or an empty string.
    [[nodiscard]] QString closeDescriptor();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    int fd_;
};

// Standard output as a run writes it, around the real stream: the first failed write is told
// on standard error ("Nie można zapisać pliku: standardowe wyjście: Brak miejsca na dysku"),
// once, and failed() then makes the run end with a file error.
class CheckedOutput final : public QIODevice
{
public:
    CheckedOutput(QIODevice& target, QIODevice& errors);
    [[nodiscard]] bool isSequential() const override { return true; }
    [[nodiscard]] bool failed() const { return failed_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& target_;
    QIODevice& errors_;
    bool failed_ = false;
};

// "Nie można zapisać pliku: standardowe wyjście: REASON".
[[nodiscard]] QString standardOutputFailed(const QString& reason);

} // namespace kestrel::cli

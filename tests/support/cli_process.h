#pragma once

// kestrel-cli and kestrel-sim as processes, for end-to-end tests and benchmarks.

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace kestrel::testsupport {

// A kestrel-sim serving on a pseudo-terminal, reachable through a link in `folder`.
class SimProcess
{
public:
    // Starts it and waits until it serves. extra: fault and file options.
    SimProcess(const QString& program, const QString& chip, const QString& folder,
               const QString& name, const QStringList& extra = {});
    ~SimProcess();

    [[nodiscard]] bool serving() const { return serving_; }
    [[nodiscard]] QString link() const { return link_; }
    [[nodiscard]] QString logPath() const { return log_; }
    // Interrupts it and waits for its summary; true when it ended normally.
    bool stop();
    // After stop().
    [[nodiscard]] QString summary() const { return summary_; }
    // The transcript's frame lines (written at stop()).
    [[nodiscard]] QStringList transcriptFrames() const;

private:
    std::unique_ptr<QProcess> process_;
    QString link_;
    QString log_;
    QString summary_;
    bool serving_ = false;
};

struct CliRun
{
    int exitCode = -1;
    QByteArray out;
    QString err;
    qint64 ms = 0;
};

// Runs kestrel-cli to its end (at most timeoutMs).
[[nodiscard]] CliRun runCli(const QString& program, const QStringList& args, int timeoutMs = 60000);
// The same, run again (three runs at most) while it ends with no adapter or a failed transfer
// (exit 4 or 5): on a loaded machine the kernel has been seen to hold a pseudo-terminal's bytes
// back for most of a second, longer than the adapter's replies may take. For runs that must
// succeed against a simulator that answers.
[[nodiscard]] CliRun runCliPatiently(const QString& program, const QStringList& args,
                                     int timeoutMs = 60000);

} // namespace kestrel::testsupport

#include "cli_process.h"

#include <QDir>
#include <QFile>

#include <csignal>

namespace kestrel::testsupport {

SimProcess::SimProcess(const QString& program, const QString& chip, const QString& folder,
                       const QString& name, const QStringList& extra)
    : process_(std::make_unique<QProcess>()), link_(QDir(folder).filePath(name)),
      log_(QDir(folder).filePath(name + QStringLiteral(".log")))
{
    process_->start(program, QStringList{QStringLiteral("--chip"), chip, QStringLiteral("--link"),
                                         link_, QStringLiteral("--log"), log_} +
                                 extra);
    if (!process_->waitForStarted(5000))
        return;
    // The first line tells the device: "68HC12B32 on /dev/pts/3 -> LINK".
    while (!process_->canReadLine() && process_->state() == QProcess::Running)
        process_->waitForReadyRead(100);
    serving_ = process_->canReadLine() && process_->readLine().contains(link_.toUtf8());
}

SimProcess::~SimProcess()
{
    if (process_->state() != QProcess::NotRunning) {
        process_->kill();
        process_->waitForFinished(5000);
    }
}

bool SimProcess::stop()
{
    if (process_->state() == QProcess::Running)
        ::kill(static_cast<pid_t>(process_->processId()), SIGINT);
    const bool ended = process_->waitForFinished(10000);
    summary_ =
        QString::fromUtf8(process_->readAllStandardOutput() + process_->readAllStandardError());
    return ended && process_->exitStatus() == QProcess::NormalExit;
}

QStringList SimProcess::transcriptFrames() const
{
    QFile file(log_);
    QStringList frames;
    if (!file.open(QIODevice::ReadOnly))
        return frames;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.contains(" ms  #"))
            frames << QString::fromUtf8(line);
    }
    return frames;
}

CliRun runCli(const QString& program, const QStringList& args, int timeoutMs)
{
    CliRun run;
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.ms = timer.elapsed();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

CliRun runCliPatiently(const QString& program, const QStringList& args, int timeoutMs)
{
    CliRun run;
    for (int attempt = 0; attempt < 3; ++attempt) {
        run = runCli(program, args, timeoutMs);
        if (run.exitCode != 4 && run.exitCode != 5)
            break;
        qWarning("attempt %d ended with exit code %d: %s", attempt + 1, run.exitCode,
                 qPrintable(run.err));
    }
    return run;
}

} // namespace kestrel::testsupport

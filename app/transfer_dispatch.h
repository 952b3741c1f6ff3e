#pragma once

#include "backup_file_chooser.h"
#include "trace_panel.h"
#include "transfer_observer.h"
#include "transfer_runner.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

class TForm1;

// Starts the selected chip's read, program and verify workers and shows what they report in the
// window: status panel, gauge, messages, the read image, the bytes a verify found different.
// One transfer at a time; while it runs the window refuses every command that changes the image
// or starts another transfer.
class TransferDispatch final : public QObject, public link::TransferObserver
{
    Q_OBJECT
public:
    using MessageSink = std::function<void(const QString&)>;

    explicit TransferDispatch(TForm1& form);
    ~TransferDispatch() override;

    // Starts the program (read, verify, program-then-verify) worker of the selected chip. False
    // if a transfer runs. A verify first drops the marks of the last one.
    bool startProgram();
    bool startRead();
    bool startVerify();
    bool startProgramVerify();
    // Asks for the backup's file (see BackupFileChooser), then reads the chip into it, programs
    // and verifies: one transfer, ending as startProgramVerify's does. Nothing happens when the
    // dialog is cancelled; a chip this version does not serve is told so without the dialog.
    bool startBackupProgramVerify();
    // The adapter check on the selected port: the report as the message, the image untouched.
    bool startCheck();
    [[nodiscard]] bool running() const { return m_runner.running(); }

    // The question before a running transfer is stopped: what stopping means for the chip.
    [[nodiscard]] QString stopQuestion() const;
    // Asks the running worker to stop at its next frame boundary and waits for it to end,
    // at most timeoutMs. True once no transfer runs.
    [[nodiscard]] bool stopAndWait(int timeoutMs);
    [[nodiscard]] bool waitFinished(int timeoutMs) { return m_runner.waitFinished(timeoutMs); }
    [[nodiscard]] link::TransferResult lastResult() const { return m_runner.lastResult(); }

    // Where worker messages go; the window's dialogs by default.
    void setMessageSink(MessageSink sink) { m_message = std::move(sink); }
    // Replaces the real clock and lines, e.g. with a virtual clock and a scripted line.
    void setFactories(TransferRunner::ClockFactory clock, TransferRunner::LineFactory line);

    // TransferObserver, on the window's thread.
    void setStatus(const QString& text) override;
    void startPhase(link::Phase phase) override;
    void setProgressMax(int max) override;
    void setProgress(int progress) override;
    void showMessage(const QString& text) override;
    void imageRead(const QByteArray& bytes) override;
    void verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets) override;
    void finished(const link::TransferOutcome& outcome) override;

signals:
    void transferFinished(kestrel::link::TransferResult result);

private:
    // The selected chip's record, or nullptr while a transfer runs or no chip is selected.
    [[nodiscard]] const link::ChipRow* idleChip() const;
    bool start(link::Operation operation, const QString& backupPath = {});

    TForm1& m_form;
    QueuedTraceSink m_traceSink; // outlives the runner's threads
    TransferRunner m_runner;
    MessageSink m_message;
    TransferRunner::ClockFactory m_makeClock;
    TransferRunner::LineFactory m_makeLine;
    QString m_chipName;
    BackupFileChooser m_backupFiles;
    link::Operation m_operation = link::Operation::Read; // of the running or last transfer
    bool m_programming = false; // the running transfer loads, sends or writes the image
};

} // namespace kestrel

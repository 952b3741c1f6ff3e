// Programming with a backup first: the chip's content read and kept in a file, and only then
// the image programmed.

#include "image_file.h"
#include "image_formats.h"
#include "messages.h"
#include "workers.h"

namespace kestrel::link {

namespace {

// Passes a read's calls on; its messages say that no backup was made and nothing programmed.
class BackupReadObserver final : public TransferObserver
{
public:
    explicit BackupReadObserver(TransferObserver& target) : target_(target) {}

    void setStatus(const QString& text) override { target_.setStatus(text); }
    void startPhase(Phase phase) override { target_.startPhase(phase); }
    void setProgressMax(int max) override { target_.setProgressMax(max); }
    void setProgress(int progress) override { target_.setProgress(progress); }
    void showMessage(const QString& text) override
    {
        target_.showMessage(backupReadFailedMessage(text));
    }
    void imageRead(const QByteArray& bytes) override { target_.imageRead(bytes); }
    void finished(const TransferOutcome& outcome) override { target_.finished(outcome); }

private:
    TransferObserver& target_;
};

[[nodiscard]] bool cancelRequested(const TransferContext& ctx)
{
    return ctx.cancel != nullptr && ctx.cancel->load(std::memory_order_relaxed);
}

// Reads the chip and writes the backup. Done when the file holds the chip's content.
TransferResult makeBackup(TransferContext& ctx)
{
    ctx.outcome.backupWritten = false;
    BackupReadObserver readObserver(ctx.observer);
    TransferContext read{ctx.line,  ctx.clock,  readObserver, ctx.portName,
                         ctx.image, ctx.cancel, ctx.chip};
    QByteArray bytes;
    if (const TransferResult result = readEeprom(read, bytes); result != TransferResult::Done)
        return result;
    // A stop asked for during the read leaves no file and no programming.
    if (cancelRequested(ctx))
        return TransferResult::Cancelled;

    const ChipRow& chip = *ctx.chip;
    const QByteArray file =
        encodeImage(bytes.left(chip.EepromSize), formatFromExtension(ctx.backupPath),
                    ChipWindow{chip.EepromBase, chip.EepromSize});
    const ImageWriteResult written = writeImageFile(ctx.backupPath, file);
    if (!written.ok) {
        ctx.observer.showMessage(backupWriteFailedMessage(ctx.backupPath, written.reason));
        return TransferResult::BackupFailed;
    }
    ctx.outcome.backupWritten = true;
    ctx.observer.setStatus(statusBackupSaved());
    return cancelRequested(ctx) ? TransferResult::Cancelled : TransferResult::Done;
}

} // namespace

TransferResult BackupProgramWorker(TransferContext& ctx)
{
    const TransferResult backup = makeBackup(ctx);
    return backup == TransferResult::Done ? ProgramWorker(ctx) : backup;
}

TransferResult BackupProgramVerifyWorker(TransferContext& ctx)
{
    const TransferResult backup = makeBackup(ctx);
    return backup == TransferResult::Done ? ProgramVerifyWorker(ctx) : backup;
}

} // namespace kestrel::link

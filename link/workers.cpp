#include "workers.h"

#include "adapter.h"
#include "worker_steps.h"
#include "messages.h"
#include "target_routines.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace kestrel::link {

namespace {
inline constexpr int WaitSteps = 1001;
inline constexpr int WaitStepMs = 20;

struct ProgramChip
{
    const TargetRoutineBlock& routine;
    int routineAddress; // R
    int stagingBase;    // S
    int words;          // W
    std::uint8_t runCommand;
    QString firstStatus;
};

std::uint8_t entryByte(const EepromBufferType& image, int entry)
{
    return static_cast<std::uint8_t>(image[static_cast<std::size_t>(entry)] & 0xFF);
}

TransferResult runProgram(TransferContext& ctx, const ProgramChip& chip)
{
    TransferObserver& observer = ctx.observer;
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    TransferResult result = TransferResult::PortFailed;
    if (!openPort(link, ctx, ProgramReadTimeoutMs, result))
        return result;

    observer.setGaugeColor(GaugeYellow);
    observer.setGaugeProgress(0);
    observer.setGaugeMax(TargetRoutineWords - 1);

    const CheckResult check = CheckAdapterConnection(link);
    if (check != CheckResult::Passed)
        return checkFailed(link, observer, check, programNoAdapterMessage());

    observer.setStatus(chip.firstStatus);
    for (int k = 0; k < TargetRoutineWords; ++k) {
        const auto word = static_cast<std::size_t>(2 * k);
        const Step step =
            sendFrame(link, writeWordCommand(chip.routineAddress + 2 * k, chip.routine[word + 1],
                                             chip.routine[word]));
        if (step != Step::Ok)
            return stepEnded(link, observer, step);
        observer.setGaugeProgress(k);
    }

    observer.setGaugeColor(GaugeGreen);
    observer.setGaugeProgress(0);
    observer.setGaugeMax(chip.words - 1);
    observer.setStatus(statusSending());
    for (int i = 0; i < chip.words; ++i) {
        const Step step = sendFrame(link, writeWordCommand(chip.stagingBase + 2 * i,
                                                           entryByte(ctx.image, 2 * i + 2),
                                                           entryByte(ctx.image, 2 * i + 1)));
        if (step != Step::Ok)
            return stepEnded(link, observer, step);
        observer.setGaugeProgress(i);
    }

    if (const Step step = sendFrame(link, plainCommand(chip.runCommand, RunPauseMs));
        step != Step::Ok)
        return stepEnded(link, observer, step);

    observer.setGaugeColor(GaugeRed);
    observer.setGaugeProgress(0);
    observer.setGaugeMax(WaitSteps - 2);
    observer.setStatus(statusWriting());
    for (int j = 0; j < WaitSteps; ++j) {
        if (link.cancelRequested())
            return closeAndFinish(link, observer, TransferResult::Cancelled);
        link.clock.pauseMs(WaitStepMs);
        if (link.line.broken())
            return lineBroken(link, observer);
        observer.setGaugeProgress(j);
    }

    observer.setStatus(statusDone());
    return closeAndFinish(link, observer, TransferResult::Done);
}

} // namespace

TransferResult ProgramWorkerB32(TransferContext& ctx)
{
    return runProgram(ctx,
                      {TargetRoutineB32, 0x0800, 0x0880, 384, CMD_RUN.b32, statusLoadingB32()});
}

TransferResult ProgramWorkerD60(TransferContext& ctx)
{
    return runProgram(ctx,
                      {TargetRoutineD60, 0x0200, 0x0300, 512, CMD_RUN.d60, statusLoadingD60()});
}

namespace {

// Passes every call on but the end of the transfer, so that a second one can follow.
class ContinuedObserver final : public TransferObserver
{
public:
    explicit ContinuedObserver(TransferObserver& target) : target_(target) {}
    void setStatus(const QString& text) override { target_.setStatus(text); }
    void setGaugeColor(std::uint32_t bgr) override { target_.setGaugeColor(bgr); }
    void setGaugeMax(int max) override { target_.setGaugeMax(max); }
    void setGaugeProgress(int progress) override { target_.setGaugeProgress(progress); }
    void showMessage(const QString& text) override { target_.showMessage(text); }
    void imageRead(const QByteArray& bytes) override { target_.imageRead(bytes); }
    void verified(const QByteArray& chip, const std::vector<int>& offsets) override
    {
        target_.verified(chip, offsets);
    }
    void finished() override {}

private:
    TransferObserver& target_;
};

TransferResult programThenVerify(TransferContext& ctx, WorkerRoutine program,
                                 WorkerRoutine verify)
{
    ContinuedObserver continued(ctx.observer);
    TransferContext first{ctx.line, ctx.clock, continued, ctx.portName, ctx.image, ctx.cancel};
    const TransferResult result = program(first);
    if (result != TransferResult::Done) {
        ctx.observer.finished();
        return result;
    }
    return verify(ctx);
}

} // namespace

TransferResult ProgramVerifyWorkerB32(TransferContext& ctx)
{
    return programThenVerify(ctx, ProgramWorkerB32, VerifyWorkerB32);
}

TransferResult ProgramVerifyWorkerD60(TransferContext& ctx)
{
    return programThenVerify(ctx, ProgramWorkerD60, VerifyWorkerD60);
}

TransferResult NotSupportedWorker(TransferContext& ctx)
{
    ctx.observer.showMessage(notSupportedMessage());
    ctx.observer.finished();
    return TransferResult::NotSupported;
}

void storeReadImage(const QByteArray& bytes, EepromBufferType& buffer)
{
    const auto count = std::min<qsizetype>(bytes.size(), EepromLastEntry);
    for (qsizetype k = 0; k < count; ++k)
        buffer[static_cast<std::size_t>(k + 1)] = static_cast<std::uint8_t>(bytes[k]);
}

} // namespace kestrel::link

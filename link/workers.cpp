#include "workers.h"

#include "adapter.h"
#include "adapter_check.h"
#include "messages.h"
#include "target_routines.h"
#include "worker_steps.h"

#include <QByteArray>

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>
#include <string>

namespace kestrel::link {

namespace {

std::uint8_t imageByte(const QByteArray& image, int offset)
{
    return static_cast<std::uint8_t>(image.at(offset));
}

} // namespace

TransferResult ProgramWorker(TransferContext& ctx)
{
    requireWholeImage(ctx);
    const ChipRow& row = *ctx.chip;
    const ChipProgramming& chip = row.programming;
    TransferObserver& observer = ctx.observer;
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    TransferResult result = TransferResult::PortFailed;
    if (!openPort(link, ctx, ProgramReadTimeoutMs, result))
        return result;

    startPhase(observer, Phase::Loading, TargetRoutineWords - 1);

    const CheckResult check = CheckAdapterConnection(link);
    if (check != CheckResult::Passed)
        return checkFailed(link, observer, check, programNoAdapterMessage());

    observer.setStatus(loadingStatus(row));
    const TargetRoutineBlock& routine = *chip.routine;
    for (int k = 0; k < TargetRoutineWords; ++k) {
        const auto word = static_cast<std::size_t>(2 * k);
        const Step step = sendFrame(
            link, writeWordCommand(chip.routineAddress + 2 * k, routine[word + 1], routine[word]));
        if (step != Step::Ok)
            return stepEnded(link, observer, step);
        observer.setProgress(k);
    }

    const int words = row.eepromWords();
    startPhase(observer, Phase::Sending, words - 1);
    observer.setStatus(statusSending());
    for (int i = 0; i < words; ++i) {
        const Step step = sendFrame(link, writeWordCommand(chip.stagingBase + 2 * i,
                                                           imageByte(ctx.image, 2 * i + 1),
                                                           imageByte(ctx.image, 2 * i)));
        if (step != Step::Ok)
            return stepEnded(link, observer, step);
        observer.setProgress(i);
    }

    if (const Step step = sendFrame(link, plainCommand(chip.runCommand, RunPauseMs));
        step != Step::Ok)
        return stepEnded(link, observer, step);

    startPhase(observer, Phase::Writing, ProgramWaitSteps - 2);
    observer.setStatus(statusWriting());
    for (int j = 0; j < ProgramWaitSteps; ++j) {
        if (link.cancelRequested())
            return closeWith(link, TransferResult::Cancelled);
        link.clock.pauseMs(ProgramWaitStepMs);
        if (link.line.broken())
            return lineBroken(link, observer);
        observer.setProgress(j);
    }

    ctx.outcome.programmed = true;
    observer.setStatus(statusDone());
    return closeWith(link, TransferResult::Done);
}

TransferResult ProgramVerifyWorker(TransferContext& ctx)
{
    const TransferResult result = ProgramWorker(ctx);
    if (result != TransferResult::Done)
        return result;
    return VerifyWorker(ctx);
}

TransferResult NotSupportedWorker(TransferContext& ctx)
{
    ctx.observer.showMessage(notSupportedMessage());
    return TransferResult::NotSupported;
}

WorkerRoutine workerFor(const ChipRow& chip, Operation operation)
{
    if (!chipSupported(chip))
        return NotSupportedWorker;
    // In the order of Operation.
    constexpr std::array<WorkerRoutine, 7> routines = {
        ReadWorker,          ProgramWorker,       VerifyWorker,      ProgramVerifyWorker,
        BackupProgramWorker, BackupProgramVerifyWorker, AdapterCheckWorker};
    static_assert(static_cast<std::size_t>(Operation::Check) + 1 == routines.size());
    const auto i = static_cast<std::size_t>(operation);
    return i < routines.size() ? routines[i] : NotSupportedWorker;
}

TransferResult runTransfer(WorkerRoutine routine, TransferContext& ctx)
{
    TransferResult result = TransferResult::Failed;
    QString error;
    try {
        result = routine(ctx);
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = QCoreApplication::translate("link", "nieznany wyjątek");
    }
    if (!error.isNull()) {
        // Where the worker stopped is not known: the line is closed without another frame.
        try {
            ctx.line.close();
        } catch (...) {
        }
        try {
            ctx.observer.showMessage(internalErrorMessage(error));
        } catch (...) {
        }
    }
    ctx.outcome.result = result;
    try {
        ctx.observer.finished(ctx.outcome);
    } catch (...) {
    }
    return result;
}

void requireWholeImage(const TransferContext& ctx)
{
    if (ctx.image.size() != ctx.chip->EepromSize)
        throw std::invalid_argument(
            QCoreApplication::translate("link", "obraz ma %1 bajtów zamiast %2")
                .arg(ctx.image.size())
                .arg(ctx.chip->EepromSize)
                .toStdString());
}

} // namespace kestrel::link

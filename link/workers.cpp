#include "workers.h"

#include "adapter.h"
#include "messages.h"
#include "target_routines.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

namespace kestrel::link {

namespace {

inline constexpr std::uint32_t GaugeYellow = 0x00FFFF;
inline constexpr std::uint32_t GaugeGreen = 0x00FF00;
inline constexpr std::uint32_t GaugeRed = 0x0000FF;
inline constexpr std::uint32_t GaugeBlue = 0xFF0000;

inline constexpr int WaitSteps = 1001;
inline constexpr int WaitStepMs = 20;
inline constexpr int ReadSettleMs = 10;

struct ProgramChip
{
    const TargetRoutineBlock& routine;
    int routineAddress; // R
    int stagingBase;    // S
    int words;          // W
    std::uint8_t runCommand;
    QString firstStatus;
};

struct ReadChip
{
    int firstAddress;
    int words; // N
};

// The closing steps: CMD_END while the line works, close, and the end of the transfer.
TransferResult closeAndFinish(AdapterLink& link, TransferObserver& observer, TransferResult result)
{
    CloseAdapterPort(link);
    observer.finished();
    return result;
}

TransferResult lineBroken(AdapterLink& link, TransferObserver& observer)
{
    CloseAdapterPort(link);
    observer.setStatus(statusBroken());
    observer.showMessage(lineBrokenMessage());
    observer.finished();
    return TransferResult::LineBroken;
}

// Opens the port; on failure shows the port's message and ends the transfer.
bool openPort(AdapterLink& link, TransferContext& ctx, int readTimeoutMs, TransferResult& result)
{
    switch (OpenAdapterPort(link, ctx.portName, readTimeoutMs)) {
    case OpenStatus::Opened:
        if (link.line.broken()) {
            result = lineBroken(link, ctx.observer);
            return false;
        }
        return true;
    case OpenStatus::SpeedUnsupported:
        ctx.observer.showMessage(speedUnsupportedMessage());
        break;
    case OpenStatus::Failed:
        ctx.observer.showMessage(portFailedMessage());
        break;
    }
    ctx.observer.finished();
    result = TransferResult::PortFailed;
    return false;
}

// Ends a transfer whose connection check did not pass.
TransferResult checkFailed(AdapterLink& link, TransferObserver& observer, CheckResult check,
                           const QString& message)
{
    switch (check) {
    case CheckResult::Broken:
        return lineBroken(link, observer);
    case CheckResult::Cancelled:
        return closeAndFinish(link, observer, TransferResult::Cancelled);
    case CheckResult::Failed:
    case CheckResult::Passed:
        break;
    }
    observer.showMessage(message);
    return closeAndFinish(link, observer, TransferResult::NoAdapter);
}

enum class Step
{
    Ok,
    Broken,
    Cancelled,
};

// One frame at a frame boundary: honours a cancel request first.
Step sendFrame(AdapterLink& link, const AdapterCommand& command)
{
    if (link.cancelRequested())
        return Step::Cancelled;
    return SendAdapterCommand(link, command) ? Step::Ok : Step::Broken;
}

TransferResult stepEnded(AdapterLink& link, TransferObserver& observer, Step step)
{
    if (step == Step::Broken)
        return lineBroken(link, observer);
    return closeAndFinish(link, observer, TransferResult::Cancelled);
}

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

TransferResult runRead(TransferContext& ctx, const ReadChip& chip)
{
    TransferObserver& observer = ctx.observer;
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    TransferResult result = TransferResult::PortFailed;
    if (!openPort(link, ctx, ReadReadTimeoutMs, result))
        return result;

    observer.setGaugeColor(GaugeBlue);
    observer.setGaugeProgress(0);
    observer.setGaugeMax(chip.words - 1);
    observer.setStatus(statusReading());

    const CheckResult check = CheckAdapterConnection(link);
    if (check != CheckResult::Passed)
        return checkFailed(link, observer, check, readNoAdapterMessage());

    // The adapter's word replies carry no address: a reply that comes too late for its own
    // request is taken as a later one's, and the reply it displaced stays on the line. The
    // discard before each request drops such stragglers. A dropped reply is first put down to
    // a request still owed one. When replies were dropped, the words taken since while an
    // earlier word's request was owed a reply (each may hold the reply of the word before it),
    // and one word per dropped reply that nothing owed explains, are asked again (the request
    // just sent is then left unread; its reply goes with the next discard). The same
    // check runs after the last word; while replies are owed it waits for them first. Every
    // request of a word, asked again or not, counts against its three tries.
    QByteArray bytes(2 * chip.words, '\0');
    std::vector<int> tries(static_cast<std::size_t>(chip.words), 0);
    int owed = link.checkUnanswered; // requests without a whole reply, less those dropped since
    int taken = 0;                   // words taken one after another by the replies read last
    int suspect = 0;     // the last of those taken while an earlier word's request was owed
    int owedBefore = 0;  // of owed, requests of words before n
    bool newWord = true; // the next request is the first of a visit to word n
    int shown = -1;
    int n = 0;
    const auto stepBack = [&] {
        const int dropped = (link.lastDiscarded + 1) / 2;
        if (dropped == 0)
            return false;
        const int explained = std::min(dropped, owed);
        owed -= explained;
        owedBefore = std::min(owedBefore, owed);
        const int back = std::min(taken, std::max(suspect, dropped - explained));
        if (back == 0)
            return false;
        n -= back;
        taken = 0;
        suspect = 0;
        newWord = true;
        return true;
    };
    for (;;) {
        if (n == chip.words) {
            link.clock.pauseMs(ReadSettleMs);
            discardInput(link, owed > 0 ? WordReadTries * replyDeadlineMs(link.readTimeoutMs) : 0);
            if (!stepBack())
                break;
        }
        const int address = chip.firstAddress + 2 * n;
        if (tries[static_cast<std::size_t>(n)] == WordReadTries) {
            observer.setStatus(statusReadAborted());
            observer.showMessage(readAbortedMessage(address));
            return closeAndFinish(link, observer, TransferResult::ReadAborted);
        }
        if (const Step step = sendFrame(link, readWordCommand(address)); step != Step::Ok)
            return stepEnded(link, observer, step);
        if (stepBack()) {
            ++owed; // the request just sent
            continue;
        }
        if (newWord) {
            newWord = false;
            owedBefore = owed;
        }
        ++tries[static_cast<std::size_t>(n)];
        const ReadResult reply = readReply(link);
        if (reply.broken || link.line.broken())
            return lineBroken(link, observer);
        if (reply.count < 2) {
            ++owed;
            taken = 0;
            suspect = 0;
            continue;
        }
        ++taken;
        suspect = owedBefore > 0 ? suspect + 1 : 0;
        bytes[2 * n] = static_cast<char>(link.ReplyBuffer[1]);
        bytes[2 * n + 1] = static_cast<char>(link.ReplyBuffer[0]);
        if (n > shown) {
            shown = n;
            observer.setGaugeProgress(n);
        }
        ++n;
        newWord = true;
    }

    observer.imageRead(bytes);
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

TransferResult ReadWorkerB32(TransferContext& ctx)
{
    return runRead(ctx, {0x0D00, 384});
}

TransferResult ReadWorkerD60(TransferContext& ctx)
{
    return runRead(ctx, {0x0C00, 512});
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

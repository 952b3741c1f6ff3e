// The read and verify workers: the whole EEPROM, every byte confirmed by two replies.

#include "adapter.h"
#include "confirmed_read.h"
#include "image_compare.h"
#include "messages.h"
#include "worker_steps.h"

#include <QByteArray>

namespace kestrel::link {

namespace {

struct ReadChip
{
    int firstAddress;
    int words; // N
};

ReadChip readChipOf(const ChipRow& chip)
{
    return {chip.EepromBase, chip.eepromWords()};
}

// Open, check and read the whole EEPROM with the status text given. On a failure the transfer
// is ended (message, closing steps) and false returned with its result.
bool readWholeEeprom(TransferContext& ctx, AdapterLink& link, const ReadChip& chip, Phase phase,
                     QByteArray& bytes, TransferResult& result)
{
    TransferObserver& observer = ctx.observer;
    if (!openPort(link, ctx, ReadReadTimeoutMs, result))
        return false;

    startPhase(observer, phase, confirmedReadRequests(chip.words) - 1);
    observer.setStatus(phase == Phase::Verifying ? statusVerifying() : statusReading());

    const CheckResult check = CheckAdapterConnection(link);
    if (check != CheckResult::Passed) {
        result = checkFailed(link, observer, check, readNoAdapterMessage());
        return false;
    }

    const ReadOutcome outcome = readConfirmed(link, observer, chip.firstAddress, chip.words, bytes);
    switch (outcome.end) {
    case ReadEnd::Done:
        return true;
    case ReadEnd::Broken:
        result = lineBroken(link, observer);
        return false;
    case ReadEnd::Cancelled:
        result = closeWith(link, TransferResult::Cancelled);
        return false;
    case ReadEnd::NoReply:
    case ReadEnd::Disturbed: {
        observer.setStatus(statusReadAborted());
        observer.showMessage(outcome.end == ReadEnd::Disturbed
                                 ? readDisturbedMessage(outcome.failedAddress)
                                 : readAbortedMessage(outcome.failedAddress));
        break;
    }
    }
    result = closeWith(link, TransferResult::ReadAborted);
    return false;
}

} // namespace

TransferResult ReadWorker(TransferContext& ctx)
{
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    QByteArray bytes;
    TransferResult result = TransferResult::PortFailed;
    if (!readWholeEeprom(ctx, link, readChipOf(*ctx.chip), Phase::Reading, bytes, result))
        return result;
    ctx.outcome.chipBytes = bytes;
    ctx.observer.imageRead(bytes);
    ctx.observer.setStatus(statusDone());
    return closeWith(link, TransferResult::Done);
}

TransferResult readEeprom(TransferContext& ctx, QByteArray& bytes)
{
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    TransferResult result = TransferResult::PortFailed;
    if (!readWholeEeprom(ctx, link, readChipOf(*ctx.chip), Phase::Reading, bytes, result))
        return result;
    return closeWith(link, TransferResult::Done);
}

TransferResult VerifyWorker(TransferContext& ctx)
{
    requireWholeImage(ctx);
    const ReadChip chip = readChipOf(*ctx.chip);
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    QByteArray bytes;
    TransferResult result = TransferResult::PortFailed;
    if (!readWholeEeprom(ctx, link, chip, Phase::Verifying, bytes, result))
        return result;
    const QByteArray& image = ctx.image;
    const ImageComparison diff = compareImages(bytes, image);
    TransferObserver& observer = ctx.observer;
    if (diff.count == 0) {
        observer.setStatus(statusEqual());
        observer.showMessage(verifyEqualMessage());
        return closeWith(link, TransferResult::Done);
    }
    // Read before the bytes are handed over: the receiver's copy shares them.
    const int first = diff.offsets.front();
    const QString message = verifyDifferentMessage(diff.count, chip.firstAddress + first,
                                                   static_cast<std::uint8_t>(bytes.at(first)),
                                                   static_cast<std::uint8_t>(image.at(first)));
    ctx.outcome.chipBytes = bytes;
    ctx.outcome.differingOffsets = diff.offsets;
    observer.verified(bytes, diff.offsets);
    observer.setStatus(statusDifferent());
    observer.showMessage(message);
    return closeWith(link, TransferResult::Mismatch);
}

} // namespace kestrel::link

// The read and verify workers: the whole EEPROM word by word, trusted only when the line was
// in step throughout.

#include "adapter.h"
#include "image_compare.h"
#include "messages.h"
#include "worker_steps.h"

#include <QByteArray>

#include <algorithm>
#include <vector>

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

// Late replies are awaited this long after a request before the line counts as quiet.
[[nodiscard]] int lateReplyLimitMs(const AdapterLink& link)
{
    return WordReadTries * replyDeadlineMs(link.readTimeoutMs);
}

// Reads and drops whatever comes until no byte has come for quietMs and at least minMs have
// passed. Returns the bytes dropped, or -1 when the line broke.
int dropUntilQuiet(AdapterLink& link, int quietMs, int minMs = 0)
{
    using namespace std::chrono;
    const auto until = link.clock.now() + milliseconds(minMs);
    int dropped = 0;
    std::uint8_t scratch[16];
    for (;;) {
        const auto left = duration_cast<milliseconds>(until - link.clock.now()).count();
        const int waitMs = std::max<int>(quietMs, static_cast<int>(left));
        const ReadResult r = link.line.read(scratch, 1, waitMs);
        if (r.broken || link.line.broken())
            return -1;
        if (r.count == 0 && link.clock.now() >= until)
            return dropped;
        dropped += r.count;
    }
}

enum class ReadEnd
{
    Done,
    NoReply,   // a word's three tries went without a whole reply
    Disturbed, // a word's tries were used up by replies that came out of step
    Broken,
    Cancelled,
};

// The word loop. The adapter's replies carry no address, so a reply counts only when both of
// its bytes came within the deadline of a request whose discard found the line empty. Any sign
// that the line was out of step (a reply that did not come whole, a discard that found bytes,
// a byte after the last word) is handled alike: whatever comes is dropped until the line has
// been quiet for a whole reply deadline and late replies can no longer come, and the words
// taken since the first such sign are asked again. Before the first sign no reply can have
// been out of step: every straggler starts with a reply that did not come whole. Every request
// counts against its word's three tries. The image is handed over only after the line was
// quiet for a whole deadline after the last word.
ReadEnd readWords(AdapterLink& link, TransferObserver& observer, const ReadChip& chip,
                  QByteArray& bytes, int& failedWord)
{
    const int deadlineMs = replyDeadlineMs(link.readTimeoutMs);
    bytes = QByteArray(2 * chip.words, '\0');
    std::vector<int> tries(static_cast<std::size_t>(chip.words), 0);
    std::vector<bool> answered(static_cast<std::size_t>(chip.words), false);
    int suspectFrom = chip.words; // words from here on are asked again after a sign
    int shown = -1;
    int n = 0;
    // After a sign at word n: the line made quiet, and the words to ask again.
    const auto outOfStep = [&] {
        if (dropUntilQuiet(link, deadlineMs, lateReplyLimitMs(link)) < 0)
            return false;
        suspectFrom = std::min(suspectFrom, n);
        n = suspectFrom;
        return true;
    };
    // Replies owed by the connection check may still come.
    if (link.checkUnanswered > 0) {
        if (dropUntilQuiet(link, deadlineMs, lateReplyLimitMs(link)) < 0)
            return ReadEnd::Broken;
        suspectFrom = 0;
    }
    for (;;) {
        if (n == chip.words) {
            const int dropped = dropUntilQuiet(link, deadlineMs);
            if (dropped < 0)
                return ReadEnd::Broken;
            if (dropped == 0)
                return ReadEnd::Done;
            if (!outOfStep())
                return ReadEnd::Broken;
            continue;
        }
        const auto word = static_cast<std::size_t>(n);
        if (tries[word] == WordReadTries) {
            failedWord = n;
            return answered[word] ? ReadEnd::Disturbed : ReadEnd::NoReply;
        }
        if (const Step step = sendFrame(link, readWordCommand(chip.firstAddress + 2 * n));
            step != Step::Ok)
            return step == Step::Broken ? ReadEnd::Broken : ReadEnd::Cancelled;
        ++tries[word];
        if (link.lastDiscarded > 0) {
            if (!outOfStep())
                return ReadEnd::Broken;
            continue;
        }
        const ReadResult reply = readReply(link);
        if (reply.broken || link.line.broken())
            return ReadEnd::Broken;
        if (reply.count < 2) {
            if (!outOfStep())
                return ReadEnd::Broken;
            continue;
        }
        answered[word] = true;
        bytes[2 * n] = static_cast<char>(link.ReplyBuffer[1]);
        bytes[2 * n + 1] = static_cast<char>(link.ReplyBuffer[0]);
        if (n > shown) {
            shown = n;
            observer.setProgress(n);
        }
        ++n;
    }
}

// Open, check and read the whole EEPROM with the status text given. On a failure the transfer
// is ended (message, closing steps) and false returned with its result.
bool readWholeEeprom(TransferContext& ctx, AdapterLink& link, const ReadChip& chip, Phase phase,
                     QByteArray& bytes, TransferResult& result)
{
    TransferObserver& observer = ctx.observer;
    if (!openPort(link, ctx, ReadReadTimeoutMs, result))
        return false;

    startPhase(observer, phase, chip.words - 1);
    observer.setStatus(phase == Phase::Verifying ? statusVerifying() : statusReading());

    const CheckResult check = CheckAdapterConnection(link);
    if (check != CheckResult::Passed) {
        result = checkFailed(link, observer, check, readNoAdapterMessage());
        return false;
    }

    int failedWord = 0;
    const ReadEnd end = readWords(link, observer, chip, bytes, failedWord);
    switch (end) {
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
        const int address = chip.firstAddress + 2 * failedWord;
        observer.setStatus(statusReadAborted());
        observer.showMessage(end == ReadEnd::Disturbed ? readDisturbedMessage(address)
                                                       : readAbortedMessage(address));
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
    const ReadChip chip = readChipOf(*ctx.chip);
    AdapterLink link{ctx.line, ctx.clock, ctx.cancel};
    QByteArray bytes;
    TransferResult result = TransferResult::PortFailed;
    if (!readWholeEeprom(ctx, link, chip, Phase::Verifying, bytes, result))
        return result;
    QByteArray image(bytes.size(), '\0');
    for (qsizetype k = 0; k < image.size(); ++k)
        image[k] = static_cast<char>(ctx.image[static_cast<std::size_t>(k + 1)] & 0xFF);
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
    observer.verified(bytes, diff.offsets);
    observer.setStatus(statusDifferent());
    observer.showMessage(message);
    return closeWith(link, TransferResult::Mismatch);
}

} // namespace kestrel::link

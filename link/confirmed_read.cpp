#include "confirmed_read.h"

#include "worker_steps.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <vector>

namespace kestrel::link {

namespace {

using Reply = std::array<std::uint8_t, 2>;

// Rounds of asking again the words whose bytes disagree.
constexpr int ConfirmRounds = 3;

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

[[nodiscard]] ReadEnd endOf(Step step)
{
    switch (step) {
    case Step::Ok:
        return ReadEnd::Done;
    case Step::Broken:
        return ReadEnd::Broken;
    case Step::Cancelled:
        break;
    }
    return ReadEnd::Cancelled;
}

// One request of the read: an address and the reply taken for it.
struct Request
{
    int address = 0;
    Reply reply{};
};

class WordReader
{
public:
    WordReader(AdapterLink& link, TransferObserver& observer, int requests)
        : link_(link), observer_(observer), deadlineMs_(replyDeadlineMs(link.readTimeoutMs)),
          lastStep_(requests - 1)
    {
    }

    // Asks for one word until a whole reply came on a quiet line, three requests at most.
    [[nodiscard]] ReadEnd ask(Request& request)
    {
        bool heard = false; // some byte came that was not a whole reply
        for (int tries = 0; tries < WordReadTries; ++tries) {
            if (const Step step = sendFrame(link_, readWordCommand(request.address));
                step != Step::Ok)
                return endOf(step);
            ReadResult reply{};
            if (link_.lastDiscarded == 0) {
                reply = readReply(link_);
                if (reply.broken || link_.line.broken())
                    return ReadEnd::Broken;
                if (reply.count >= 2) {
                    request.reply = link_.ReplyBuffer;
                    advance();
                    return ReadEnd::Done;
                }
            }
            heard = heard || link_.lastDiscarded > 0 || reply.count > 0;
            if (const ReadEnd end = recover(); end != ReadEnd::Done)
                return end;
        }
        return heard ? ReadEnd::Disturbed : ReadEnd::NoReply;
    }

    // After a sign of trouble: a status query pushes out any byte the adapter still holds, then
    // everything is dropped until the line is quiet and late replies can no longer come.
    [[nodiscard]] ReadEnd recover()
    {
        if (const Step step = sendFrame(link_, ReadStatusCommand); step != Step::Ok)
            return endOf(step);
        return drain(lateReplyLimitMs(link_)) < 0 ? ReadEnd::Broken : ReadEnd::Done;
    }

    // Bytes that came until the line was quiet for a whole reply deadline; -1: broken.
    [[nodiscard]] int drain(int minMs = 0) { return dropUntilQuiet(link_, deadlineMs_, minMs); }

private:
    // Words asked again after a disagreement keep the gauge at its end.
    void advance()
    {
        ++taken_;
        if (taken_ - 1 > shown_ && taken_ - 1 <= lastStep_) {
            shown_ = taken_ - 1;
            observer_.setProgress(shown_);
        }
    }

    AdapterLink& link_;
    TransferObserver& observer_;
    int deadlineMs_;
    int lastStep_;
    int taken_ = 0;
    int shown_ = -1;
};

// The two readings of byte k (from firstAddress): in the even word k / 2 and in the odd word
// (k + 1) / 2, where the byte at address A + 1 comes first.
struct ByteReadings
{
    std::size_t even;
    std::size_t odd;
    std::uint8_t fromEven;
    std::uint8_t fromOdd;
};

ByteReadings readingsOf(const std::vector<Request>& even, const std::vector<Request>& odd,
                        std::size_t k)
{
    const std::size_t e = k / 2;
    const std::size_t o = (k + 1) / 2;
    const bool low = k % 2 == 0; // the even address of its word
    return {e, o, even[e].reply[low ? 1 : 0], odd[o].reply[low ? 0 : 1]};
}

} // namespace

ReadOutcome readConfirmed(AdapterLink& link, TransferObserver& observer, int firstAddress,
                          int words, QByteArray& bytes)
{
    WordReader reader(link, observer, confirmedReadRequests(words));
    // Replies owed by the connection check may still come.
    if (link.checkUnanswered > 0 && reader.drain(lateReplyLimitMs(link)) < 0)
        return {ReadEnd::Broken};

    const auto n = static_cast<std::size_t>(words);
    std::vector<Request> even(n);
    std::vector<Request> odd(n + 1);
    std::vector<Request*> pending;
    for (std::size_t i = 0; i < n; ++i) {
        even[i].address = firstAddress + 2 * static_cast<int>(i);
        pending.push_back(&even[i]);
    }
    for (std::size_t j = 0; j <= n; ++j) {
        odd[j].address = firstAddress - 1 + 2 * static_cast<int>(j);
        pending.push_back(&odd[j]);
    }

    int failedAddress = firstAddress;
    for (int round = 0; round < ConfirmRounds; ++round) {
        for (Request* request : pending) {
            if (const ReadEnd end = reader.ask(*request); end != ReadEnd::Done)
                return {end, request->address};
        }
        // A byte after the last reply: that reply may have been out of step.
        const int late = reader.drain();
        if (late < 0)
            return {ReadEnd::Broken};
        Request* last = pending.back();
        pending.clear();
        if (late > 0) {
            if (const ReadEnd end = reader.recover(); end != ReadEnd::Done)
                return {end};
            pending.push_back(last);
            failedAddress = last->address;
        }
        bool disagreed = false;
        for (std::size_t k = 0; k < 2 * n; ++k) {
            const ByteReadings r = readingsOf(even, odd, k);
            if (r.fromEven == r.fromOdd)
                continue;
            if (!disagreed)
                failedAddress = even[r.even].address;
            disagreed = true;
            for (Request* request : {&even[r.even], &odd[r.odd]})
                if (std::find(pending.begin(), pending.end(), request) == pending.end())
                    pending.push_back(request);
        }
        if (pending.empty()) {
            bytes = QByteArray(2 * words, '\0');
            for (std::size_t k = 0; k < 2 * n; ++k)
                bytes[static_cast<qsizetype>(k)] =
                    static_cast<char>(readingsOf(even, odd, k).fromEven);
            return {ReadEnd::Done};
        }
    }
    return {ReadEnd::Disturbed, failedAddress};
}

} // namespace kestrel::link

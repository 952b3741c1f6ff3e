#include "adapter_check.h"

#include "adapter.h"
#include "messages.h"
#include "port_access.h"
#include "worker_steps.h"

#include <QByteArray>

#include <algorithm>
#include <chrono>

namespace kestrel::link {

namespace {

double msSince(const Clock& clock, std::chrono::microseconds since)
{
    return static_cast<double>((clock.now() - since).count()) / 1000.0;
}

// The line as the check sees it: every byte sent and received, and each reply read (a read of
// two bytes right after a whole frame) with its delay after the frame's last byte.
class RecordingLine final : public SerialLine
{
public:
    RecordingLine(SerialLine& inner, Clock& clock) : inner_(inner), clock_(clock) {}

    [[nodiscard]] OpenStatus open(const QString& portName, int readTimeoutMs) override
    {
        return inner_.open(portName, readTimeoutMs);
    }
    [[nodiscard]] bool sendByte(std::uint8_t byte) override
    {
        sent.append(static_cast<char>(byte));
        lastSentAt_ = clock_.now();
        return inner_.sendByte(byte);
    }
    [[nodiscard]] ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override
    {
        const ReadResult r = inner_.read(buffer, maxBytes, timeoutMs);
        received.append(reinterpret_cast<const char*>(buffer), r.count);
        if (maxBytes == 2 && sent.size() % 5 == 0 && !sent.isEmpty())
            replies.push_back({QByteArray(reinterpret_cast<const char*>(buffer), r.count),
                               msSince(clock_, lastSentAt_)});
        return r;
    }
    void close() override { inner_.close(); }
    [[nodiscard]] bool broken() const override { return inner_.broken(); }
    [[nodiscard]] std::optional<unsigned> reportedSpeed() const override
    {
        return inner_.reportedSpeed();
    }

    QByteArray sent;
    QByteArray received;
    std::vector<CheckReply> replies;

private:
    SerialLine& inner_;
    Clock& clock_;
    std::chrono::microseconds lastSentAt_{0};
};

bool whole(const CheckReply& r)
{
    return r.bytes.size() == 2;
}

// The longest delay of a whole reply, for the late-reply diagnosis.
double longestDelay(const std::vector<CheckReply>& replies)
{
    double longest = 0.0;
    for (const CheckReply& r : replies)
        if (whole(r))
            longest = std::max(longest, r.delayMs);
    return longest;
}

CheckDiagnosis diagnoseLine(const AdapterCheckReport& report, const RecordingLine& line)
{
    if (line.received.isEmpty())
        return CheckDiagnosis::NoBytes;
    if (line.received.size() >= 5 && line.sent.startsWith(line.received))
        return CheckDiagnosis::Echo;
    const auto& status = report.statusReplies;
    const auto answered = std::find_if(status.begin(), status.end(), [](const CheckReply& r) {
        return whole(r) && static_cast<std::uint8_t>(r.bytes.at(0)) != StatusReady;
    });
    const int deadline = replyDeadlineMs(ReadReadTimeoutMs);
    if (!report.ready)
        return answered != status.end() ? CheckDiagnosis::NotReady : CheckDiagnosis::LateReplies;
    if (longestDelay(report.words) > deadline)
        return CheckDiagnosis::LateReplies;
    const bool shortStatus = std::any_of(status.begin(), status.end(),
                                         [](const CheckReply& r) { return !whole(r); });
    if (shortStatus || report.words.size() != 2 || !whole(report.words[0]) ||
        !whole(report.words[1]) || report.words[0].bytes != report.words[1].bytes)
        return CheckDiagnosis::Unreliable;
    return CheckDiagnosis::Ready;
}

TransferResult resultOf(CheckDiagnosis diagnosis)
{
    switch (diagnosis) {
    case CheckDiagnosis::Ready:
        return TransferResult::Done;
    case CheckDiagnosis::PortFailed:
    case CheckDiagnosis::NoPermission:
    case CheckDiagnosis::SpeedRefused:
        return TransferResult::PortFailed;
    case CheckDiagnosis::LineBroken:
        return TransferResult::LineBroken;
    case CheckDiagnosis::Cancelled:
        return TransferResult::Cancelled;
    default:
        return TransferResult::NoAdapter;
    }
}

// The port's own diagnosis when it did not open.
CheckDiagnosis portFailure(const AdapterCheckReport& report)
{
    switch (report.open) {
    case OpenStatus::SpeedUnsupported:
        return CheckDiagnosis::SpeedRefused;
    case OpenStatus::PermissionDenied:
        return CheckDiagnosis::NoPermission;
    case OpenStatus::Failed:
    case OpenStatus::Opened:
        break;
    }
    return CheckDiagnosis::PortFailed;
}

// The two reads of the chip's first EEPROM word, each awaited CheckWordWaitMs.
Step readFirstWordTwice(AdapterLink& link, int address)
{
    for (int k = 0; k < 2; ++k) {
        if (const Step step = sendFrame(link, readWordCommand(address)); step != Step::Ok)
            return step;
        if (readReply(link, CheckWordWaitMs).broken || link.line.broken())
            return Step::Broken;
    }
    return Step::Ok;
}

} // namespace

TransferResult runAdapterCheck(TransferContext& ctx, AdapterCheckReport& report)
{
    RecordingLine line(ctx.line, ctx.clock);
    AdapterLink link{line, ctx.clock, ctx.cancel};
    report = {};
    report.device = portDeviceName(ctx.portName);
    report.wordAddress = ctx.chip->EepromBase;
    report.open = OpenAdapterPort(link, ctx.portName, ReadReadTimeoutMs);
    report.speed = ctx.line.reportedSpeed();
    if (report.open != OpenStatus::Opened) {
        report.diagnosis = portFailure(report);
        return resultOf(report.diagnosis);
    }
    CheckResult check = link.line.broken() ? CheckResult::Broken : CheckAdapterConnection(link);
    report.statusReplies = line.replies;
    report.ready = check == CheckResult::Passed;
    if (report.ready) {
        const Step step = readFirstWordTwice(link, report.wordAddress);
        if (step != Step::Ok)
            check = step == Step::Broken ? CheckResult::Broken : CheckResult::Cancelled;
        report.words.assign(line.replies.begin() + static_cast<std::ptrdiff_t>(
                                                       report.statusReplies.size()),
                            line.replies.end());
    }
    CloseAdapterPort(link);
    report.bytesSent = static_cast<int>(line.sent.size());
    report.bytesReceived = static_cast<int>(line.received.size());
    if (check == CheckResult::Broken)
        report.diagnosis = CheckDiagnosis::LineBroken;
    else if (check == CheckResult::Cancelled)
        report.diagnosis = CheckDiagnosis::Cancelled;
    else
        report.diagnosis = diagnoseLine(report, line);
    return resultOf(report.diagnosis);
}

TransferResult AdapterCheckWorker(TransferContext& ctx)
{
    ctx.observer.setStatus(checkStatus());
    AdapterCheckReport report;
    const TransferResult result = runAdapterCheck(ctx, report);
    ctx.observer.setStatus(result == TransferResult::Done ? statusDone() : checkFailedStatus());
    ctx.observer.showMessage(reportLines(report).join(u'\n'));
    return result;
}

} // namespace kestrel::link

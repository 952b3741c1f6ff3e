#include "adapter.h"

namespace kestrel::link {

QString portDeviceName(const QString& selection)
{
    const QString name = selection.trimmed();
#if defined(Q_OS_LINUX)
    // "com1", "Com2": the same ports, as on Windows.
    if (name.compare(QLatin1String("COM1"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("/dev/ttyS0");
    if (name.compare(QLatin1String("COM2"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("/dev/ttyS1");
#endif
    return name;
}

bool SendAdapterCommand(AdapterLink& link, const AdapterCommand& command)
{
    link.lastDiscarded = 0;
    for (std::size_t i = 0; i < command.bytes.size(); ++i) {
        const bool last = i + 1 == command.bytes.size();
        if (command.awaitsReply && last)
            discardInput(link);
        if (!link.line.sendByte(command.bytes[i]))
            return false;
        link.clock.pauseMs(i + 1 < command.bytes.size() ? BytePauseMs : command.pauseMs);
    }
    return !link.line.broken();
}

ReadResult readReply(AdapterLink& link)
{
    return readReply(link, replyDeadlineMs(link.readTimeoutMs));
}

ReadResult readReply(AdapterLink& link, int deadlineMs)
{
    return link.line.read(link.ReplyBuffer.data(), static_cast<int>(link.ReplyBuffer.size()),
                          deadlineMs);
}

void discardInput(AdapterLink& link, int waitMs)
{
    std::array<std::uint8_t, 16> scratch{};
    link.lastDiscarded = 0;
    for (;;) {
        const ReadResult r =
            link.line.read(scratch.data(), static_cast<int>(scratch.size()), waitMs);
        waitMs = 0;
        if (r.count > 0)
            link.lastDiscarded += r.count;
        if (r.broken || r.count <= 0)
            return;
    }
}

OpenStatus OpenAdapterPort(AdapterLink& link, const QString& selection, int readTimeoutMs)
{
    link.PortName = portDeviceName(selection);
    link.readTimeoutMs = readTimeoutMs;
    link.opened = false;
    if (link.PortName.isEmpty())
        return OpenStatus::Failed;
    const OpenStatus status = link.line.open(link.PortName, readTimeoutMs);
    if (status != OpenStatus::Opened)
        return status;
    link.opened = true;
    link.clock.pauseMs(SettlePauseMs);
    // A broken line shows in link.line.broken(); the caller decides.
    (void)SendAdapterCommand(link, BeginCommand);
    return OpenStatus::Opened;
}

CheckResult CheckAdapterConnection(AdapterLink& link)
{
    link.checkUnanswered = 0;
    for (int tries = 0; tries < ConnectionTries; ++tries) {
        if (link.cancelRequested())
            return CheckResult::Cancelled;
        if (!SendAdapterCommand(link, PrepareCommand))
            return CheckResult::Broken;
        if (link.cancelRequested())
            return CheckResult::Cancelled;
        if (!SendAdapterCommand(link, ReadStatusCommand))
            return CheckResult::Broken;
        const ReadResult reply = readReply(link, statusReplyDeadlineMs(link.readTimeoutMs));
        if (reply.broken || link.line.broken())
            return CheckResult::Broken;
        if (reply.count < 2)
            ++link.checkUnanswered;
        else if (link.ReplyBuffer[0] == StatusReady)
            return CheckResult::Passed;
    }
    return CheckResult::Failed;
}

void CloseAdapterPort(AdapterLink& link)
{
    if (!link.opened)
        return;
    if (!link.line.broken())
        (void)SendAdapterCommand(link, EndCommand);
    link.line.close();
    link.opened = false;
}

} // namespace kestrel::link

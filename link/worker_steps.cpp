#include "worker_steps.h"

#include "messages.h"

namespace kestrel::link {

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

} // namespace kestrel::link

#include "worker_steps.h"

#include "messages.h"
#include "port_access.h"

namespace kestrel::link {

TransferResult closeWith(AdapterLink& link, TransferResult result)
{
    CloseAdapterPort(link);
    return result;
}

void startPhase(TransferObserver& observer, Phase phase, int maxStep)
{
    observer.startPhase(phase);
    observer.setProgress(0);
    observer.setProgressMax(maxStep);
}

TransferResult lineBroken(AdapterLink& link, TransferObserver& observer)
{
    CloseAdapterPort(link);
    observer.setStatus(statusBroken());
    observer.showMessage(lineBrokenMessage());
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
        ctx.observer.showMessage(speedUnsupportedMessage(link.line.reportedSpeed().value_or(0)));
        break;
    case OpenStatus::Failed:
        ctx.observer.showMessage(portFailedMessage());
        break;
    case OpenStatus::PermissionDenied:
        ctx.observer.showMessage(permissionDeniedMessageFor(link.PortName));
        break;
    }
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
        return closeWith(link, TransferResult::Cancelled);
    case CheckResult::Failed:
    case CheckResult::Passed:
        break;
    }
    observer.showMessage(message);
    return closeWith(link, TransferResult::NoAdapter);
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
    return closeWith(link, TransferResult::Cancelled);
}

} // namespace kestrel::link

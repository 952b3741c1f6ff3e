#pragma once

#include "adapter.h"
#include "workers.h"

namespace kestrel::link {

// Steps every transfer worker shares.

// The closing steps: CMD_END while the line works, then close. Returns result.
TransferResult closeWith(AdapterLink& link, TransferResult result);
TransferResult lineBroken(AdapterLink& link, TransferObserver& observer);
// Starts a phase of the gauge: its steps 0..maxStep, at 0.
void startPhase(TransferObserver& observer, Phase phase, int maxStep);
// Opens the port; on failure shows the port's message.
[[nodiscard]] bool openPort(AdapterLink& link, TransferContext& ctx, int readTimeoutMs,
                            TransferResult& result);
// Closes a transfer whose connection check did not pass.
TransferResult checkFailed(AdapterLink& link, TransferObserver& observer, CheckResult check,
                           const QString& message);

enum class Step
{
    Ok,
    Broken,
    Cancelled,
};

// One frame at a frame boundary: honours a cancel request first.
[[nodiscard]] Step sendFrame(AdapterLink& link, const AdapterCommand& command);
TransferResult stepEnded(AdapterLink& link, TransferObserver& observer, Step step);

} // namespace kestrel::link

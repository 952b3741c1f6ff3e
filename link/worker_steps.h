#pragma once

#include "adapter.h"
#include "workers.h"

namespace kestrel::link {

// Steps every transfer worker shares.

inline constexpr std::uint32_t GaugeYellow = 0x00FFFF;
inline constexpr std::uint32_t GaugeGreen = 0x00FF00;
inline constexpr std::uint32_t GaugeRed = 0x0000FF;
inline constexpr std::uint32_t GaugeBlue = 0xFF0000;

// The closing steps: CMD_END while the line works, close, and the end of the transfer.
TransferResult closeAndFinish(AdapterLink& link, TransferObserver& observer, TransferResult result);
TransferResult lineBroken(AdapterLink& link, TransferObserver& observer);
// Opens the port; on failure shows the port's message and ends the transfer.
[[nodiscard]] bool openPort(AdapterLink& link, TransferContext& ctx, int readTimeoutMs,
                            TransferResult& result);
// Ends a transfer whose connection check did not pass.
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

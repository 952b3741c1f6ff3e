#pragma once

// The workers of each chip the sequences serve, each run as a whole transfer (finished() last),
// as the window and the command line run them.

#include "workers.h"

namespace kestrel::link {

inline TransferResult runOnChip(const char* chipName, WorkerRoutine worker, TransferContext& ctx)
{
    ctx.chip = chipRecord(chipName);
    return runTransfer(worker, ctx);
}

inline TransferResult ProgramWorkerB32(TransferContext& ctx)
{
    return runOnChip("68HC12B32", ProgramWorker, ctx);
}
inline TransferResult ProgramWorkerD60(TransferContext& ctx)
{
    return runOnChip("68HC12D60", ProgramWorker, ctx);
}
inline TransferResult ReadWorkerB32(TransferContext& ctx)
{
    return runOnChip("68HC12B32", ReadWorker, ctx);
}
inline TransferResult ReadWorkerD60(TransferContext& ctx)
{
    return runOnChip("68HC12D60", ReadWorker, ctx);
}
inline TransferResult VerifyWorkerB32(TransferContext& ctx)
{
    return runOnChip("68HC12B32", VerifyWorker, ctx);
}
inline TransferResult VerifyWorkerD60(TransferContext& ctx)
{
    return runOnChip("68HC12D60", VerifyWorker, ctx);
}
inline TransferResult ProgramVerifyWorkerB32(TransferContext& ctx)
{
    return runOnChip("68HC12B32", ProgramVerifyWorker, ctx);
}
inline TransferResult ProgramVerifyWorkerD60(TransferContext& ctx)
{
    return runOnChip("68HC12D60", ProgramVerifyWorker, ctx);
}

} // namespace kestrel::link

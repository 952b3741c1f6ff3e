#pragma once

// The workers of each chip the sequences serve, each run as a whole transfer (finished last),
// as the window and the command line run them.

#include "workers.h"

namespace kestrel::link {

inline constexpr char ChipNameB32[] = "68HC12B32";
inline constexpr char ChipNameD60[] = "68HC12D60";

// Worker on the chip of that name, as a WorkerRoutine of its own. A test's image may cover every
// chip: the chip's EEPROM is its first bytes, zeros where it is shorter.
template <WorkerRoutine Worker, const char* Chip> TransferResult onChip(TransferContext& ctx)
{
    ctx.chip = chipRecord(Chip);
    ctx.image = ctx.image.leftJustified(ctx.chip->EepromSize, '\0', true);
    return runTransfer(Worker, ctx);
}

using WorkerFunction = TransferResult(TransferContext&);
inline constexpr WorkerFunction& ProgramWorkerB32 = onChip<ProgramWorker, ChipNameB32>;
inline constexpr WorkerFunction& ProgramWorkerD60 = onChip<ProgramWorker, ChipNameD60>;
inline constexpr WorkerFunction& ReadWorkerB32 = onChip<ReadWorker, ChipNameB32>;
inline constexpr WorkerFunction& ReadWorkerD60 = onChip<ReadWorker, ChipNameD60>;
inline constexpr WorkerFunction& VerifyWorkerB32 = onChip<VerifyWorker, ChipNameB32>;
inline constexpr WorkerFunction& VerifyWorkerD60 = onChip<VerifyWorker, ChipNameD60>;
inline constexpr WorkerFunction& ProgramVerifyWorkerB32 = onChip<ProgramVerifyWorker, ChipNameB32>;
inline constexpr WorkerFunction& ProgramVerifyWorkerD60 = onChip<ProgramVerifyWorker, ChipNameD60>;

} // namespace kestrel::link

#pragma once

#include "workers.h"

#include <array>

namespace kestrel {

// One chip of the chip selector: the image's shape and the routines that serve it.
struct ChipRow
{
    const char* name;
    int EepromSize; // bytes, a multiple of 16
    int EepromBase; // address of entry 1, labels the first row
    link::WorkerRoutine programWorker;
    link::WorkerRoutine readWorker;
    link::WorkerRoutine verifyWorker;
    link::WorkerRoutine programVerifyWorker; // program, then verify when programming succeeded
};

inline constexpr int ChipCount = 10;
// Index of the 68HC05, whose first byte the hex grid draws in red.
inline constexpr int Chip68HC05 = 4;

// The chip catalogue, in the selector's list order.
extern const std::array<ChipRow, ChipCount> ChipTable;

} // namespace kestrel

#pragma once

#include "workers.h"

#include <QStringView>

#include <array>

namespace kestrel::link {

// One chip of the catalogue: the image's shape and the routines that serve it.
struct ChipRow
{
    const char* name;
    int EepromSize; // bytes, a multiple of 16
    int EepromBase; // address of entry 1, labels the first row
    WorkerRoutine programWorker;
    WorkerRoutine readWorker;
    WorkerRoutine verifyWorker;
    WorkerRoutine programVerifyWorker; // program, then verify
};

inline constexpr int ChipCount = 10;

// The chip catalogue, in the chip selector's list order.
extern const std::array<ChipRow, ChipCount> ChipTable;

// The row of the chip with exactly that name, or nullptr.
[[nodiscard]] const ChipRow* findChip(QStringView name);

// True when this version reads and programs the chip (it has workers of its own).
[[nodiscard]] bool chipSupported(const ChipRow& chip);

} // namespace kestrel::link

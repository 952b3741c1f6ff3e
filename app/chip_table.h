#pragma once

#include "chip_catalogue.h"

namespace kestrel {

// The chip catalogue lives in the link library, shared with the command line tool.
using link::ChipCount;
using link::ChipRow;
using link::ChipTable;

// Index of the 68HC05, whose first byte the hex grid draws in red.
inline constexpr int Chip68HC05 = 4;

} // namespace kestrel

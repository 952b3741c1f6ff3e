#pragma once

#include "chip_records.h"

#include <QString>
#include <QStringView>

namespace kestrel::link {

// The row of the chip with exactly that name, or nullptr.
[[nodiscard]] const ChipRow* findChip(QStringView name);

// The status shown while the chip's target routine is sent.
[[nodiscard]] inline QString loadingStatus(const ChipRow& chip)
{
    return QString::fromUtf8(chip.programming.loadingStatus);
}

} // namespace kestrel::link

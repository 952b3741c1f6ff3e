#pragma once

#include "chip_records.h"

#include <QCoreApplication>
#include <QString>
#include <QStringView>

namespace kestrel::link {

// The row of the chip with exactly that name, or nullptr.
[[nodiscard]] const ChipRow* findChip(QStringView name);

// The status shown while the chip's target routine is sent.
[[nodiscard]] inline QString loadingStatus(const ChipRow& chip)
{
    return QCoreApplication::translate("link", chip.programming.loadingStatus);
}

} // namespace kestrel::link

#include "chip_catalogue.h"

namespace kestrel::link {

const ChipRow* findChip(QStringView name)
{
    for (const ChipRow& chip : ChipTable) {
        if (name == QLatin1String(chip.name))
            return &chip;
    }
    return nullptr;
}

} // namespace kestrel::link

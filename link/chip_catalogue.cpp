#include "chip_catalogue.h"

namespace kestrel::link {

const std::array<ChipRow, ChipCount> ChipTable = {{
    {"68HCP11E1VFN", 512, 0xB600, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC11E9", 512, 0xB600, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HCP11A1", 512, 0xB600, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC11K4", 640, 0x0D80, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC05", 256, 0x0100, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC08AB32", 512, 0x0800, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC08AS20", 512, 0x0800, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC908AS60", 1024, 0x0600, NotSupportedWorker, NotSupportedWorker, NotSupportedWorker,
     NotSupportedWorker},
    {"68HC12B32", 768, 0x0D00, ProgramWorkerB32, ReadWorkerB32, VerifyWorkerB32,
     ProgramVerifyWorkerB32},
    {"68HC12D60", 1024, 0x0C00, ProgramWorkerD60, ReadWorkerD60, VerifyWorkerD60,
     ProgramVerifyWorkerD60},
}};

const ChipRow* findChip(QStringView name)
{
    for (const ChipRow& chip : ChipTable) {
        if (name == QLatin1String(chip.name))
            return &chip;
    }
    return nullptr;
}

bool chipSupported(const ChipRow& chip)
{
    return chip.readWorker != NotSupportedWorker && chip.programWorker != NotSupportedWorker;
}

} // namespace kestrel::link

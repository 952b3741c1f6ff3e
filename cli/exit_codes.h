#pragma once

#include "workers.h"

#include <QString>

namespace kestrel::cli {

// The tool's exit codes. With several ports the run ends with the highest code of any port.
enum ExitCode : int
{
    ExitOk = 0,           // done; verify: the chip equals the file
    ExitUsage = 1,        // unknown option, chip or format; missing FILE
    ExitFile = 2,         // the file (or a backup) cannot be read, parsed or written
    ExitPort = 3,         // the port cannot be opened (missing, busy, no permission) or
                          // refuses 12800 baud
    ExitNoAdapter = 4,    // the connection check failed
    ExitTransfer = 5,     // read aborted, line lost, interrupted by a signal
    ExitDifferent = 6,    // verify found differences
    ExitNotSupported = 7, // this version does not serve the chip
};

[[nodiscard]] int exitCodeFor(link::TransferResult result);

// The word for a port's outcome in the summary and the JSON output.
[[nodiscard]] QString resultWord(link::TransferResult result);

} // namespace kestrel::cli

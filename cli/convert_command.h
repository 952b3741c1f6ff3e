#pragma once

#include "cli_options.h"
#include "progress.h"

class QIODevice;

namespace kestrel::cli {

// kestrel-cli convert: reads any image file the chip's EEPROM takes and writes it in the format
// that --format or the output's extension names. Exit code 0, or 2 for a file that cannot be
// read or written.
[[nodiscard]] int convertImage(const CliRequest& request, QIODevice& standardInput,
                               QIODevice& standardOutput, Console& console);

} // namespace kestrel::cli

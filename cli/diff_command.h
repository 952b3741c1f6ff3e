#pragma once

#include "cli_options.h"
#include "progress.h"

class QIODevice;

namespace kestrel::cli {

// kestrel-cli diff: compares two image files of one chip byte by byte. Prints a line per
// differing byte ("0D10  5A  FF": address, the byte in the first file, in the second) or, with
// --json, one object with the count and the list; --quiet prints none of it. Exit code 0 when
// equal, 6 when different, 2 for a file that cannot be read.
[[nodiscard]] int diffImages(const CliRequest& request, QIODevice& standardInput,
                             QIODevice& standardOutput, Console& console);

} // namespace kestrel::cli

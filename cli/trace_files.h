#pragma once

#include "trace_output.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kestrel::cli {

struct CliRequest;

// What `--trace FILE` writes: one trace per port, named as --backup names its files.

// Why the request's --trace cannot be used, or empty: only with read, program, verify and check;
// "-" (standard error) for one port only; with several ports FILE must hold "{port}"; no two
// ports' traces in one file.
[[nodiscard]] QString traceUsageError(const CliRequest& request);

// One writer per port for the request's --trace (none without it), each file created now, before
// any chip is touched. On failure the message for "kestrel-cli: ..." and no writers.
[[nodiscard]] QString openTraceWriters(const CliRequest& request,
                                       std::vector<std::unique_ptr<link::TraceFileWriter>>& out);

} // namespace kestrel::cli

#pragma once

#include "sim_options.h"

namespace kestrel::sim {

// kestrel-sim's serving: the simulated adapter on a pseudo-terminal (and the link to it) until
// SIGINT or SIGTERM, or a hang-up fault; then the files asked for and the summary. Returns the
// exit code; errors go to standard error.
[[nodiscard]] int serveAdapter(const SimOptions& options);

} // namespace kestrel::sim

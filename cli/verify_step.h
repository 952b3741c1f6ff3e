#pragma once

#include "chip_catalogue.h"
#include "port_job.h"

#include <optional>

namespace kestrel::cli {

// The step that compares the chip with the image: the chip's verify worker, which reads the
// EEPROM as the read does and reports the differing offsets. Empty while the link has none.
[[nodiscard]] std::optional<JobStep> verifyStep(const link::ChipRow& chip);

} // namespace kestrel::cli

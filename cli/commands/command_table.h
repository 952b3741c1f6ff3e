#pragma once

#include "cli_command.h"

#include <vector>

namespace kestrel::cli {

// kestrel-cli's commands, in the order the help lists them.
[[nodiscard]] const std::vector<const CliCommand*>& commandTable();
// The command of that name or id, or none.
[[nodiscard]] const CliCommand* findCommand(const QString& name);
[[nodiscard]] const CliCommand* findCommand(Command id);
// "chips, ports, ... lub diff"
[[nodiscard]] QString commandNames();

} // namespace kestrel::cli

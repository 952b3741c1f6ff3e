#pragma once

#include "cli_options.h"
#include "port_job.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kestrel::registry {
class SerialRegistry;
}

namespace kestrel::cli {

class Console;

// A program run's serial numbers from --registry: one per port reserved before any chip is
// touched, and each reservation's ending recorded when the ports are done.
class SerialReservations
{
public:
    explicit SerialReservations(const CliRequest& request);
    ~SerialReservations();
    SerialReservations(const SerialReservations&) = delete;
    SerialReservations& operator=(const SerialReservations&) = delete;

    // Opens the registry and reserves the numbers; the first of them, or none with the message
    // told (nothing reserved).
    [[nodiscard]] std::optional<std::uint64_t> reserve(Console& console);
    // Records how each port's board ended. Gives exitCode, or ExitFile at least when the
    // registry could not be written.
    [[nodiscard]] int record(const std::vector<PortOutcome>& outcomes, int exitCode,
                             Console& console);

private:
    const CliRequest& request_;
    std::unique_ptr<registry::SerialRegistry> registry_;
};

// The state a port's outcome leaves its reservation in.
[[nodiscard]] QString endingState(const PortOutcome& outcome, bool verify);

} // namespace kestrel::cli

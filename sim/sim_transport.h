#pragma once

#include "simulator.h"
#include "transports.h"

#include <memory>

namespace kestrel::sim {

// The port name of the built-in simulated adapter.
inline constexpr char SimulatorPortName[] = "SYMULATOR";

// Registers "SYMULATOR" as the window uses it: the program-wide simulator of the transfer's chip
// (see SimulatorRegistry), which keeps what is programmed until the program ends; for a chip
// without one, a line that never opens.
void registerSimulatorTransport(link::Transports& transports = link::Transports::program());

// "SYMULATOR" as kestrel-cli uses it: each port of a run a simulated adapter of its own, new
// (erased) whenever a line is made for the port, which a run does once per port.
class PortSimulators
{
public:
    PortSimulators();

    // Registers "SYMULATOR" with these simulators behind it, in place of any other.
    void registerTransport(link::Transports& transports = link::Transports::program()) const;
    // The simulated adapter behind the last line made for the index-th port, nullptr when there
    // was none (no such line, or a chip without a simulator). It lives until the next line for
    // that port, and at least as long as this object.
    [[nodiscard]] Simulator* simulatorOf(int portIndex) const;

private:
    struct Adapters;
    std::shared_ptr<Adapters> adapters_;
};

} // namespace kestrel::sim

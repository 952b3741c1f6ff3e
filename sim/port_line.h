#pragma once

#include "clock.h"
#include "serial_line.h"
#include "simulator.h"

#include <QString>

#include <memory>
#include <string_view>

namespace kestrel::sim {

// The port name that leads to the built-in simulated adapter instead of a serial port.
inline constexpr char SimulatorPortName[] = "SYMULATOR";

[[nodiscard]] bool isSimulatorPort(const QString& portName);

// The line a transfer uses for a port name, the same for the window and the command line: the
// built-in simulated adapter for "SYMULATOR", the serial port for any other name. The simulated
// adapter is `simulator` when given, else the program-wide one of the chip (see
// SimulatorRegistry), and for a chip without one a line that never opens.
[[nodiscard]] std::unique_ptr<link::SerialLine> makePortLine(const QString& portName,
                                                             std::string_view chipName,
                                                             link::Clock& clock,
                                                             Simulator* simulator = nullptr);

} // namespace kestrel::sim

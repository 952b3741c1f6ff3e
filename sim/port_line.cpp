#include "port_line.h"

#include "qserialport_line.h"
#include "sim_line.h"

namespace kestrel::sim {

bool isSimulatorPort(const QString& portName)
{
    return portName.trimmed() == QLatin1String(SimulatorPortName);
}

std::unique_ptr<link::SerialLine> makePortLine(const QString& portName, std::string_view chipName,
                                               link::Clock& clock, Simulator* simulator)
{
    if (!isSimulatorPort(portName))
        return std::make_unique<link::QSerialPortLine>();
    if (simulator != nullptr)
        return std::make_unique<SimLine>(*simulator, clock);
    return makeSimulatorLine(chipName, clock);
}

} // namespace kestrel::sim

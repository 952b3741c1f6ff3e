#pragma once

#include "clock.h"
#include "serial_line.h"
#include "serial_ports.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace kestrel::link {

// What a transfer asks a transport for: the line of one port.
struct LineRequest
{
    QString portName;
    std::string_view chipName; // the chip the transfer is for
    int portIndex = 0;         // the port's place among one run's ports (kestrel-cli's --port)
};

using LineMaker =
    std::function<std::unique_ptr<SerialLine>(const LineRequest& request, Clock& clock)>;

// A way to an adapter other than a serial port, chosen by the port's name.
struct Transport
{
    QString name;        // the port name it serves; port lists offer it
    QString description; // shown beside the name in port lists
    // Further port names it serves; such names are not listed. Optional.
    std::function<bool(const QString& portName)> matches;
    LineMaker makeLine;
};

// The transports a transfer opens its port through: the registered ones by name, the serial
// port (QSerialPortLine) for any other name. Names are compared trimmed. Registration is for
// start-up; lines can be made from any thread.
class Transports
{
public:
    // The program's transports, registered by its start-up.
    [[nodiscard]] static Transports& program();

    // Adds a transport; one of the same name is replaced in its place.
    void add(Transport transport);
    [[nodiscard]] std::unique_ptr<SerialLine> makeLine(const LineRequest& request,
                                                       Clock& clock) const;
    // The registered transports' names with their descriptions, in the order added.
    [[nodiscard]] std::vector<SerialPortEntry> namedPorts() const;

private:
    mutable std::mutex mutex_;
    std::vector<Transport> transports_;
};

} // namespace kestrel::link

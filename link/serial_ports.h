#pragma once

#include <QString>

#include <vector>

namespace kestrel::link {

// A serial port of this machine, as a user would pick it.
struct SerialPortEntry
{
    QString name;         // what opens it: /dev/ttyUSB0 on Linux, COM5 on Windows
    QString description;  // the driver's description, may be empty
    QString manufacturer; // may be empty
};

// The machine's serial ports at this moment, by name, without COM1 and COM2 (which the port
// list always offers). Looked up anew on every call: an adapter plugged in shows up.
[[nodiscard]] std::vector<SerialPortEntry> machineSerialPorts();

// "description, manufacturer", leaving out what is empty.
[[nodiscard]] QString describePort(const SerialPortEntry& port);

} // namespace kestrel::link

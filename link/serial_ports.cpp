#include "serial_ports.h"

#include "adapter.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace kestrel::link {

std::vector<SerialPortEntry> machineSerialPorts()
{
    const QString com1 = portDeviceName(QStringLiteral("COM1"));
    const QString com2 = portDeviceName(QStringLiteral("COM2"));
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#if defined(Q_OS_WIN)
        const QString name = info.portName();
#else
        const QString name = info.systemLocation();
#endif
        if (name.isEmpty() || name.compare(com1, Qt::CaseInsensitive) == 0 ||
            name.compare(com2, Qt::CaseInsensitive) == 0)
            continue;
        ports.push_back({name, info.description(), info.manufacturer()});
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortEntry& a, const SerialPortEntry& b) { return a.name < b.name; });
    return ports;
}

QString describePort(const SerialPortEntry& port)
{
    QStringList parts;
    for (const QString& part : {port.description.trimmed(), port.manufacturer.trimmed()})
        if (!part.isEmpty())
            parts << part;
    return parts.join(QStringLiteral(", "));
}

} // namespace kestrel::link

#include "transports.h"

#include "qserialport_line.h"

#include <algorithm>

namespace kestrel::link {

Transports& Transports::program()
{
    static Transports transports;
    return transports;
}

void Transports::add(Transport transport)
{
    std::lock_guard lock(mutex_);
    const auto same = std::find_if(transports_.begin(), transports_.end(),
                                   [&](const Transport& t) { return t.name == transport.name; });
    if (same != transports_.end())
        *same = std::move(transport);
    else
        transports_.push_back(std::move(transport));
}

std::unique_ptr<SerialLine> Transports::makeLine(const LineRequest& request, Clock& clock) const
{
    const QString name = request.portName.trimmed();
    LineMaker maker;
    {
        std::lock_guard lock(mutex_);
        for (const Transport& t : transports_) {
            if ((!t.name.isEmpty() && name == t.name) || (t.matches && t.matches(name))) {
                maker = t.makeLine;
                break;
            }
        }
    }
    // Made outside the lock: a transport may take its time.
    if (maker)
        return maker(request, clock);
    return std::make_unique<QSerialPortLine>();
}

std::vector<SerialPortEntry> Transports::namedPorts() const
{
    std::lock_guard lock(mutex_);
    std::vector<SerialPortEntry> out;
    for (const Transport& t : transports_)
        if (!t.name.isEmpty())
            out.push_back({t.name, t.description, {}});
    return out;
}

} // namespace kestrel::link

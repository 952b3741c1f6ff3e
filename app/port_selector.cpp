#include "port_selector.h"

#include "transports.h"

#include <QAbstractItemView>
#include <QSignalBlocker>

namespace kestrel {

namespace {

constexpr int FirstMachinePort = 3; // after "COM1", "COM2" and the empty item

} // namespace

PortSelector::PortSelector(QWidget* parent) : QComboBox(parent), m_source(&link::machineSerialPorts)
{
    setEditable(true);
    addItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QString()});
    for (const link::SerialPortEntry& port : link::Transports::program().namedPorts())
        addItem(port.name);
}

void PortSelector::setPortSource(PortSource source)
{
    m_source = source ? std::move(source) : PortSource(&link::machineSerialPorts);
}

void PortSelector::refreshPorts()
{
    const std::vector<link::SerialPortEntry> ports = m_source();
    const QString shown = currentText();
    const int current = currentIndex();
    const bool onMachinePort =
        current >= FirstMachinePort && current < FirstMachinePort + m_machinePorts;
    {
        // The field keeps its text: the list changes around it.
        const QSignalBlocker block(this);
        for (int i = 0; i < m_machinePorts; ++i)
            removeItem(FirstMachinePort);
        m_machinePorts = 0;
        for (const link::SerialPortEntry& port : ports) {
            const int at = FirstMachinePort + m_machinePorts++;
            insertItem(at, port.name);
            const QString tip = link::describePort(port);
            if (!tip.isEmpty())
                setItemData(at, tip, Qt::ToolTipRole);
        }
        if (onMachinePort) {
            const int again = findText(shown, Qt::MatchExactly);
            setCurrentIndex(again >= 0 ? again : 2);
        }
    }
    if (currentText() != shown)
        setEditText(shown);
}

void PortSelector::showPopup()
{
    refreshPorts();
    // The list is wider than the field: every name shows whole.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 8);
    QComboBox::showPopup();
}

} // namespace kestrel

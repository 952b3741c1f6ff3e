#pragma once

#include "serial_ports.h"

#include <QComboBox>

#include <functional>
#include <vector>

namespace kestrel {

// The port selector: "COM1", "COM2", an empty item, this machine's serial ports (each with its
// description and maker as a tool tip), the registered transports' ports ("SYMULATOR"), as they
// were when the selector was made. The machine's ports are looked up again each time the list
// opens; a typed name still works.
class PortSelector final : public QComboBox
{
    Q_OBJECT
public:
    using PortSource = std::function<std::vector<link::SerialPortEntry>()>;

    explicit PortSelector(QWidget* parent = nullptr);

    // Where the machine's ports come from; QSerialPortInfo by default.
    void setPortSource(PortSource source);
    // Puts the machine's current ports into the list, keeping what is shown in the field.
    void refreshPorts();

    void showPopup() override;

private:
    PortSource m_source;
    int m_machinePorts = 0; // items between the empty item and the transports' ports
};

} // namespace kestrel

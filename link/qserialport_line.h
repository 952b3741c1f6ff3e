#pragma once

#include "adapter_commands.h"
#include "serial_line.h"

#include <QSerialPort>

#include <memory>

namespace kestrel::link {

// The adapter's line on a real serial port. Used on the worker's thread without an event loop:
// every wait is a blocking waitFor call. The port object lives from open() to close() and
// belongs to the thread that opened it.
class QSerialPortLine : public SerialLine
{
public:
    static constexpr qint32 LineBaud = LineBaudRate;

    QSerialPortLine() = default;
    ~QSerialPortLine() override;
    QSerialPortLine(const QSerialPortLine&) = delete;
    QSerialPortLine& operator=(const QSerialPortLine&) = delete;

    [[nodiscard]] OpenStatus open(const QString& portName, int readTimeoutMs) override;
    [[nodiscard]] bool sendByte(std::uint8_t byte) override;
    [[nodiscard]] ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override;
    void close() override;
    [[nodiscard]] bool broken() const override;
    [[nodiscard]] std::optional<unsigned> reportedSpeed() const override { return speed_; }
    // Whether the driver granted low latency at the last open.
    [[nodiscard]] bool lowLatency() const { return lowLatency_; }

private:
    // The device reports a hang-up or an error condition (a USB adapter pulled out, the far
    // end of a pseudo-terminal closed).
    [[nodiscard]] bool hungUp() const;
    // Reads the speed back from the driver into speed_; true when it is close enough to 12800.
    [[nodiscard]] bool speedAccepted();
    void markBrokenOnError(QSerialPort::SerialPortError error);

    std::unique_ptr<QSerialPort> port_;
    mutable bool broken_ = false;
    std::optional<unsigned> speed_;
    bool lowLatency_ = false;
};

} // namespace kestrel::link

#include "qserialport_line.h"

#include "line_speed.h"
#include "port_access.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <algorithm>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace kestrel::link {

namespace {

// Longest time one byte may take to reach the driver before the line counts as broken.
constexpr int ByteWriteTimeoutMs = 200;

bool isLineFailure(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
}

} // namespace

QSerialPortLine::~QSerialPortLine()
{
    close();
}

OpenStatus QSerialPortLine::open(const QString& portName, int readTimeoutMs)
{
    (void)readTimeoutMs; // each read is given its own deadline
    close();
    broken_ = false;
    // QSerialPort arms socket notifiers when it opens. A thread not started by QThread has no
    // event dispatcher until an event loop object is made on it; the loop itself never runs.
    if (QAbstractEventDispatcher::instance() == nullptr)
        QEventLoop dispatcherMaker;
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(portName);
    // Opened at a standard speed first so that a refused 12800 is told apart from a port that
    // cannot be opened at all.
    (void)port->setBaudRate(QSerialPort::Baud9600);
    (void)port->setDataBits(QSerialPort::Data8);
    (void)port->setParity(QSerialPort::NoParity);
    (void)port->setStopBits(QSerialPort::OneStop);
    (void)port->setFlowControl(QSerialPort::NoFlowControl);
    // QSerialPort opens exclusively (lock file and TIOCEXCL).
    if (!port->open(QIODevice::ReadWrite)) {
        // QSerialPort reports a busy port (EBUSY, a lock file) as a permission error too: only
        // a device this user may not open is told apart.
        if (port->error() == QSerialPort::PermissionError &&
            deviceAccessDenied(portDevicePath(portName)))
            return OpenStatus::PermissionDenied;
        return OpenStatus::Failed;
    }
    port_ = std::move(port);

    speed_.reset();
    lowLatency_ = false;
    if (!port_->setBaudRate(LineBaud) || !speedAccepted()) {
        close();
        return OpenStatus::SpeedUnsupported;
    }
#if defined(Q_OS_UNIX)
    // A USB-serial chip would otherwise hold a short reply for its latency timer (16 ms).
    lowLatency_ = requestLowLatency(static_cast<int>(port_->handle()));
#endif
    // Not every device has modem lines (a pseudo-terminal has none): results are not examined.
    (void)port_->setDataTerminalReady(false);
    (void)port_->setRequestToSend(false);
    port_->clearError();
    // Bytes that arrived before the open, or that the driver still holds, are not replies.
    (void)port_->clear(QSerialPort::AllDirections);
    port_->clearError();
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(),
                     [this](QSerialPort::SerialPortError error) { markBrokenOnError(error); });
    return OpenStatus::Opened;
}

bool QSerialPortLine::speedAccepted()
{
#if defined(Q_OS_UNIX)
    const std::optional<LineSpeed> speed = readLineSpeed(static_cast<int>(port_->handle()));
#else
    const std::optional<LineSpeed> speed = std::nullopt; // the handle is no descriptor here
#endif
    const auto claimed = static_cast<unsigned>(port_->baudRate(QSerialPort::Output));
    speed_ = speed ? speed->output : claimed;
    return lineSpeedAccepted(speed, claimed);
}

void QSerialPortLine::markBrokenOnError(QSerialPort::SerialPortError error)
{
    if (isLineFailure(error))
        broken_ = true;
}

bool QSerialPortLine::sendByte(std::uint8_t byte)
{
    if (!port_ || broken_)
        return false;
#if defined(Q_OS_UNIX)
    // Straight to the driver: QSerialPort's own write path arms and disarms a notifier and
    // polls for every byte, which costs more than the byte's share of a 2-ms pause should.
    const int fd = static_cast<int>(port_->handle());
    QDeadlineTimer deadline(ByteWriteTimeoutMs);
    for (;;) {
        const ssize_t written = ::write(fd, &byte, 1);
        if (written == 1)
            return true;
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && !deadline.hasExpired()) {
            pollfd out{fd, POLLOUT, 0};
            (void)::poll(&out, 1, static_cast<int>(deadline.remainingTime()));
            continue;
        }
        broken_ = true; // EIO after a hang-up, or the driver took nothing for too long
        return false;
    }
#else
    const char c = static_cast<char>(byte);
    if (port_->write(&c, 1) != 1) {
        broken_ = true;
        return false;
    }
    // Hands the byte to the driver now; without an event loop nothing else would.
    while (port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(ByteWriteTimeoutMs)) {
            broken_ = true;
            return false;
        }
    }
    return !broken_;
#endif
}

ReadResult QSerialPortLine::read(std::uint8_t* buffer, int maxBytes, int timeoutMs)
{
    ReadResult result;
    if (!port_ || broken()) {
        result.broken = true;
        return result;
    }
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    for (;;) {
        if (port_->bytesAvailable() > 0) {
            const qint64 got = port_->read(reinterpret_cast<char*>(buffer) + result.count,
                                           maxBytes - result.count);
            if (got > 0)
                result.count += static_cast<int>(got);
        }
        if (result.count >= maxBytes || broken_)
            break;
        // A remaining time of 0 still looks once at what the driver holds.
        const auto remaining = static_cast<int>(deadline.remainingTime());
        const bool ready = port_->waitForReadyRead(remaining);
        if (broken_)
            break;
        if (port_->bytesAvailable() == 0) {
            // Nothing came: the deadline passed, or a hung-up device woke the wait with a read
            // of 0 bytes and would go on doing so.
            if (hungUp()) {
                broken_ = true;
                break;
            }
            if (!ready || deadline.hasExpired())
                break;
        }
    }
    result.broken = broken();
    return result;
}

void QSerialPortLine::close()
{
    if (!port_)
        return;
    QObject::disconnect(port_.get(), nullptr, nullptr, nullptr);
    port_->close();
    port_.reset();
}

bool QSerialPortLine::broken() const
{
    if (!broken_ && port_ && hungUp())
        broken_ = true;
    return broken_;
}

bool QSerialPortLine::hungUp() const
{
#if defined(Q_OS_UNIX)
    pollfd fd{static_cast<int>(port_->handle()), POLLIN, 0};
    if (::poll(&fd, 1, 0) < 0)
        return false;
    return (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

} // namespace kestrel::link

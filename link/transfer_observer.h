#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrel::link {

// What a transfer shows the user. Calls arrive in the order the sequence makes them, from the
// worker's thread; an implementation carries them to its own thread in that order.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;

    // Text of the third status panel.
    virtual void setStatus(const QString& text) = 0;
    // Gauge fill colour, 0x00BBGGRR.
    virtual void setGaugeColor(std::uint32_t bgr) = 0;
    virtual void setGaugeMax(int max) = 0;
    virtual void setGaugeProgress(int progress) = 0;
    // A plain OK message; returns once the user closed it.
    virtual void showMessage(const QString& text) = 0;
    // A completed read: bytes[k] belongs to EepromBuffer entry k + 1. The receiver stores them
    // and refreshes both grids.
    virtual void imageRead(const QByteArray& bytes) = 0;
    // A completed verify: what the chip holds, and the offsets (0-based from the EEPROM's first
    // address, ascending) of every byte that differs from the image. Comes before the outcome's
    // status and message.
    virtual void verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets)
    {
        (void)chipBytes;
        (void)differingOffsets;
    }
    // The transfer has ended (Panel1 is enabled again). Always the last call.
    virtual void finished() = 0;
};

} // namespace kestrel::link

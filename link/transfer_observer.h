#pragma once

#include "transfer_outcome.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace kestrel::link {

// The stages of a transfer.
enum class Phase
{
    Loading,   // the target routine into target RAM
    Sending,   // the image into target RAM
    Writing,   // the routine writes the EEPROM
    Reading,   // the EEPROM, in a read
    Verifying, // the EEPROM, in a verify
};

// What a transfer shows the user. Calls arrive in the order the sequence makes them, from the
// worker's thread; an implementation carries them to its own thread in that order.
class TransferObserver
{
public:
    virtual ~TransferObserver() = default;

    // Text of the third status panel.
    virtual void setStatus(const QString& text) = 0;
    // A phase starts; its progress and step count follow.
    virtual void startPhase(Phase phase) = 0;
    // The phase's last step, and the step it has reached.
    virtual void setProgressMax(int max) = 0;
    virtual void setProgress(int progress) = 0;
    // A plain OK message; returns once the user closed it.
    virtual void showMessage(const QString& text) = 0;
    // A completed read: the EEPROM's bytes, from its first address on. The receiver stores them
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
    // The transfer has ended (Panel1 is enabled again), and how. Always the last call, exactly
    // once: the one who runs the worker makes it (runTransfer), whether the worker returned or
    // threw.
    virtual void finished(const TransferOutcome& outcome) = 0;
};

} // namespace kestrel::link

#pragma once

#include "clock.h"
#include "eeprom_image.h"
#include "serial_line.h"
#include "transfer_observer.h"

#include <QByteArray>
#include <QString>

#include <atomic>

namespace kestrel::link {

// Everything one transfer uses. The app fills it on the GUI thread, then runs the worker on
// its own thread.
struct TransferContext
{
    SerialLine& line;
    Clock& clock;
    TransferObserver& observer;
    QString portName;                    // as typed or chosen in the port selector
    EepromBufferType image{};            // snapshot of EepromBuffer taken when the transfer starts
    std::atomic<bool>* cancel = nullptr; // set to stop at the next frame boundary
};

enum class TransferResult
{
    Done,         // ended with "Gotowe"
    PortFailed,   // the port did not open
    NoAdapter,    // the connection check failed
    ReadAborted,  // a word stayed short after three tries
    LineBroken,   // the line broke during the transfer
    Cancelled,    // stopped on request
    NotSupported, // the chip has no worker
};

using WorkerRoutine = TransferResult (*)(TransferContext&);

TransferResult ProgramWorkerB32(TransferContext& ctx);
TransferResult ProgramWorkerD60(TransferContext& ctx);
TransferResult ReadWorkerB32(TransferContext& ctx);
TransferResult ReadWorkerD60(TransferContext& ctx);
TransferResult NotSupportedWorker(TransferContext& ctx);

// Stores a completed read (bytes[k] into entry k + 1) as unsigned byte values; entries past the
// read keep their values.
void storeReadImage(const QByteArray& bytes, EepromBufferType& buffer);

} // namespace kestrel::link

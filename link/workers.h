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
    ReadAborted,  // a word's three tries went without a reply that could be trusted
    Mismatch,     // verify: the chip differs from the image
    LineBroken,   // the line broke during the transfer
    Cancelled,    // stopped on request
    NotSupported, // the chip has no worker
};

using WorkerRoutine = TransferResult (*)(TransferContext&);

TransferResult ProgramWorkerB32(TransferContext& ctx);
TransferResult ProgramWorkerD60(TransferContext& ctx);
TransferResult ReadWorkerB32(TransferContext& ctx);
TransferResult ReadWorkerD60(TransferContext& ctx);
// Read the chip like the read workers and compare it with ctx.image; the image is never changed.
TransferResult VerifyWorkerB32(TransferContext& ctx);
TransferResult VerifyWorkerD60(TransferContext& ctx);
// Program, then, when programming ended with "Gotowe", verify with the port opened again; one
// transfer for the observer (one finished()).
TransferResult ProgramVerifyWorkerB32(TransferContext& ctx);
TransferResult ProgramVerifyWorkerD60(TransferContext& ctx);
TransferResult NotSupportedWorker(TransferContext& ctx);

// Stores a completed read (bytes[k] into entry k + 1) as unsigned byte values; entries past the
// read keep their values.
void storeReadImage(const QByteArray& bytes, EepromBufferType& buffer);

} // namespace kestrel::link

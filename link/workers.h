#pragma once

#include "chip_catalogue.h"
#include "clock.h"
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
    // The image programmed or compared: the chip's EEPROM bytes from its first address on,
    // EepromSize of them, copied when the transfer starts.
    QByteArray image{};
    std::atomic<bool>* cancel = nullptr; // set to stop at the next frame boundary
    const ChipRow* chip = nullptr;       // the chip the sequences serve
    // The backup workers: the file the chip's content goes to before programming (its
    // extension names the format).
    QString backupPath{};
    // Filled by the workers as they go; runTransfer sets its result and tells it.
    TransferOutcome outcome{};
};

using WorkerRoutine = TransferResult (*)(TransferContext&);

// The sequences, for ctx.chip. None of them ends the transfer: runTransfer does.
TransferResult ProgramWorker(TransferContext& ctx);
TransferResult ReadWorker(TransferContext& ctx);
// Read the chip like the read worker and compare it with ctx.image; the image is never changed.
TransferResult VerifyWorker(TransferContext& ctx);
// Program, then, when programming ended with "Gotowe", verify with the port opened again.
TransferResult ProgramVerifyWorker(TransferContext& ctx);
// Read the chip into ctx.backupPath (written atomically, in the format its extension names),
// then program, or program then verify, as the workers above. A backup that cannot be read or
// written programs nothing.
TransferResult BackupProgramWorker(TransferContext& ctx);
TransferResult BackupProgramVerifyWorker(TransferContext& ctx);
TransferResult NotSupportedWorker(TransferContext& ctx);

// The read worker's sequence without handing the image over or showing "Gotowe": the whole
// EEPROM into bytes (its first address first), the session closed. Done, or the read's failure with its
// message shown.
TransferResult readEeprom(TransferContext& ctx, QByteArray& bytes);

enum class Operation
{
    Read,
    Program,
    Verify,
    ProgramVerify,
    BackupProgram,
    BackupProgramVerify,
    Check, // the adapter check: nothing is written to the chip
};

// The worker of an operation for the chip; NotSupportedWorker for a chip this version does not
// serve.
[[nodiscard]] WorkerRoutine workerFor(const ChipRow& chip, Operation operation);

// Throws std::invalid_argument unless ctx.image holds exactly the chip's EEPROM bytes: a worker
// that programs or compares it never pads or cuts it.
void requireWholeImage(const TransferContext& ctx);

// Runs the worker, then ends the transfer: finished(ctx.outcome) exactly once, after the worker
// returned or threw. An exception closes the line, is told as a message and gives Failed.
TransferResult runTransfer(WorkerRoutine routine, TransferContext& ctx);

} // namespace kestrel::link

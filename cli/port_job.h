#pragma once

#include "chip_catalogue.h"
#include "progress.h"
#include "transfer_thread.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kestrel::cli {

using link::ClockFactory;
// The line of one port: its place among the --port options, its name, the clock of its thread.
using LineFactory = std::function<std::unique_ptr<link::SerialLine>(
    int portIndex, const QString& portName, link::Clock& clock)>;

// What one port did.
struct PortOutcome
{
    QString port;
    link::TransferResult result = link::TransferResult::Cancelled;
    int exitCode = 0;
    double seconds = 0.0;
    qint64 bytes = 0;                  // EEPROM bytes read, programmed or compared
    QByteArray image;                  // the bytes a read or a differing verify got
    QStringList messages;              // the worker's messages, in order
    std::vector<int> differingOffsets; // a verify's differences, from the EEPROM's first byte
    QString backupFile;                // --backup: this port's backup (empty without it)
    bool backupWritten = false;        // the backup file holds the chip's former content

    // The CRC-32 of the image programmed or compared, or read when it was read whole
    // ("cbf43926"); empty otherwise.
    QString crc32;

    // A production run's: the serial number programmed (--serial).
    std::optional<std::uint64_t> serial;
};

// The worker of one port, run on a link::TransferThread with its own clock and line.
class PortJob
{
public:
    struct Setup
    {
        int index = 0;
        QString port;
        const link::ChipRow* chip = nullptr;
        link::WorkerRoutine routine = nullptr;
        QByteArray image; // the chip's EEPROM bytes
        QString backupFile; // for the backup workers
        ClockFactory makeClock;
        LineFactory makeLine;
        std::atomic<bool>* cancel = nullptr;
        Console* console = nullptr;
        bool showMessages = true; // else they are only kept in the outcome
        link::TraceSink* trace = nullptr; // --trace: where this port's trace goes
    };

    explicit PortJob(Setup setup);
    ~PortJob();
    PortJob(const PortJob&) = delete;
    PortJob& operator=(const PortJob&) = delete;

    void start();
    [[nodiscard]] bool done() const { return thread_.ended(); }
    void join();
    // After join().
    [[nodiscard]] const PortOutcome& outcome() const { return outcome_; }

private:
    Setup setup_;
    std::unique_ptr<link::TransferObserver> observer_;
    PortOutcome outcome_;
    link::TransferThread thread_;
};

} // namespace kestrel::cli

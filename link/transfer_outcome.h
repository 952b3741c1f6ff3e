#pragma once

#include <QByteArray>

#include <vector>

namespace kestrel::link {

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
    BackupFailed, // the backup before programming could not be written; nothing programmed
    Failed,       // the worker stopped on an unexpected error
};

// How a transfer ended: what the front ends act on, told once when it ends.
struct TransferOutcome
{
    TransferResult result = TransferResult::Failed;
    // Programming wrote the whole image and ended "Gotowe" (a verify after it may still fail).
    bool programmed = false;
    // A completed read's bytes, or what a verify that found differences read; EEPROM bytes from
    // the chip's first EEPROM address on. Empty otherwise.
    QByteArray chipBytes;
    // A verify's differing bytes: offsets from the EEPROM's first address, ascending.
    std::vector<int> differingOffsets;
    // The backup workers: the backup file holds the chip's former content.
    bool backupWritten = false;
};

} // namespace kestrel::link

#pragma once

#include "serial_ports.h"

#include "chip_catalogue.h"
#include "port_job.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel::cli {

// Columns padded to their widest cell, two spaces apart; a line per row.
[[nodiscard]] QString alignedTable(const std::vector<QStringList>& rows);

// The word for an outcome: resultWord() of its transfer result.
[[nodiscard]] QString outcomeWord(const PortOutcome& outcome);

// The summary table of a run with several ports: port, result, seconds, first differing address;
// and each port's serial number when the run gave them;
// with --backup each port's backup file ("brak" when none was written).
[[nodiscard]] QString summaryTable(const std::vector<PortOutcome>& outcomes,
                                   const link::ChipRow& chip);

// One JSON object per port, one line each: port, chip, operation, result, exit_code, seconds,
// bytes, differences, difference_addresses (the first 16, as "0D10"); serial when given; with --backup also backup
// (the file) and backup_written.
// One compact JSON object, with "serial" as an unsigned 64-bit number when given.
[[nodiscard]] QByteArray compactJson(QJsonObject object, std::optional<std::uint64_t> serial);

[[nodiscard]] QByteArray jsonLines(const std::vector<PortOutcome>& outcomes,
                                   const link::ChipRow& chip, const QString& operation);

// The chip list: name, EEPROM size, first address, whether this version reads and programs it.
[[nodiscard]] QString chipTableText();
[[nodiscard]] QByteArray chipTableJson();
// The ports the window's port list offers, in its order: COM1, COM2, this machine's serial
// ports, the registered transports' ports (SYMULATOR).
[[nodiscard]] QString portTableText(const std::vector<link::SerialPortEntry>& machinePorts,
                                    const std::vector<link::SerialPortEntry>& namedPorts);
[[nodiscard]] QByteArray portTableJson(const std::vector<link::SerialPortEntry>& machinePorts,
                                       const std::vector<link::SerialPortEntry>& namedPorts);

} // namespace kestrel::cli

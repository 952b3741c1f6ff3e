#pragma once

#include <QString>
#include <QStringList>

namespace kestrel::cli {

struct CliRequest;

// What `program --backup FILE` writes: one backup per port, named from FILE.

// Replaced in FILE by each port's name as portFileName gives it.
inline constexpr char16_t PortPlaceholder[] = u"{port}";

// A port's name as part of a file name: every run of characters other than ASCII letters,
// digits, '.', '_' and '-' becomes one '-', then '-' and '.' are trimmed from both ends
// ("/dev/ttyUSB0" -> "dev-ttyUSB0"; "COM3" and "SYMULATOR" stay); "port" when nothing is left.
[[nodiscard]] QString portFileName(const QString& port);

// The backup file of each port, in order: FILE with every "{port}" replaced. Ports whose names
// give the same text (SYMULATOR given twice) get "-N" added to it, N their place among the
// ports counted from 1. Without the placeholder every port gets FILE itself.
[[nodiscard]] QStringList backupFiles(const QString& pattern, const QStringList& ports);

// Why the request's --backup cannot be used, or empty: only with program; a file, not "-";
// with several ports FILE must hold "{port}"; no backup may lead (symbolic links followed) to the
// file being programmed, nor two ports' backups to one file.
[[nodiscard]] QString backupUsageError(const CliRequest& request);

} // namespace kestrel::cli

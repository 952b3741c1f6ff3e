#pragma once

#include <QFileDevice>
#include <QString>

namespace kestrel {

// The Polish reason for a system error (an errno value), as both front ends show it after a
// file's name: "Brak miejsca na dysku", "Brak uprawnień", ...; an error without a text of its own
// gives "Błąd systemu nr N".
[[nodiscard]] QString systemErrorReason(int error);

// The same for a Qt file device that failed without telling the system's error.
[[nodiscard]] QString fileDeviceErrorReason(QFileDevice::FileError error);

// Why a read from the device failed, in Polish: the system's error left by the read (errno, 0 for
// none), else the file device's error, else a plain read error.
[[nodiscard]] QString readErrorReason(const QIODevice& device, int systemError);

} // namespace kestrel

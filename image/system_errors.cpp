#include "system_errors.h"

#include <cerrno>

namespace kestrel {

QString systemErrorReason(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("Brak miejsca na dysku");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("Przekroczony przydział miejsca na dysku");
#endif
    case EACCES:
    case EPERM:
        return QStringLiteral("Brak uprawnień");
    case ENOENT:
        return QStringLiteral("Nie ma takiego pliku lub katalogu");
    case EROFS:
        return QStringLiteral("System plików tylko do odczytu");
    case EISDIR:
        return QStringLiteral("To jest katalog");
    case ENOTDIR:
        return QStringLiteral("Część ścieżki nie jest katalogiem");
    case EIO:
        return QStringLiteral("Błąd wejścia-wyjścia");
    case ENAMETOOLONG:
        return QStringLiteral("Zbyt długa nazwa pliku");
    case ELOOP:
        return QStringLiteral("Zbyt wiele dowiązań symbolicznych");
    case EFBIG:
        return QStringLiteral("Plik zbyt duży");
    case EEXIST:
        return QStringLiteral("Plik już istnieje");
    case EBUSY:
        return QStringLiteral("Plik lub urządzenie jest zajęte");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Zbyt wiele otwartych plików");
    case EPIPE:
        return QStringLiteral("Odbiorca zamknął potok");
    case EBADF:
        return QStringLiteral("Niepoprawny deskryptor pliku");
    default:
        break;
    }
    return QStringLiteral("Błąd systemu nr %1").arg(error);
}

QString readErrorReason(const QIODevice& device, int systemError)
{
    if (systemError != 0)
        return systemErrorReason(systemError);
    if (const auto* file = qobject_cast<const QFileDevice*>(&device);
        file != nullptr && file->error() != QFileDevice::NoError)
        return fileDeviceErrorReason(file->error());
    return fileDeviceErrorReason(QFileDevice::ReadError);
}

QString fileDeviceErrorReason(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::NoError:
        return {};
    case QFileDevice::ReadError:
        return QStringLiteral("Błąd odczytu");
    case QFileDevice::WriteError:
        return QStringLiteral("Błąd zapisu");
    case QFileDevice::OpenError:
        return QStringLiteral("Nie można otworzyć pliku");
    case QFileDevice::PermissionsError:
        return systemErrorReason(EACCES);
    case QFileDevice::ResourceError:
        return QStringLiteral("Brak zasobów systemu (miejsca lub pamięci)");
    case QFileDevice::AbortError:
        return QStringLiteral("Operacja przerwana");
    case QFileDevice::TimeOutError:
        return QStringLiteral("Przekroczony czas oczekiwania");
    case QFileDevice::RemoveError:
    case QFileDevice::RenameError:
    case QFileDevice::PositionError:
    case QFileDevice::ResizeError:
    case QFileDevice::CopyError:
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError:
        break;
    }
    return QStringLiteral("Błąd pliku");
}

} // namespace kestrel

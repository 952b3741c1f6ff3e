#include "system_errors.h"

#include <QCoreApplication>
#include <cerrno>

namespace kestrel {

QString systemErrorReason(int error)
{
    switch (error) {
    case ENOSPC:
        return QCoreApplication::translate("image", "Brak miejsca na dysku");
#ifdef EDQUOT
    case EDQUOT:
        return QCoreApplication::translate("image", "Przekroczony przydział miejsca na dysku");
#endif
    case EACCES:
    case EPERM:
        return QCoreApplication::translate("image", "Brak uprawnień");
    case ENOENT:
        return QCoreApplication::translate("image", "Nie ma takiego pliku lub katalogu");
    case EROFS:
        return QCoreApplication::translate("image", "System plików tylko do odczytu");
    case EISDIR:
        return QCoreApplication::translate("image", "To jest katalog");
    case ENOTDIR:
        return QCoreApplication::translate("image", "Część ścieżki nie jest katalogiem");
    case EIO:
        return QCoreApplication::translate("image", "Błąd wejścia-wyjścia");
    case ENAMETOOLONG:
        return QCoreApplication::translate("image", "Zbyt długa nazwa pliku");
    case ELOOP:
        return QCoreApplication::translate("image", "Zbyt wiele dowiązań symbolicznych");
    case EFBIG:
        return QCoreApplication::translate("image", "Plik zbyt duży");
    case EEXIST:
        return QCoreApplication::translate("image", "Plik już istnieje");
    case EBUSY:
        return QCoreApplication::translate("image", "Plik lub urządzenie jest zajęte");
    case EMFILE:
    case ENFILE:
        return QCoreApplication::translate("image", "Zbyt wiele otwartych plików");
    case EPIPE:
        return QCoreApplication::translate("image", "Odbiorca zamknął potok");
    case EBADF:
        return QCoreApplication::translate("image", "Niepoprawny deskryptor pliku");
    default:
        break;
    }
    return QCoreApplication::translate("image", "Błąd systemu nr %1").arg(error);
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
        return QCoreApplication::translate("image", "Błąd odczytu");
    case QFileDevice::WriteError:
        return QCoreApplication::translate("image", "Błąd zapisu");
    case QFileDevice::OpenError:
        return QCoreApplication::translate("image", "Nie można otworzyć pliku");
    case QFileDevice::PermissionsError:
        return systemErrorReason(EACCES);
    case QFileDevice::ResourceError:
        return QCoreApplication::translate("image", "Brak zasobów systemu (miejsca lub pamięci)");
    case QFileDevice::AbortError:
        return QCoreApplication::translate("image", "Operacja przerwana");
    case QFileDevice::TimeOutError:
        return QCoreApplication::translate("image", "Przekroczony czas oczekiwania");
    case QFileDevice::RemoveError:
    case QFileDevice::RenameError:
    case QFileDevice::PositionError:
    case QFileDevice::ResizeError:
    case QFileDevice::CopyError:
    case QFileDevice::FatalError:
    case QFileDevice::UnspecifiedError:
        break;
    }
    return QCoreApplication::translate("image", "Błąd pliku");
}

} // namespace kestrel

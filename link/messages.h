#pragma once

#include "transfer_outcome.h"

#include <QCoreApplication>
#include <QString>

namespace kestrel::link {

// Texts a transfer shows the user, in the "link" context of the translations.
inline QString portFailedMessage()
{
    return QCoreApplication::translate("link", "Niewłaściwa nazwa portu lub port jest aktywny !!");
}
// A port the user may not open: the device, and the group that owns it ("dialout" when it
// cannot be told). The advice to join the group is given on Linux only; elsewhere the first
// sentence alone.
inline QString portPermissionMessage(const QString& device, const QString& group)
{
    const QString denied =
        QCoreApplication::translate("link", "Brak uprawnień do portu %1.").arg(device);
#if defined(Q_OS_LINUX)
    const QString name = group.isEmpty() ? QStringLiteral("dialout") : group;
    return denied + QCoreApplication::translate(
                        "link", " Dodaj użytkownika do grupy %1 (sudo usermod -aG %1 $USER) i "
                                "zaloguj się ponownie.")
                        .arg(name);
#else
    (void)group;
    return denied;
#endif
}
// A device only the administrator may open: no group to join would help.
inline QString portAdminOnlyMessage(const QString& device)
{
    return QCoreApplication::translate(
               "link", "Brak uprawnień do portu %1. Port może otworzyć tylko administrator; "
                       "poproś o regułę udev nadającą mu grupę dialout.")
        .arg(device);
}
// offeredBaud: the speed the driver set instead, 0 when unknown.
inline QString speedUnsupportedMessage(unsigned offeredBaud = 0)
{
    const QString refused =
        QCoreApplication::translate("link", "Port nie obsługuje prędkości 12800 bodów");
    if (offeredBaud == 0)
        return refused;
    return refused +
           QCoreApplication::translate("link", " (sterownik ustawił %1 bodów)").arg(offeredBaud);
}
inline QString programNoAdapterMessage()
{
    return QCoreApplication::translate("link", "BRAK KOMUNIKACJI !!");
}
inline QString readNoAdapterMessage()
{
    return QCoreApplication::translate("link", "BLAD KOMUUNIKACJI !!");
}
inline QString notSupportedMessage()
{
    return QCoreApplication::translate("link", "W wersji 1.0 układ nie jest obsługiwany");
}
// A worker stopped on an error of the program itself; what says what it was.
inline QString internalErrorMessage(const QString& what)
{
    return QCoreApplication::translate("link", "Operacja przerwana: błąd wewnętrzny programu (%1)")
        .arg(what);
}
inline QString lineBrokenMessage()
{
    return QCoreApplication::translate("link", "Utracono połączenie z portem – operacja przerwana");
}
// The word whose reply stayed short, by its target address.
inline QString readAbortedMessage(int address)
{
    return QCoreApplication::translate("link",
                                       "Odczyt przerwany: brak odpowiedzi adaptera (adres %1)")
        .arg(QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper());
}

// A word whose tries were used up by replies that came out of step.
inline QString readDisturbedMessage(int address)
{
    return QCoreApplication::translate("link",
                                       "Odczyt przerwany: zakłócone odpowiedzi adaptera (adres %1)")
        .arg(QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper());
}
inline QString verifyEqualMessage()
{
    return QCoreApplication::translate("link", "Zawartość EEPROM zgodna z buforem");
}
// count differing bytes; the first at address, holding chipByte in the chip and bufferByte in
// the buffer.
inline QString verifyDifferentMessage(int count, int address, int chipByte, int bufferByte)
{
    auto hex = [](int v, int width) {
        return QStringLiteral("%1").arg(v, width, 16, QLatin1Char('0')).toUpper();
    };
    return QCoreApplication::translate(
               "link", "EEPROM różni się od bufora w %1 bajtach. Pierwszy pod adresem %2: w "
                       "układzie %3, w buforze %4")
        .arg(count)
        .arg(hex(address, 4), hex(chipByte, 2), hex(bufferByte, 2));
}

// The backup before programming could not be read: the read's own message, and what it means.
inline QString backupReadFailedMessage(const QString& readMessage)
{
    return readMessage +
           QCoreApplication::translate("link", " Kopia nie została wykonana. Układ nie został "
                                               "zaprogramowany.");
}
// The backup was read but could not be written: its file and the system's reason.
inline QString backupWriteFailedMessage(const QString& path, const QString& reason)
{
    QString why = reason.trimmed();
    if (why.endsWith(u'.'))
        why.chop(1);
    return QCoreApplication::translate(
               "link", "Nie można zapisać kopii: %1: %2. Układ nie został zaprogramowany.")
        .arg(path, why);
}

inline QString statusBackupSaved()
{
    return QCoreApplication::translate("link", "Kopia zapisana");
}
inline QString statusSending()
{
    return QCoreApplication::translate("link", "Trwa przesyłanie danych");
}
inline QString statusWriting()
{
    return QCoreApplication::translate("link", "Rozpoczęto zapis EEPROM");
}
inline QString statusReading()
{
    return QCoreApplication::translate("link", "Trwa odczyt EEPROM");
}
inline QString statusVerifying()
{
    return QCoreApplication::translate("link", "Trwa weryfikacja EEPROM");
}
inline QString statusEqual()
{
    return QCoreApplication::translate("link", "Zgodne");
}
inline QString statusDifferent()
{
    return QCoreApplication::translate("link", "Niezgodne");
}
inline QString statusDone()
{
    return QCoreApplication::translate("link", "Gotowe");
}
inline QString checkStatus()
{
    return QCoreApplication::translate("link", "Test adaptera");
}
inline QString checkFailedStatus()
{
    return QCoreApplication::translate("link", "Test adaptera nie powiódł się");
}
inline QString statusReadAborted()
{
    return QCoreApplication::translate("link", "Odczyt przerwany");
}
inline QString statusBroken()
{
    return QCoreApplication::translate("link", "Przerwano");
}
inline QString statusIdle()
{
    return QCoreApplication::translate("link", "-----Oczekiwanie-----");
}
// The status panel once a transfer has ended some other way than with the worker's last text
// ("Gotowe", a verify's "Zgodne" or "Niezgodne"): how it ended. Null for those, and for a chip
// without a worker, which never touched the panel.
inline QString statusEnded(TransferResult result)
{
    switch (result) {
    case TransferResult::Done:
    case TransferResult::Mismatch:
    case TransferResult::NotSupported:
        break;
    case TransferResult::PortFailed:
        return QCoreApplication::translate("link", "Błąd portu");
    case TransferResult::NoAdapter:
        return QCoreApplication::translate("link", "Błąd komunikacji");
    case TransferResult::ReadAborted:
        return statusReadAborted();
    case TransferResult::LineBroken:
        return QCoreApplication::translate("link", "Utracono połączenie");
    case TransferResult::Cancelled:
        return statusBroken();
    case TransferResult::BackupFailed:
        return QCoreApplication::translate("link", "Kopia nieudana");
    case TransferResult::Failed:
        return QCoreApplication::translate("link", "Błąd programu");
    }
    return {};
}

} // namespace kestrel::link

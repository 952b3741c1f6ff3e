#pragma once

#include <QString>

namespace kestrel::link {

// Texts a transfer shows the user.
inline QString portFailedMessage()
{
    return QStringLiteral("Niewłaściwa nazwa portu lub port jest aktywny !!");
}
inline QString speedUnsupportedMessage()
{
    return QStringLiteral("Port nie obsługuje prędkości 12800 bodów");
}
inline QString programNoAdapterMessage()
{
    return QStringLiteral("BRAK KOMUNIKACJI !!");
}
inline QString readNoAdapterMessage()
{
    return QStringLiteral("BLAD KOMUUNIKACJI !!");
}
inline QString notSupportedMessage()
{
    return QStringLiteral("W wersji 1.0 układ nie jest obsługiwany");
}
inline QString lineBrokenMessage()
{
    return QStringLiteral("Utracono połączenie z portem – operacja przerwana");
}
// The word whose reply stayed short, by its target address.
inline QString readAbortedMessage(int address)
{
    return QStringLiteral("Odczyt przerwany: brak odpowiedzi adaptera (adres %1)")
        .arg(QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper());
}

inline QString statusLoadingB32()
{
    return QStringLiteral("Ładuje procedure zapisu");
}
inline QString statusLoadingD60()
{
    return QStringLiteral("Ładuję procedure zapisu");
}
inline QString statusSending()
{
    return QStringLiteral("Trwa przesyłanie danych");
}
inline QString statusWriting()
{
    return QStringLiteral("Rozpoczęto zapis EEPROM");
}
inline QString statusReading()
{
    return QStringLiteral("Trwa odczyt EEPROM");
}
inline QString statusDone()
{
    return QStringLiteral("Gotowe");
}
inline QString statusReadAborted()
{
    return QStringLiteral("Odczyt przerwany");
}
inline QString statusBroken()
{
    return QStringLiteral("Przerwano");
}

} // namespace kestrel::link

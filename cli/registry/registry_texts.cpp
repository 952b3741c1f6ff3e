#include "registry_texts.h"

#include <QCoreApplication>

namespace kestrel::registry::texts {

namespace {

QString quoted(const QString& text)
{
    return QCoreApplication::translate("cli", "„%1”").arg(text);
}

} // namespace

QString emptyAddress()
{
    return QCoreApplication::translate("cli", "--registry: pusty adres rejestru");
}

QString passwordInUrl()
{
    return QCoreApplication::translate(
        "cli", "--registry: hasło nie należy do adresu (PGPASSWORD lub ~/.pgpass)");
}

QString malformedUrl(const QString& text)
{
    return QCoreApplication::translate("cli", "--registry: niepoprawny adres %1 "
                                              "(postgresql://UŻYTKOWNIK@HOST[:PORT]/BAZA)")
        .arg(quoted(text));
}

QString driverMissing(const QString& registry, const QString& driver)
{
    return QCoreApplication::translate("cli", "rejestr %1: brak sterownika Qt SQL %2")
        .arg(quoted(registry), driver);
}

QString missing(const QString& registry)
{
    return QCoreApplication::translate("cli", "rejestr %1: nie istnieje").arg(quoted(registry));
}

QString cannotOpen(const QString& registry, const QString& reason)
{
    return QCoreApplication::translate("cli", "rejestr %1: nie można otworzyć (%2)")
        .arg(quoted(registry), reason.simplified());
}

QString cannotRead(const QString& registry, const QString& reason)
{
    return QCoreApplication::translate("cli", "rejestr %1: odczyt nieudany (%2)")
        .arg(quoted(registry), reason.simplified());
}

QString cannotWrite(const QString& registry, const QString& reason)
{
    return QCoreApplication::translate("cli", "rejestr %1: zapis nieudany (%2)")
        .arg(quoted(registry), reason.simplified());
}

QString newerSchema(const QString& registry, int version, int known)
{
    return QCoreApplication::translate(
               "cli", "rejestr %1: schemat w wersji %2, nowszej niż znana tej wersji "
                      "programu (%3)")
        .arg(quoted(registry))
        .arg(version)
        .arg(known);
}

QString numberTooLarge(const QString& series, std::uint64_t number, std::uint64_t largest)
{
    return QCoreApplication::translate("cli",
                                       "seria %1: numer %2 przekracza największy możliwy (%3)")
        .arg(quoted(series))
        .arg(number)
        .arg(largest);
}

} // namespace kestrel::registry::texts

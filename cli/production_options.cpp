#include "production_options.h"

#include "registry_address.h"

#include <QCoreApplication>

namespace kestrel::cli {

ProductionOptions::ProductionOptions(QCommandLineParser& parser)
    : set_(QStringLiteral("set"),
           QCoreApplication::translate(
               "cli", "program: bajty wpisane w obraz przed programowaniem, np. "
                      "0D10=DEADBEEF (adresy szesnastkowo, w EEPROM układu; kilka po "
                      "przecinku lub kilka opcji)."),
           QCoreApplication::translate("cli", "ADRES=BAJTY")),
      serial_(QStringLiteral("serial"),
              QCoreApplication::translate(
                  "cli", "program: numer seryjny każdej płytki, np. 0FF0:4:1000: porty w "
                         "podanej kolejności dostają PIERWSZY, PIERWSZY+1, ... zapisane od "
                         "najstarszego bajtu jako BAJTY bajtów pod ADRESEM (ADRES "
                         "szesnastkowo; BAJTY i PIERWSZY dziesiętnie, PIERWSZY też 0x...)."),
              QCoreApplication::translate("cli", "ADRES:BAJTY:PIERWSZY")),
      log_(QStringLiteral("log"),
           QCoreApplication::translate(
               "cli", "read, program, verify: dopisz do PLIKU jeden wiersz JSON na port "
                      "(czas, port, układ, operacja, wynik, kod wyjścia, numer seryjny, "
                      "CRC-32 obrazu)."),
           QCoreApplication::translate("cli", "PLIK")),
      registry_(QStringLiteral("registry"),
                QCoreApplication::translate(
                    "cli", "program --serial: numery z rejestru REJESTR (plik SQLite albo "
                           "postgresql://UŻYTKOWNIK@HOST[:PORT]/BAZA), zarezerwowane przed "
                           "programowaniem, nigdy dwa razy; registry: lista rezerwacji."),
                QCoreApplication::translate("cli", "REJESTR")),
      series_(QStringLiteral("series"),
              QCoreApplication::translate(
                  "cli", "Seria numerów w rejestrze (domyślnie układ i ADRES, np. "
                         "68HC12B32:0FF0); nowa zaczyna od PIERWSZEGO, istniejąca od swojego "
                         "następnego wolnego numeru."),
              QCoreApplication::translate("cli", "SERIA"))
{
    parser.addOptions({set_, serial_, log_, registry_, series_});
}

QString ProductionOptions::take(const QCommandLineParser& parser, CliRequest& request) const
{
    const ChipWindow window{request.chip->EepromBase, request.chip->EepromSize};
    for (const QCommandLineOption* o : {&set_, &serial_, &registry_, &series_})
        if (parser.isSet(*o) && request.command != Command::Program)
            return QCoreApplication::translate("cli", "--%1: tylko z poleceniem program")
                .arg(o->names().constFirst());
    for (const QString& value : parser.values(set_))
        if (QString error = parsePatches(value, window, request.patches); !error.isNull())
            return error;
    if (parser.isSet(serial_)) {
        const QStringList values = parser.values(serial_);
        if (values.size() > 1)
            return QCoreApplication::translate("cli",
                                               "--serial: podano więcej niż jedno pole numeru");
        SerialField field;
        if (QString error =
                parseSerialField(values.first(), window, int(request.ports.size()), field);
            !error.isNull())
            return error;
        request.serial = field;
    }
    if (parser.isSet(log_)) {
        const QStringList values = parser.values(log_);
        if (values.size() > 1 || values.first().isEmpty())
            return QCoreApplication::translate("cli", "--log: podaj jeden plik");
        if (values.first() == QLatin1String("-"))
            return QCoreApplication::translate(
                "cli", "--log: dziennik trafia do pliku, nie na standardowe wyjście");
        request.log = values.first();
    }
    return takeRegistry(parser, request);
}

QString ProductionOptions::takeRegistry(const QCommandLineParser& parser,
                                        CliRequest& request) const
{
    if (QString error = takeRegistryOptions(parser, registry_, series_, request); !error.isNull())
        return error;
    if (request.registry.isEmpty())
        return {};
    if (!request.serial)
        return QCoreApplication::translate("cli", "--registry: tylko z --serial ADRES:BAJTY:PIERWSZY");
    if (request.series.isEmpty())
        request.series = QStringLiteral("%1:%2")
                             .arg(QString::fromLatin1(request.chip->name))
                             .arg(QString::number(request.serial->address, 16)
                                      .toUpper()
                                      .rightJustified(4, u'0'));
    return {};
}

QString takeRegistryOptions(const QCommandLineParser& parser, const QCommandLineOption& registry,
                            const QCommandLineOption& series, CliRequest& request)
{
    if (parser.isSet(registry)) {
        const QStringList values = parser.values(registry);
        if (values.size() > 1)
            return QCoreApplication::translate("cli", "--registry: podaj jeden rejestr");
        QString error;
        if (!registry::parseRegistryAddress(values.first(), error))
            return error;
        request.registry = values.first();
    }
    if (parser.isSet(series)) {
        const QStringList values = parser.values(series);
        if (request.registry.isEmpty())
            return QCoreApplication::translate("cli", "--series: tylko z --registry");
        if (values.size() > 1 || values.first().trimmed().isEmpty() || values.first().size() > 200)
            return QCoreApplication::translate("cli", "--series: podaj jedną nazwę serii (do 200 znaków)");
        request.series = values.first().trimmed();
    }
    return {};
}

} // namespace kestrel::cli

#include "production_options.h"

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
           QCoreApplication::translate("cli", "PLIK"))
{
    parser.addOptions({set_, serial_, log_});
}

QString ProductionOptions::take(const QCommandLineParser& parser, CliRequest& request) const
{
    const ChipWindow window{request.chip->EepromBase, request.chip->EepromSize};
    for (const QCommandLineOption* o : {&set_, &serial_})
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
    return {};
}

} // namespace kestrel::cli

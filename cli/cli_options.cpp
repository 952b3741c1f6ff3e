#include "cli_options.h"

#include "command_line.h"
#include "command_table.h"

#include <QCoreApplication>

namespace kestrel::cli {

namespace {

// A command's lines in the help: its name and synopsis, what it does from the 44th column, on
// the same line when there is room.
QString helpLines(const CliCommand& command)
{
    constexpr qsizetype SummaryColumn = 43;
    const CommandHelp help = command.help();
    QString head = QStringLiteral("  ") + command.name().leftJustified(7) + u' ' + help.synopsis;
    QString out;
    for (qsizetype i = 0; i < help.summary.size(); ++i) {
        if (i == 0 && head.size() + 2 <= SummaryColumn)
            out += head.leftJustified(SummaryColumn);
        else
            out += (i == 0 ? head + u'\n' : QString()) + QString(SummaryColumn, u' ');
        out += help.summary[i] + u'\n';
    }
    return out;
}

QString description()
{
    QString commands;
    for (const CliCommand* command : commandTable())
        commands += helpLines(*command);
    return QCoreApplication::translate(
               "cli", "Odczyt, programowanie i weryfikacja EEPROM układów 68HC12 przez adapter "
                      "programujący.\n"
                      "\n"
                      "Polecenia:\n") +
           commands +
           QCoreApplication::translate(
               "cli",
               "\n"
               "PORT: COM1, COM2, ścieżka urządzenia albo SYMULATOR (wbudowany symulator "
               "adaptera,\n"
               "wymazany przy każdym uruchomieniu; każde --port SYMULATOR to osobny adapter).\n"
               "PLIK: obraz binarny, S-record, Intel HEX lub ELF (ELF tylko do odczytu); \"-\" to\n"
               "standardowe wejście/wyjście.\n"
               "Linia produkcyjna: program --set ADRES=BAJTY --serial ADRES:BAJTY:PIERWSZY --log "
               "PLIK\n"
               "[--registry REJESTR]: numery z rejestru, nigdy dwa razy; \"kestrel-cli registry\" "
               "je pokazuje.\n"
               "KOPIA: plik, do którego przed programowaniem trafia odczytana zawartość układu "
               "(format\n"
               "wg rozszerzenia); przy kilku portach zawiera {port}, zastępowane nazwą portu\n"
               "(/dev/ttyUSB0 -> dev-ttyUSB0). Bez udanej kopii układ nie jest programowany.\n"
               "\n"
               "Kody wyjścia:\n"
               "  0  sukces (verify: zgodne)\n"
               "  1  błąd wywołania (nieznana opcja, układ lub format; brak PLIKU)\n"
               "  2  błąd pliku (odczyt, składnia, zapis, zapis kopii)\n"
               "  3  błąd portu (nie można otworzyć, zajęty, brak uprawnień, brak prędkości "
               "12800)\n"
               "  4  brak adaptera (nieudane sprawdzenie połączenia)\n"
               "  5  transfer nieudany (odczyt przerwany, utracone połączenie, sygnał)\n"
               "  6  weryfikacja wykazała różnice (diff: pliki różne)\n"
               "  7  układ nieobsługiwany w tej wersji\n"
               "Przy kilku portach: najwyższy kod spośród portów.");
}

ParsedCommandLine fail(const QString& text)
{
    ParsedCommandLine out;
    out.action = ParsedCommandLine::Action::Fail;
    out.text = text;
    return out;
}

} // namespace

std::optional<FileFormat> formatFromName(const QString& name)
{
    if (name == QLatin1String("bin"))
        return FileFormat::Raw;
    if (name == QLatin1String("srec"))
        return FileFormat::SRecord;
    if (name == QLatin1String("ihex"))
        return FileFormat::IntelHex;
    if (name == QLatin1String("elf"))
        return FileFormat::Elf;
    return std::nullopt;
}

QString commandName(Command command)
{
    const CliCommand* c = findCommand(command);
    return c != nullptr ? c->name() : QString();
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line(description(), commandNames());
    if (!line.parse(arguments))
        return fail(line.errorText());
    if (line.helpAsked() || line.versionAsked()) {
        ParsedCommandLine out;
        out.action = ParsedCommandLine::Action::ShowText;
        out.text = line.helpAsked() ? line.helpText()
                                    : QCoreApplication::applicationName() + u' ' +
                                          QCoreApplication::applicationVersion() + u'\n';
        return out;
    }
    QStringList positional = line.positionalArguments();
    if (positional.isEmpty())
        return fail(QCoreApplication::translate("cli", "brak polecenia (%1)").arg(commandNames()));
    const QString name = positional.takeFirst();
    const CliCommand* command = findCommand(name);
    if (command == nullptr)
        return fail(QCoreApplication::translate("cli", "nieznane polecenie %1 (%2)")
                        .arg(quoted(name), commandNames()));
    ParsedCommandLine out;
    out.action = ParsedCommandLine::Action::Run;
    out.request.command = command->id();
    out.request.quiet = line.quiet();
    out.request.json = line.isSet(Option::Json);
    if (const QString error = command->check(line, positional, out.request); !error.isEmpty())
        return fail(error);
    return out;
}

} // namespace kestrel::cli

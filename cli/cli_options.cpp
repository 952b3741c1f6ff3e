#include "cli_options.h"

#include "trace_files.h"

#include "backup_files.h"
#include "file_names.h"
#include "production_options.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace kestrel::cli {

namespace {

QString description()
{
    return QStringLiteral(
        "Odczyt, programowanie i weryfikacja EEPROM układów 68HC12 przez adapter programujący.\n"
        "\n"
        "Polecenia:\n"
        "  chips                                    lista układów\n"
        "  ports                                    lista portów szeregowych tego komputera\n"
        "  read    --chip UKŁAD --port PORT PLIK    odczyt EEPROM do pliku\n"
        "  program --chip UKŁAD --port PORT [--port PORT ...] [--backup KOPIA] [--verify] PLIK\n"
        "                                           programowanie EEPROM z pliku\n"
        "  verify  --chip UKŁAD --port PORT [--port PORT ...] PLIK\n"
        "                                           porównanie EEPROM z plikiem\n"
        "  convert --chip UKŁAD WEJŚCIE WYJŚCIE     zamiana formatu pliku obrazu\n"
        "  diff    --chip UKŁAD PLIK1 PLIK2         porównanie dwóch plików obrazu; wiersz na\n"
        "                                           różny bajt: ADRES  BAJT1  BAJT2\n"
        "\n"
        "PORT: COM1, COM2, ścieżka urządzenia albo SYMULATOR (wbudowany symulator adaptera,\n"
        "wymazany przy każdym uruchomieniu; każde --port SYMULATOR to osobny adapter).\n"
        "PLIK: obraz binarny, S-record, Intel HEX lub ELF (ELF tylko do odczytu); \"-\" to\n"
        "standardowe wejście/wyjście.\n"
        "Linia produkcyjna: program --set ADRES=BAJTY --serial ADRES:BAJTY:PIERWSZY --log PLIK.\n"
        "KOPIA: plik, do którego przed programowaniem trafia odczytana zawartość układu (format\n"
        "wg rozszerzenia); przy kilku portach zawiera {port}, zastępowane nazwą portu\n"
        "(/dev/ttyUSB0 -> dev-ttyUSB0). Bez udanej kopii układ nie jest programowany.\n"
        "\n"
        "Kody wyjścia:\n"
        "  0  sukces (verify: zgodne)\n"
        "  1  błąd wywołania (nieznana opcja, układ lub format; brak PLIKU)\n"
        "  2  błąd pliku (odczyt, składnia, zapis, zapis kopii)\n"
        "  3  błąd portu (nie można otworzyć, zajęty, brak uprawnień, brak prędkości 12800)\n"
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

QString quoted(const QString& text)
{
    return QStringLiteral("„%1”").arg(text);
}

QString elfNotWritten(const QString& what)
{
    return QStringLiteral("%1: zapis w formacie ELF nie jest obsługiwany (srec, ihex lub bin)")
        .arg(what);
}

// convert --chip UKŁAD WEJŚCIE WYJŚCIE: the format given is the output's.
// diff --chip UKŁAD PLIK1 PLIK2: each file's format told by its name or content.
ParsedCommandLine twoFileArguments(const QCommandLineParser& parser,
                                   std::initializer_list<const QCommandLineOption*> refused,
                                   const QCommandLineOption& format,
                                   const ProductionOptions& production, QStringList positional,
                                   ParsedCommandLine out)
{
    CliRequest& r = out.request;
    const bool convert = r.command == Command::Convert;
    const QString command = commandName(r.command);
    const QString firstName = convert ? QStringLiteral("WEJŚCIE") : QStringLiteral("PLIK1");
    const QString secondName = convert ? QStringLiteral("WYJŚCIE") : QStringLiteral("PLIK2");
    for (const QCommandLineOption* o : refused)
        if (parser.isSet(*o))
            return fail(QStringLiteral("--%1: polecenie %2 nie przyjmuje tej opcji")
                            .arg(o->names().constFirst(), command));
    if (QString error = production.refuseAll(parser, command); !error.isNull())
        return fail(error);
    if (convert && parser.isSet(format)) {
        const QStringList formats = parser.values(format);
        r.format = formatFromName(formats.last());
        if (formats.size() > 1 || !r.format)
            return fail(QStringLiteral("--format: nieznany format %1 (srec, ihex lub bin)")
                            .arg(quoted(formats.join(u','))));
        if (r.format == FileFormat::Elf)
            return fail(elfNotWritten(QStringLiteral("--format")));
    }
    if (positional.size() < 2)
        return fail(QStringLiteral("brak argumentu %1")
                        .arg(positional.isEmpty() ? firstName : secondName));
    if (positional.size() > 2)
        return fail(QStringLiteral("nadmiarowy argument %1").arg(quoted(positional.at(2))));
    r.file = positional.at(0);
    r.output = positional.at(1);
    if (r.file.isEmpty() || r.output.isEmpty())
        return fail(QStringLiteral("%1: pusta nazwa pliku")
                        .arg(r.file.isEmpty() ? firstName : secondName));
    if (!convert && r.file == QLatin1String("-") && r.output == QLatin1String("-"))
        return fail(QStringLiteral("PLIK1 i PLIK2: standardowe wejście można podać tylko raz"));
    if (convert && !r.format && formatNamedBy(r.output) == FileFormat::Elf)
        return fail(elfNotWritten(QStringLiteral("WYJŚCIE")));
    // Replacing the file being read would lose it: its name is compared as the file it leads to.
    if (convert && r.file != QLatin1String("-") && r.output != QLatin1String("-") &&
        resolvedFilePath(r.file) == resolvedFilePath(r.output))
        return fail(QStringLiteral("WYJŚCIE: zapis zastąpiłby czytany plik %1").arg(quoted(r.file)));
    return out;
}

// check --chip UKŁAD --port PORT: nothing else but --json, --quiet and --trace.
ParsedCommandLine checkArguments(const QCommandLineParser& parser,
                                 std::initializer_list<const QCommandLineOption*> refused,
                                 const ProductionOptions& production, const QStringList& positional,
                                 ParsedCommandLine out)
{
    const CliRequest& r = out.request;
    for (const QCommandLineOption* o : refused)
        if (parser.isSet(*o))
            return fail(QStringLiteral("--%1: polecenie check nie przyjmuje tej opcji")
                            .arg(o->names().constFirst()));
    if (QString error = production.refuseAll(parser, QStringLiteral("check")); !error.isNull())
        return fail(error);
    if (r.ports.size() > 1)
        return fail(QStringLiteral("--port: polecenie check przyjmuje jeden port"));
    if (!positional.isEmpty())
        return fail(QStringLiteral("nadmiarowy argument %1").arg(quoted(positional.first())));
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
    switch (command) {
    case Command::Chips:
        return QStringLiteral("chips");
    case Command::Ports:
        return QStringLiteral("ports");
    case Command::Read:
        return QStringLiteral("read");
    case Command::Program:
        return QStringLiteral("program");
    case Command::Verify:
        return QStringLiteral("verify");
    case Command::Convert:
        return QStringLiteral("convert");
    case Command::Diff:
        return QStringLiteral("diff");
    case Command::Check:
        return QStringLiteral("check");
    }
    return {};
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    // Not addHelpOption(): its description would stay in English.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Wyświetla tę pomoc."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption chip(QStringLiteral("chip"),
                                  QStringLiteral("Układ z listy \"kestrel-cli chips\"."),
                                  QStringLiteral("UKŁAD"));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Port adaptera; program i verify przyjmują kilka (ten sam obraz na "
                       "każdy port naraz)."),
        QStringLiteral("PORT"));
    const QCommandLineOption verify(QStringLiteral("verify"),
                                    QStringLiteral("Po programowaniu odczytaj i porównaj."));
    const QCommandLineOption backup(
        QStringLiteral("backup"),
        QStringLiteral("Przed programowaniem odczytaj układ do pliku KOPIA; {port} w nazwie "
                       "zastępuje nazwa portu."),
        QStringLiteral("KOPIA"));
    const QCommandLineOption format(
        QStringLiteral("format"),
        QStringLiteral("Format pliku: srec, ihex, bin lub elf (elf tylko do odczytu; domyślnie "
                       "wg nazwy, potem zawartości przy odczycie pliku, wg rozszerzenia przy "
                       "zapisie, bin dla \"-\"). Przy convert: format WYJŚCIA."),
        QStringLiteral("FORMAT"));
    const QCommandLineOption quiet(QStringList{QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Wypisuj tylko błędy."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Na końcu jeden obiekt JSON na port na standardowym wyjściu, nic "
                       "więcej."));
    const QCommandLineOption trace(
        QStringLiteral("trace"),
        QStringLiteral("Zapisz przebieg transmisji (każdy bajt z czasem) do pliku ŚLAD; \"-\": "
                       "standardowe wyjście błędów; {port} w nazwie zastępuje nazwa portu."),
        QStringLiteral("ŚLAD"));
    parser.addOptions({chip, port, verify, backup, format, quiet, json, trace});
    const ProductionOptions production(parser);
    parser.addPositionalArgument(
        QStringLiteral("polecenie"),
        QStringLiteral("chips, ports, read, program, verify, check, convert lub diff."));
    parser.addPositionalArgument(QStringLiteral("PLIK"), QStringLiteral("Plik obrazu lub \"-\"."),
                                 QStringLiteral("[PLIK]"));

    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        ParsedCommandLine out;
        out.action = ParsedCommandLine::Action::ShowText;
        out.text = parser.helpText();
        return out;
    }
    if (parser.isSet(version)) {
        ParsedCommandLine out;
        out.action = ParsedCommandLine::Action::ShowText;
        out.text = QCoreApplication::applicationName() + u' ' +
                   QCoreApplication::applicationVersion() + u'\n';
        return out;
    }

    ParsedCommandLine out;
    out.action = ParsedCommandLine::Action::Run;
    CliRequest& r = out.request;
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return fail(
            QStringLiteral("brak polecenia (chips, ports, read, program, verify, check, convert lub "
                           "diff)"));
    const QString name = positional.takeFirst();
    if (name == QLatin1String("chips"))
        r.command = Command::Chips;
    else if (name == QLatin1String("ports"))
        r.command = Command::Ports;
    else if (name == QLatin1String("read"))
        r.command = Command::Read;
    else if (name == QLatin1String("program"))
        r.command = Command::Program;
    else if (name == QLatin1String("verify"))
        r.command = Command::Verify;
    else if (name == QLatin1String("convert"))
        r.command = Command::Convert;
    else if (name == QLatin1String("diff"))
        r.command = Command::Diff;
    else if (name == QLatin1String("check"))
        r.command = Command::Check;
    else
        return fail(QStringLiteral("nieznane polecenie %1 (chips, ports, read, program, verify, "
                                   "check, convert lub diff)")
                        .arg(quoted(name)));
    r.quiet = parser.isSet(quiet);
    r.json = parser.isSet(json);

    if (r.command == Command::Chips || r.command == Command::Ports) {
        for (const QCommandLineOption* o : {&chip, &port, &verify, &backup, &format, &trace}) {
            if (parser.isSet(*o))
                return fail(QStringLiteral("--%1: polecenie %2 nie przyjmuje tej opcji")
                                .arg(o->names().constFirst(), name));
        }
        if (!positional.isEmpty())
            return fail(QStringLiteral("nadmiarowy argument %1").arg(quoted(positional.first())));
        if (QString error = production.refuseAll(parser, name); !error.isNull())
            return fail(error);
        return out;
    }

    if (!parser.isSet(chip))
        return fail(QStringLiteral("brak opcji --chip"));
    const QStringList chips = parser.values(chip);
    if (chips.size() > 1)
        return fail(QStringLiteral("--chip: podano więcej niż jeden układ"));
    r.chip = link::findChip(chips.first());
    if (r.chip == nullptr)
        return fail(QStringLiteral("--chip: nieznany układ %1 (listę podaje \"kestrel-cli chips\")")
                        .arg(quoted(chips.first())));

    if (r.command == Command::Convert)
        return twoFileArguments(parser, {&port, &verify, &backup, &json, &trace}, format,
                                production, positional, out);
    if (r.command == Command::Diff)
        return twoFileArguments(parser, {&port, &verify, &backup, &format, &trace}, format,
                                production, positional, out);
    if (parser.isSet(trace)) {
        const QStringList traces = parser.values(trace);
        if (traces.size() > 1)
            return fail(QStringLiteral("--trace: podano więcej niż jeden plik"));
        r.trace = traces.first();
    }

    if (!parser.isSet(port))
        return fail(QStringLiteral("brak opcji --port"));
    for (const QString& p : parser.values(port)) {
        const QString name = p.trimmed();
        if (name.isEmpty())
            return fail(QStringLiteral("--port: pusta nazwa portu"));
        // A serial port can serve one transfer at a time; each SYMULATOR is an adapter of its own.
        if (r.ports.contains(name) && name != QLatin1String("SYMULATOR"))
            return fail(QStringLiteral("--port: port %1 podano więcej niż raz").arg(quoted(name)));
        r.ports << name;
    }
    if (r.command == Command::Read && r.ports.size() > 1)
        return fail(QStringLiteral("--port: polecenie read przyjmuje jeden port"));
    if (const QString error = traceUsageError(r); !error.isEmpty())
        return fail(error);
    if (r.command == Command::Check)
        return checkArguments(parser, {&verify, &backup, &format}, production, positional, out);

    r.verify = parser.isSet(verify);
    if (r.verify && r.command != Command::Program)
        return fail(QStringLiteral("--verify: tylko z poleceniem program"));

    if (parser.isSet(format)) {
        const QStringList formats = parser.values(format);
        r.format = formatFromName(formats.last());
        if (formats.size() > 1 || !r.format)
            return fail(QStringLiteral("--format: nieznany format %1 (srec, ihex, bin lub elf)")
                            .arg(quoted(formats.join(u','))));
        if (r.command == Command::Read && r.format == FileFormat::Elf)
            return fail(elfNotWritten(QStringLiteral("--format")));
    }
    if (QString error = production.take(parser, r); !error.isNull())
        return fail(error);

    if (positional.isEmpty())
        return fail(QStringLiteral("brak argumentu PLIK"));
    if (positional.size() > 1)
        return fail(QStringLiteral("nadmiarowy argument %1").arg(quoted(positional.at(1))));
    r.file = positional.first();
    if (r.file.isEmpty())
        return fail(QStringLiteral("PLIK: pusta nazwa pliku"));
    if (r.command == Command::Read && !r.format && formatNamedBy(r.file) == FileFormat::Elf)
        return fail(elfNotWritten(QStringLiteral("PLIK")));
    if (r.command == Command::Read && r.json && r.file == QLatin1String("-"))
        return fail(QStringLiteral("--json: obraz na standardowym wyjściu i JSON wykluczają się"));
    if (parser.isSet(backup)) {
        const QStringList backups = parser.values(backup);
        if (backups.size() > 1)
            return fail(QStringLiteral("--backup: podano więcej niż jedną kopię"));
        r.backup = backups.first();
        if (const QString error = backupUsageError(r); !error.isEmpty())
            return fail(error);
    }
    return out;
}

} // namespace kestrel::cli

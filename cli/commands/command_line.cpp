#include "command_line.h"

#include "file_names.h"

#include <QCoreApplication>

namespace kestrel::cli {

namespace {

// The help lists --help first, then --version.
QCommandLineOption addHelpAndVersion(QCommandLineParser& parser, const QCommandLineOption& help)
{
    parser.addOption(help);
    return parser.addVersionOption();
}

} // namespace

CommandLine::CommandLine(const QString& description, const QString& commands)
    // Not addHelpOption(): its description would stay in English.
    : help_(QStringList{QStringLiteral("h"), QStringLiteral("help")},
            QCoreApplication::translate("cli", "Wyświetla tę pomoc.")),
      version_(addHelpAndVersion(parser_, help_)),
      chip_(QStringLiteral("chip"),
            QCoreApplication::translate("cli", "Układ z listy \"kestrel-cli chips\"."),
            QCoreApplication::translate("cli", "UKŁAD")),
      port_(QStringLiteral("port"),
            QCoreApplication::translate(
                "cli", "Port adaptera; program i verify przyjmują kilka (ten sam obraz na "
                       "każdy port naraz)."),
            QStringLiteral("PORT")),
      verify_(QStringLiteral("verify"),
              QCoreApplication::translate("cli", "Po programowaniu odczytaj i porównaj.")),
      backup_(QStringLiteral("backup"),
              QCoreApplication::translate(
                  "cli", "Przed programowaniem odczytaj układ do pliku KOPIA; {port} w nazwie "
                         "zastępuje nazwa portu."),
              QCoreApplication::translate("cli", "KOPIA")),
      format_(QStringLiteral("format"),
              QCoreApplication::translate(
                  "cli", "Format pliku: srec, ihex, bin lub elf (elf tylko do odczytu; "
                         "domyślnie wg nazwy, potem zawartości przy odczycie pliku, wg "
                         "rozszerzenia przy zapisie, bin dla \"-\"). Przy convert: format "
                         "WYJŚCIA."),
              QStringLiteral("FORMAT")),
      quiet_(QStringList{QStringLiteral("q"), QStringLiteral("quiet")},
             QCoreApplication::translate("cli", "Wypisuj tylko błędy.")),
      json_(QStringLiteral("json"),
            QCoreApplication::translate(
                "cli", "Na końcu jeden obiekt JSON na port na standardowym wyjściu, nic "
                       "więcej.")),
      trace_(QStringLiteral("trace"),
             QCoreApplication::translate(
                 "cli", "Zapisz przebieg transmisji (każdy bajt z czasem) do pliku ŚLAD; "
                        "\"-\": standardowe wyjście błędów; {port} w nazwie zastępuje nazwa "
                        "portu."),
             QCoreApplication::translate("cli", "ŚLAD"))
{
    parser_.setApplicationDescription(description);
    parser_.addOptions({chip_, port_, verify_, backup_, format_, quiet_, json_, trace_});
    production_ = std::make_unique<ProductionOptions>(parser_);
    parser_.addPositionalArgument(QCoreApplication::translate("cli", "polecenie"), commands + u'.');
    parser_.addPositionalArgument(QCoreApplication::translate("cli", "PLIK"),
                                  QCoreApplication::translate("cli", "Plik obrazu lub \"-\"."),
                                  QCoreApplication::translate("cli", "[PLIK]"));
}

const QCommandLineOption& CommandLine::find(Option option) const
{
    switch (option) {
    case Option::Chip:
        return chip_;
    case Option::Port:
        return port_;
    case Option::Verify:
        return verify_;
    case Option::Backup:
        return backup_;
    case Option::Format:
        return format_;
    case Option::Json:
        return json_;
    case Option::Trace:
        return trace_;
    case Option::Set:
        return production_->set();
    case Option::Serial:
        return production_->serial();
    case Option::Log:
        return production_->log();
    case Option::Registry:
        return production_->registry();
    case Option::Series:
        return production_->series();
    }
    return help_;
}

QString CommandLine::refused(OptionSet takes, std::span<const Option> among,
                             const QString& command) const
{
    for (const Option o : among)
        if (!takes.contains(o) && isSet(o))
            return QCoreApplication::translate("cli", "--%1: polecenie %2 nie przyjmuje tej opcji")
                .arg(find(o).names().constFirst(), command);
    return {};
}

QString quoted(const QString& text)
{
    return QCoreApplication::translate("cli", "„%1”").arg(text);
}

QString elfNotWritten(const QString& what)
{
    return QCoreApplication::translate(
               "cli", "%1: zapis w formacie ELF nie jest obsługiwany (srec, ihex lub bin)")
        .arg(what);
}

QString extraArgument(const QString& argument)
{
    return QCoreApplication::translate("cli", "nadmiarowy argument %1").arg(quoted(argument));
}

QString onePortOnly(const QString& command)
{
    return QCoreApplication::translate("cli", "--port: polecenie %1 przyjmuje jeden port")
        .arg(command);
}

QString checkNoArguments(const CliCommand& command, const CommandLine& line,
                         const QStringList& positional)
{
    if (QString error = line.refused(command.options(), PortOptions, command.name());
        !error.isEmpty())
        return error;
    if (!positional.isEmpty())
        return extraArgument(positional.first());
    return line.refused(command.options(), ProductionLineOptions, command.name());
}

QString takeTwoFiles(const QStringList& positional, const QString (&names)[2], CliRequest& request)
{
    if (positional.size() < 2)
        return QCoreApplication::translate("cli", "brak argumentu %1")
            .arg(names[positional.isEmpty() ? 0 : 1]);
    if (positional.size() > 2)
        return extraArgument(positional.at(2));
    request.file = positional.at(0);
    request.output = positional.at(1);
    if (request.file.isEmpty() || request.output.isEmpty())
        return QCoreApplication::translate("cli", "%1: pusta nazwa pliku")
            .arg(names[request.file.isEmpty() ? 0 : 1]);
    return {};
}

QString takeChip(const CommandLine& line, CliRequest& request)
{
    if (!line.isSet(Option::Chip))
        return QCoreApplication::translate("cli", "brak opcji --chip");
    const QStringList chips = line.values(Option::Chip);
    if (chips.size() > 1)
        return QCoreApplication::translate("cli", "--chip: podano więcej niż jeden układ");
    request.chip = link::findChip(chips.first());
    if (request.chip == nullptr)
        return QCoreApplication::translate(
                   "cli", "--chip: nieznany układ %1 (listę podaje \"kestrel-cli chips\")")
            .arg(quoted(chips.first()));
    return {};
}

QString takeTrace(const CommandLine& line, CliRequest& request)
{
    if (!line.isSet(Option::Trace))
        return {};
    const QStringList traces = line.values(Option::Trace);
    if (traces.size() > 1)
        return QCoreApplication::translate("cli", "--trace: podano więcej niż jeden plik");
    request.trace = traces.first();
    return {};
}

QString takeChipTraceAndPorts(const CommandLine& line, CliRequest& request)
{
    QString error = takeChip(line, request);
    if (error.isEmpty())
        error = takeTrace(line, request);
    if (error.isEmpty())
        error = takePorts(line, request);
    return error;
}

QString takePorts(const CommandLine& line, CliRequest& request)
{
    if (!line.isSet(Option::Port))
        return QCoreApplication::translate("cli", "brak opcji --port");
    for (const QString& p : line.values(Option::Port)) {
        const QString name = p.trimmed();
        if (name.isEmpty())
            return QCoreApplication::translate("cli", "--port: pusta nazwa portu");
        // A serial port can serve one transfer at a time; each SYMULATOR is an adapter of its own.
        if (request.ports.contains(name) && name != QLatin1String("SYMULATOR"))
            return QCoreApplication::translate("cli", "--port: port %1 podano więcej niż raz")
                .arg(quoted(name));
        request.ports << name;
    }
    return {};
}

QString takeFormat(const CommandLine& line, const QString& known, CliRequest& request)
{
    if (!line.isSet(Option::Format))
        return {};
    const QStringList formats = line.values(Option::Format);
    request.format = formatFromName(formats.last());
    if (formats.size() > 1 || !request.format)
        return QCoreApplication::translate("cli", "--format: nieznany format %1 (%2)")
            .arg(quoted(formats.join(u',')), known);
    return {};
}

} // namespace kestrel::cli

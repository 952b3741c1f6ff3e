#pragma once

#include "cli_command.h"
#include "production_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <array>
#include <memory>
#include <span>

namespace kestrel::cli {

// kestrel-cli's options, every command's in one parser: an unknown option is told before any
// command looks at its own.
class CommandLine
{
public:
    // The help's text before the options; the positional argument's list of commands.
    CommandLine(const QString& description, const QString& commands);

    [[nodiscard]] bool parse(const QStringList& arguments) { return parser_.parse(arguments); }
    [[nodiscard]] QString errorText() const { return parser_.errorText(); }
    [[nodiscard]] QString helpText() const { return parser_.helpText(); }
    [[nodiscard]] bool helpAsked() const { return parser_.isSet(help_); }
    [[nodiscard]] bool versionAsked() const { return parser_.isSet(version_); }
    [[nodiscard]] bool quiet() const { return parser_.isSet(quiet_); }
    [[nodiscard]] QStringList positionalArguments() const { return parser_.positionalArguments(); }

    [[nodiscard]] bool isSet(Option option) const { return parser_.isSet(find(option)); }
    [[nodiscard]] QStringList values(Option option) const { return parser_.values(find(option)); }
    // Takes --set, --serial, --log, --registry and --series into a request whose command, chip and ports are known.
    [[nodiscard]] QString takeProduction(CliRequest& request) const
    {
        return production_->take(parser_, request);
    }
    // Takes --registry and --series alone (the registry command).
    [[nodiscard]] QString takeRegistry(CliRequest& request) const
    {
        return takeRegistryOptions(parser_, production_->registry(), production_->series(),
                                   request);
    }
    // "--NAME: polecenie COMMAND nie przyjmuje tej opcji" for the first of `among` that is given
    // and not among what the command takes, else an empty string.
    [[nodiscard]] QString refused(OptionSet takes, std::span<const Option> among,
                                  const QString& command) const;

private:
    [[nodiscard]] const QCommandLineOption& find(Option option) const;

    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    QCommandLineOption chip_;
    QCommandLineOption port_;
    QCommandLineOption verify_;
    QCommandLineOption backup_;
    QCommandLineOption format_;
    QCommandLineOption quiet_;
    QCommandLineOption json_;
    QCommandLineOption trace_;
    std::unique_ptr<ProductionOptions> production_;
};

// The options a command may refuse, in two groups, each in the order its refusals are looked for.
inline constexpr std::array<Option, 7> PortOptions = {
    Option::Chip,   Option::Port, Option::Verify, Option::Backup,
    Option::Format, Option::Json, Option::Trace};
inline constexpr std::array<Option, 5> ProductionLineOptions = {
    Option::Set, Option::Serial, Option::Log, Option::Registry, Option::Series};

// The checks the commands share. Each gives the usage error, or an empty string.
[[nodiscard]] QString quoted(const QString& text);
[[nodiscard]] QString elfNotWritten(const QString& what);
[[nodiscard]] QString extraArgument(const QString& argument);
[[nodiscard]] QString onePortOnly(const QString& command);
// A command given nothing: no argument, no option it does not take.
[[nodiscard]] QString checkNoArguments(const CliCommand& command, const CommandLine& line,
                                       const QStringList& positional);
// Two file names, neither empty; `names` are theirs in the messages ("PLIK1", "PLIK2").
[[nodiscard]] QString takeTwoFiles(const QStringList& positional, const QString (&names)[2],
                                   CliRequest& request);
// --chip: one, from the catalogue.
[[nodiscard]] QString takeChip(const CommandLine& line, CliRequest& request);
// --trace: at most one.
[[nodiscard]] QString takeTrace(const CommandLine& line, CliRequest& request);
// --port: at least one, none empty, none twice but SYMULATOR.
[[nodiscard]] QString takePorts(const CommandLine& line, CliRequest& request);
// --chip, --trace, then --port, the first error told: what every command on a port takes.
[[nodiscard]] QString takeChipTraceAndPorts(const CommandLine& line, CliRequest& request);
// --format, when given: one of those named in `known` ("srec, ihex lub bin").
[[nodiscard]] QString takeFormat(const CommandLine& line, const QString& known,
                                 CliRequest& request);

} // namespace kestrel::cli

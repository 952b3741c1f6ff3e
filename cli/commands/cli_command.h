#pragma once

#include "cli_options.h"

#include <QString>
#include <QStringList>

#include <initializer_list>

namespace kestrel::cli {

class CommandContext;
class CommandLine;

// An option that some commands take and others refuse. Every command takes --quiet.
enum class Option : unsigned
{
    Chip = 1u << 0,
    Port = 1u << 1,
    Verify = 1u << 2,
    Backup = 1u << 3,
    Format = 1u << 4,
    Json = 1u << 5,
    Trace = 1u << 6,
    Set = 1u << 7,
    Serial = 1u << 8,
    Log = 1u << 9,
    Registry = 1u << 10,
    Series = 1u << 11,
};

class OptionSet
{
public:
    constexpr OptionSet(std::initializer_list<Option> options)
    {
        for (const Option o : options)
            bits_ |= static_cast<unsigned>(o);
    }
    [[nodiscard]] constexpr bool contains(Option o) const
    {
        return (bits_ & static_cast<unsigned>(o)) != 0;
    }

private:
    unsigned bits_ = 0;
};

// A command's entry in the help: what it is given, and what it does, a line each.
struct CommandHelp
{
    QString synopsis;
    QStringList summary;
};

// One command of kestrel-cli.
class CliCommand
{
public:
    virtual ~CliCommand() = default;

    [[nodiscard]] virtual Command id() const = 0;
    [[nodiscard]] virtual QString name() const = 0;
    [[nodiscard]] virtual CommandHelp help() const = 0;
    [[nodiscard]] virtual OptionSet options() const = 0;
    // Fills the request, whose command, --quiet and --json are set, from the command line and the
    // arguments after the command's name; gives the usage error, or an empty string.
    [[nodiscard]] virtual QString check(const CommandLine& line, const QStringList& positional,
                                        CliRequest& request) const = 0;
    // Runs a checked request; gives the exit code.
    [[nodiscard]] virtual int run(const CliRequest& request, CommandContext& context) const = 0;
};

} // namespace kestrel::cli

#pragma once

#include "cli_command.h"

namespace kestrel::cli {

// kestrel-cli registry: the reservations of a serial-number registry (all, a series', or one
// number's), as a table or as JSON lines.
class RegistryCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Registry; }
    QString name() const override { return QStringLiteral("registry"); }
    CommandHelp help() const override;
    OptionSet options() const override
    {
        return {Option::Json, Option::Registry, Option::Series, Option::Serial};
    }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

} // namespace kestrel::cli

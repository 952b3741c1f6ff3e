#pragma once

#include "cli_command.h"

namespace kestrel::cli {

// kestrel-cli check: the adapter check on one port, what it saw and its diagnosis; nothing is
// written to the chip.
class CheckCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Check; }
    QString name() const override { return QStringLiteral("check"); }
    CommandHelp help() const override;
    OptionSet options() const override
    {
        return {Option::Chip, Option::Port, Option::Json, Option::Trace};
    }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

} // namespace kestrel::cli

#pragma once

#include "cli_command.h"

#include <QCoreApplication>

namespace kestrel::cli {

// kestrel-cli chips: the chips of the catalogue.
class ChipsCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Chips; }
    QString name() const override { return QStringLiteral("chips"); }
    CommandHelp help() const override
    {
        return {{}, {QCoreApplication::translate("cli", "lista układów")}};
    }
    OptionSet options() const override { return {Option::Json}; }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

} // namespace kestrel::cli

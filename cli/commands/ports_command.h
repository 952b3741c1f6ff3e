#pragma once

#include "cli_command.h"

#include <QCoreApplication>

namespace kestrel::cli {

// kestrel-cli ports: this machine's serial ports and the ports the program names itself.
class PortsCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Ports; }
    QString name() const override { return QStringLiteral("ports"); }
    CommandHelp help() const override
    {
        return {{},
                {QCoreApplication::translate("cli", "lista portów szeregowych tego komputera")}};
    }
    OptionSet options() const override { return {Option::Json}; }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

} // namespace kestrel::cli

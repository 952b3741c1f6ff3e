#pragma once

#include "transfer_command.h"

namespace kestrel::cli {

// kestrel-cli program: a file into the chips' EEPROM, on one port or several; with --backup each
// chip read first, with --verify compared after, with --set and --serial a production run.
class ProgramCommand final : public TransferCommand
{
public:
    ProgramCommand() : TransferCommand(Ports::Several, File::Read) {}

    Command id() const override { return Command::Program; }
    QString name() const override { return QStringLiteral("program"); }
    CommandHelp help() const override;
    OptionSet options() const override;

private:
    link::Operation operation(const CliRequest& request) const override;
};

} // namespace kestrel::cli

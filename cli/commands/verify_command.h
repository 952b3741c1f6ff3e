#pragma once

#include "transfer_command.h"

namespace kestrel::cli {

// kestrel-cli verify: the chips' EEPROM compared with a file, on one port or several.
class VerifyCommand final : public TransferCommand
{
public:
    VerifyCommand() : TransferCommand(Ports::Several, File::Read) {}

    Command id() const override { return Command::Verify; }
    QString name() const override { return QStringLiteral("verify"); }
    CommandHelp help() const override;
    OptionSet options() const override;

private:
    link::Operation operation(const CliRequest&) const override { return link::Operation::Verify; }
};

} // namespace kestrel::cli

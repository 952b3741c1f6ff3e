#pragma once

#include "transfer_command.h"

namespace kestrel::cli {

// kestrel-cli read: the chip's EEPROM into a file, from one port.
class ReadCommand final : public TransferCommand
{
public:
    ReadCommand() : TransferCommand(Ports::One, File::Written) {}

    Command id() const override { return Command::Read; }
    QString name() const override { return QStringLiteral("read"); }
    CommandHelp help() const override;
    OptionSet options() const override;

private:
    link::Operation operation(const CliRequest&) const override { return link::Operation::Read; }
};

} // namespace kestrel::cli

#pragma once

#include "cli_command.h"
#include "progress.h"

class QIODevice;

namespace kestrel::cli {

// kestrel-cli convert --chip UKŁAD WEJŚCIE WYJŚCIE: the format given is the output's.
class ConvertCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Convert; }
    QString name() const override { return QStringLiteral("convert"); }
    CommandHelp help() const override;
    OptionSet options() const override { return {Option::Chip, Option::Format}; }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

// Reads any image file the chip's EEPROM takes and writes it in the format that --format or the
// output's extension names. Exit code 0, or 2 for a file that cannot be read or written.
[[nodiscard]] int convertImage(const CliRequest& request, QIODevice& standardInput,
                               QIODevice& standardOutput, Console& console);

} // namespace kestrel::cli

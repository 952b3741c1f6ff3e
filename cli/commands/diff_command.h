#pragma once

#include "cli_command.h"
#include "progress.h"

class QIODevice;

namespace kestrel::cli {

// kestrel-cli diff --chip UKŁAD PLIK1 PLIK2: each file's format told by its name or content.
class DiffCommand final : public CliCommand
{
public:
    Command id() const override { return Command::Diff; }
    QString name() const override { return QStringLiteral("diff"); }
    CommandHelp help() const override;
    OptionSet options() const override { return {Option::Chip, Option::Json}; }
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;
};

// Compares two image files of one chip byte by byte. Prints a line per
// differing byte ("0D10  5A  FF": address, the byte in the first file, in the second) or, with
// --json, one object with the count and the list; --quiet prints none of it. Exit code 0 when
// equal, 6 when different, 2 for a file that cannot be read.
[[nodiscard]] int diffImages(const CliRequest& request, QIODevice& standardInput,
                             QIODevice& standardOutput, Console& console);

} // namespace kestrel::cli

#pragma once

#include "cli_command.h"
#include "workers.h"

namespace kestrel::cli {

// What read, program and verify share: a chip, its ports, an image file, a production run's
// options, and the transfer on every port.
class TransferCommand : public CliCommand
{
public:
    QString check(const CommandLine& line, const QStringList& positional,
                  CliRequest& request) const override;
    int run(const CliRequest& request, CommandContext& context) const override;

protected:
    enum class Ports
    {
        One,
        Several, // the same image on each at once
    };
    enum class File
    {
        Read,    // the image sent to the chip or compared with it
        Written, // the chip's content
    };
    TransferCommand(Ports ports, File file) : ports_(ports), file_(file) {}

    // What the workers do for a checked request.
    [[nodiscard]] virtual link::Operation operation(const CliRequest& request) const = 0;

private:
    [[nodiscard]] QString checkFile(const CommandLine& line, const QStringList& positional,
                                    CliRequest& request) const;

    Ports ports_;
    File file_;
};

} // namespace kestrel::cli

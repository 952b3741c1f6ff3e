#pragma once

#include "cli_options.h"
#include "workers.h"

#include <QByteArray>

#include <memory>

namespace kestrel::cli {

class CommandContext;
class Console;
class ImageOutput;
class ProductionRun;

// read, program and verify on every port of a request: the file, the ports, a read's file, the
// log, the report.
class TransferRun
{
public:
    TransferRun(const CliRequest& request, link::Operation operation, CommandContext& context);

    [[nodiscard]] int run();

private:
    [[nodiscard]] int prepareFile(Console& console, QByteArray& fileBytes,
                                  std::unique_ptr<ImageOutput>& output);
    [[nodiscard]] int runPorts(const ProductionRun& production, Console& console);
    [[nodiscard]] int commitRead(ImageOutput& output, Console& console);
    void report(int exitCode, Console& console);

    const CliRequest& request_;
    const link::Operation operation_;
    CommandContext& context_;
};

} // namespace kestrel::cli

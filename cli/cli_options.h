#pragma once

#include "board_images.h"
#include "chip_catalogue.h"
#include "image_formats.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kestrel::cli {

enum class Command
{
    Chips,
    Ports,
    Read,
    Program,
    Verify,
    Convert,
    Diff,
    Check,
    Registry,
};

// How an image file is read or written, when --format says so.
using FileFormat = ImageFormat;

// One run of the tool, as the command line asks for it.
struct CliRequest
{
    Command command = Command::Chips;
    const link::ChipRow* chip = nullptr;
    QStringList ports; // in the order given; "SYMULATOR" may repeat
    bool verify = false;
    std::optional<QString> backup; // --backup FILE, "{port}" in it replaced per port
    QString file;                  // "-": standard input or output
    std::optional<FileFormat> format;
    bool quiet = false;
    bool json = false;

    // convert: the file written ("-": standard output); `file` is the one read. diff: the
    // second file compared; `file` is the first.
    QString output;
    // A production run: bytes written over the image and a serial number per board (program),
    // the log (read, program, verify).
    std::vector<BytePatch> patches;
    std::optional<SerialField> serial;
    QString log;
    // --registry REG: program takes its serial numbers from it, in the series --series names
    // (default: the chip's name and ADDR, "68HC12B32:0FF0"); the registry command lists it.
    QString registry;
    QString series;
    // registry --serial N: the one number listed.
    std::optional<std::uint64_t> lookupSerial;
    // --trace FILE: the line's trace, "{port}" in it replaced per port; "-": standard error.
    std::optional<QString> trace;
};

struct ParsedCommandLine
{
    enum class Action
    {
        Run,      // request holds what to do
        ShowText, // print text on standard output, exit 0 (--help, --version)
        Fail,     // usage error: print text on standard error, exit 1
    };
    Action action = Action::Fail;
    CliRequest request;
    QString text;
};

// Parses the arguments (the first is the program's name). Usage errors name the option or
// argument at fault.
[[nodiscard]] ParsedCommandLine parseCommandLine(const QStringList& arguments);

// "srec", "ihex", "bin", "elf" (ELF is only read).
[[nodiscard]] std::optional<FileFormat> formatFromName(const QString& name);

[[nodiscard]] QString commandName(Command command);

} // namespace kestrel::cli

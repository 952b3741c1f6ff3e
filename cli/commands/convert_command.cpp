#include "convert_command.h"

#include "command_context.h"
#include "command_line.h"
#include "exit_codes.h"
#include "file_names.h"
#include "image_io.h"

#include <QCoreApplication>

namespace kestrel::cli {

CommandHelp ConvertCommand::help() const
{
    return {QCoreApplication::translate("cli", "--chip UKŁAD WEJŚCIE WYJŚCIE"),
            {QCoreApplication::translate("cli", "zamiana formatu pliku obrazu")}};
}

QString ConvertCommand::check(const CommandLine& line, const QStringList& positional,
                              CliRequest& r) const
{
    QString error = takeChip(line, r);
    if (error.isEmpty())
        error = line.refused(options(), PortOptions, name());
    if (error.isEmpty())
        error = line.refused(options(), ProductionLineOptions, name());
    if (error.isEmpty())
        error = takeFormat(line, QCoreApplication::translate("cli", "srec, ihex lub bin"), r);
    if (!error.isEmpty())
        return error;
    if (r.format == FileFormat::Elf)
        return elfNotWritten(QStringLiteral("--format"));
    if (error = takeTwoFiles(positional,
                             {QCoreApplication::translate("cli", "WEJŚCIE"),
                              QCoreApplication::translate("cli", "WYJŚCIE")},
                             r);
        !error.isEmpty())
        return error;
    if (!r.format && formatNamedBy(r.output) == FileFormat::Elf)
        return elfNotWritten(QCoreApplication::translate("cli", "WYJŚCIE"));
    // Replacing the file being read would lose it: its name is compared as the file it leads to.
    if (r.file != QLatin1String("-") && r.output != QLatin1String("-") &&
        resolvedFilePath(r.file) == resolvedFilePath(r.output))
        return QCoreApplication::translate("cli", "WYJŚCIE: zapis zastąpiłby czytany plik %1")
            .arg(quoted(r.file));
    return {};
}

int ConvertCommand::run(const CliRequest& request, CommandContext& context) const
{
    Console console(context.err(), context.errIsTerminal(), !request.quiet, {});
    return convertImage(request, context.in(), context.out(), console);
}

int convertImage(const CliRequest& request, QIODevice& standardInput, QIODevice& standardOutput,
                 Console& console)
{
    const link::ChipRow& chip = *request.chip;
    // The output first: a name that cannot be written is refused before anything is read.
    ImageOutput output(request.output, request.format, chip, standardOutput);
    QString error;
    if (!output.open(error)) {
        console.error(error);
        return ExitFile;
    }
    const LoadedImage loaded = loadImageToConvert(request.file, chip, standardInput);
    if (!loaded.ok) {
        console.error(loaded.error);
        return ExitFile;
    }
    if (!loaded.notice.isEmpty() && !request.quiet)
        console.error(loaded.notice);
    if (!output.commit(loaded.bytes, error)) {
        if (!error.isEmpty()) // standard output tells its own failure
            console.error(error);
        return ExitFile;
    }
    return ExitOk;
}

} // namespace kestrel::cli

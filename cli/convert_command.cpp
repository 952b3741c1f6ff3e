#include "convert_command.h"

#include "exit_codes.h"
#include "image_io.h"

namespace kestrel::cli {

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

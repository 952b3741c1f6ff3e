#include "diff_command.h"

#include "command_context.h"
#include "command_line.h"
#include "eeprom_image.h"
#include "exit_codes.h"
#include "image_compare.h"
#include "image_crc.h"
#include "image_io.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kestrel::cli {

namespace {

int byteAt(const QByteArray& bytes, int offset)
{
    return static_cast<std::uint8_t>(bytes.at(offset));
}

} // namespace

CommandHelp DiffCommand::help() const
{
    return {QCoreApplication::translate("cli", "--chip UKŁAD PLIK1 PLIK2"),
            {QCoreApplication::translate("cli", "porównanie dwóch plików obrazu; wiersz na"),
             QCoreApplication::translate("cli", "różny bajt: ADRES  BAJT1  BAJT2")}};
}

QString DiffCommand::check(const CommandLine& line, const QStringList& positional,
                           CliRequest& r) const
{
    QString error = takeChip(line, r);
    if (error.isEmpty())
        error = line.refused(options(), PortOptions, name());
    if (error.isEmpty())
        error = line.refused(options(), ProductionLineOptions, name());
    if (error.isEmpty())
        error = takeTwoFiles(positional,
                             {QCoreApplication::translate("cli", "PLIK1"),
                              QCoreApplication::translate("cli", "PLIK2")},
                             r);
    if (!error.isEmpty())
        return error;
    if (r.file == QLatin1String("-") && r.output == QLatin1String("-"))
        return QCoreApplication::translate(
            "cli", "PLIK1 i PLIK2: standardowe wejście można podać tylko raz");
    return {};
}

int DiffCommand::run(const CliRequest& request, CommandContext& context) const
{
    Console console(context.err(), context.errIsTerminal(), !request.quiet, {});
    return diffImages(request, context.in(), context.out(), console);
}

int diffImages(const CliRequest& request, QIODevice& standardInput, QIODevice& standardOutput,
               Console& console)
{
    const link::ChipRow& chip = *request.chip;
    QByteArray images[2];
    const QString files[2] = {request.file, request.output};
    for (int i = 0; i < 2; ++i) {
        const LoadedImage loaded = loadImageToConvert(files[i], chip, standardInput);
        if (!loaded.ok) {
            console.error(loaded.error);
            return ExitFile;
        }
        if (!loaded.notice.isEmpty() && !request.quiet)
            console.error(loaded.notice);
        images[i] = loaded.bytes;
    }
    const ImageComparison comparison = compareImages(images[0], images[1]);
    if (request.json) {
        QJsonArray list;
        for (const int offset : comparison.offsets)
            list.append(QJsonObject{{QStringLiteral("address"), addressLabel(chip.EepromBase + offset)},
                                    {QStringLiteral("file1"), hexText(byteAt(images[0], offset))},
                                    {QStringLiteral("file2"), hexText(byteAt(images[1], offset))}});
        const QJsonObject object{
            {QStringLiteral("chip"), QString::fromLatin1(chip.name)},
            {QStringLiteral("file1"), files[0]},
            {QStringLiteral("file2"), files[1]},
            {QStringLiteral("crc32_1"), crc32Text(crc32Of(images[0]))},
            {QStringLiteral("crc32_2"), crc32Text(crc32Of(images[1]))},
            {QStringLiteral("differences"), comparison.count},
            {QStringLiteral("list"), list},
        };
        standardOutput.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    } else if (!request.quiet) {
        QByteArray lines;
        for (const int offset : comparison.offsets)
            lines += QStringLiteral("%1  %2  %3\n")
                         .arg(addressLabel(chip.EepromBase + offset), hexText(byteAt(images[0], offset)),
                              hexText(byteAt(images[1], offset)))
                         .toUtf8();
        standardOutput.write(lines);
        console.error(comparison.count == 0
                          ? QCoreApplication::translate("cli", "Pliki zgodne, CRC-32 %1")
                                .arg(crc32Text(crc32Of(images[0])))
                          : QCoreApplication::translate("cli", "Pliki różnią się w %1 bajtach")
                                .arg(comparison.count));
    }
    return comparison.count == 0 ? ExitOk : ExitDifferent;
}

} // namespace kestrel::cli

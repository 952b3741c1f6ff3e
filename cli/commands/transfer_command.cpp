#include "transfer_command.h"

#include "backup_files.h"
#include "command_line.h"
#include "file_names.h"
#include "trace_files.h"
#include "transfer_run.h"

#include <QCoreApplication>

namespace kestrel::cli {

QString TransferCommand::check(const CommandLine& line, const QStringList& positional,
                               CliRequest& r) const
{
    QString error = takeChipTraceAndPorts(line, r);
    if (!error.isEmpty())
        return error;
    if (ports_ == Ports::One && r.ports.size() > 1)
        return onePortOnly(name());
    if (error = traceUsageError(r); !error.isEmpty())
        return error;
    r.verify = line.isSet(Option::Verify);
    if (r.verify && !options().contains(Option::Verify))
        return QCoreApplication::translate("cli", "--verify: tylko z poleceniem program");
    if (error = takeFormat(line, QCoreApplication::translate("cli", "srec, ihex, bin lub elf"), r);
        !error.isEmpty())
        return error;
    if (file_ == File::Written && r.format == FileFormat::Elf)
        return elfNotWritten(QStringLiteral("--format"));
    if (error = line.takeProduction(r); !error.isEmpty())
        return error;
    return checkFile(line, positional, r);
}

// PLIK, then --backup, whose file may not be PLIK.
QString TransferCommand::checkFile(const CommandLine& line, const QStringList& positional,
                                   CliRequest& r) const
{
    if (positional.isEmpty())
        return QCoreApplication::translate("cli", "brak argumentu PLIK");
    if (positional.size() > 1)
        return extraArgument(positional.at(1));
    r.file = positional.first();
    if (r.file.isEmpty())
        return QCoreApplication::translate("cli", "PLIK: pusta nazwa pliku");
    if (file_ == File::Written && !r.format && formatNamedBy(r.file) == FileFormat::Elf)
        return elfNotWritten(QCoreApplication::translate("cli", "PLIK"));
    if (file_ == File::Written && r.json && r.file == QLatin1String("-"))
        return QCoreApplication::translate(
            "cli", "--json: obraz na standardowym wyjściu i JSON wykluczają się");
    if (line.isSet(Option::Backup)) {
        const QStringList backups = line.values(Option::Backup);
        if (backups.size() > 1)
            return QCoreApplication::translate("cli", "--backup: podano więcej niż jedną kopię");
        r.backup = backups.first();
        return backupUsageError(r);
    }
    return {};
}

int TransferCommand::run(const CliRequest& request, CommandContext& context) const
{
    return TransferRun(request, operation(request), context).run();
}

} // namespace kestrel::cli

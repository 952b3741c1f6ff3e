#include "trace_files.h"

#include "backup_files.h"
#include "cli_options.h"
#include "file_names.h"

#include <QCoreApplication>
#include <QSet>

namespace kestrel::cli {

QString traceUsageError(const CliRequest& request)
{
    if (!request.trace)
        return {};
    const QString& pattern = *request.trace;
    switch (request.command) {
    case Command::Read:
    case Command::Program:
    case Command::Verify:
    case Command::Check:
        break;
    default:
        return QCoreApplication::translate(
            "cli", "--trace: tylko z poleceniami read, program, verify i check");
    }
    if (pattern.isEmpty())
        return QCoreApplication::translate("cli", "--trace: pusta nazwa pliku");
    if (request.ports.size() > 1 && !pattern.contains(QStringView(PortPlaceholder)))
        return QCoreApplication::translate(
                   "cli", "--trace: przy kilku portach nazwa pliku musi zawierać %1, "
                          "zastępowane nazwą portu")
            .arg(QStringView(PortPlaceholder));
    QSet<QString> taken;
    for (const QString& file : backupFiles(pattern, request.ports)) {
        const QString resolved = resolvedFilePath(file);
        if (taken.contains(resolved))
            return QCoreApplication::translate(
                       "cli", "--trace: dwa porty zapisałyby przebieg do jednego pliku „%1”")
                .arg(file);
        taken.insert(resolved);
    }
    return {};
}

QString openTraceWriters(const CliRequest& request,
                         std::vector<std::unique_ptr<link::TraceFileWriter>>& out)
{
    out.clear();
    if (!request.trace)
        return {};
    for (const QString& file : backupFiles(*request.trace, request.ports)) {
        auto writer = std::make_unique<link::TraceFileWriter>();
        const bool opened = file == QLatin1String("-") ? writer->openStandardError()
                                                       : writer->open(file);
        if (!opened) {
            const QString error = QStringLiteral("%1: %2").arg(file, writer->error());
            out.clear();
            return error;
        }
        out.push_back(std::move(writer));
    }
    return {};
}

} // namespace kestrel::cli

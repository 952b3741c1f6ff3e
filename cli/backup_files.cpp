#include "backup_files.h"

#include "cli_options.h"

#include "file_names.h"

#include <QCoreApplication>
#include <QHash>

namespace kestrel::cli {

namespace {

bool fileNameSafe(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'.' || c == u'_' || c == u'-';
}

QString placeholder()
{
    return QString::fromUtf16(PortPlaceholder);
}

} // namespace

QString portFileName(const QString& port)
{
    QString out;
    for (const QChar c : port) {
        if (fileNameSafe(c))
            out += c;
        else if (!out.endsWith(u'-'))
            out += u'-';
    }
    qsizetype first = 0;
    qsizetype last = out.size();
    while (first < last && (out[first] == u'-' || out[first] == u'.'))
        ++first;
    while (last > first && (out[last - 1] == u'-' || out[last - 1] == u'.'))
        --last;
    out = out.mid(first, last - first);
    return out.isEmpty() ? QStringLiteral("port") : out;
}

QStringList backupFiles(const QString& pattern, const QStringList& ports)
{
    QStringList names;
    QHash<QString, int> uses;
    for (const QString& port : ports) {
        names << portFileName(port);
        ++uses[names.back()];
    }
    QStringList files;
    for (qsizetype i = 0; i < names.size(); ++i) {
        QString name = names[i];
        if (uses.value(name) > 1)
            name += QStringLiteral("-%1").arg(i + 1);
        files << QString(pattern).replace(placeholder(), name);
    }
    return files;
}

QString backupUsageError(const CliRequest& request)
{
    if (!request.backup)
        return {};
    const QString& pattern = *request.backup;
    if (request.command != Command::Program)
        return QCoreApplication::translate("cli", "--backup: tylko z poleceniem program");
    if (pattern.isEmpty())
        return QCoreApplication::translate("cli", "--backup: pusta nazwa pliku");
    if (pattern == QLatin1String("-"))
        return QCoreApplication::translate(
            "cli", "--backup: kopia trafia do pliku, nie na standardowe wyjście");
    if (request.ports.size() > 1 && !pattern.contains(placeholder()))
        return QCoreApplication::translate(
                   "cli", "--backup: przy kilku portach nazwa kopii musi zawierać %1, "
                          "zastępowane nazwą portu")
            .arg(placeholder());
    // Names are compared as the files they lead to, symbolic links followed.
    const QString programmed =
        request.file == QLatin1String("-") ? QString() : resolvedFilePath(request.file);
    const QStringList files = backupFiles(pattern, request.ports);
    QHash<QString, qsizetype> taken; // a resolved backup file -> its port's place
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString resolved = resolvedFilePath(files[i]);
        if (resolved == programmed)
            return QCoreApplication::translate("cli",
                                               "--backup: kopia zastąpiłaby programowany plik „%1”")
                .arg(request.file);
        if (const auto other = taken.constFind(resolved); other != taken.cend())
            return QCoreApplication::translate(
                       "cli", "--backup: porty „%1” i „%2” zapisałyby kopię do tego samego "
                              "pliku „%3”")
                .arg(request.ports[*other], request.ports[i], files[i]);
        taken.insert(resolved, i);
    }
    return {};
}

} // namespace kestrel::cli

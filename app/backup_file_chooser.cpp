#include "backup_file_chooser.h"

#include "image_commands.h"

#include <QDir>
#include <QFileInfo>

namespace kestrel {

QString backupFileName(const QString& chipName, const QDateTime& time)
{
    return chipName + u'-' + time.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
           QStringLiteral(".bin");
}

QString BackupFileChooser::folder() const
{
    return m_folder.isEmpty() ? QDir::homePath() : m_folder;
}

std::optional<QString> BackupFileChooser::choose(UserDialogs& dialogs, const QString& chipName,
                                                 const QDateTime& now)
{
    QString suggested = QDir(folder()).filePath(backupFileName(chipName, now));
    for (;;) {
        const std::optional<QString> chosen = dialogs.askSaveFile(suggested);
        if (!chosen || chosen->isEmpty())
            return std::nullopt;
        const QFileInfo info(*chosen);
        if (!info.isFile() || dialogs.askOkCancel(overwriteQuestion())) {
            m_folder = info.absolutePath();
            return *chosen;
        }
        suggested = *chosen;
    }
}

} // namespace kestrel

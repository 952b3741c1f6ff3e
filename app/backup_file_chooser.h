#pragma once

#include "user_dialogs.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace kestrel {

// "68HC12B32-20261209-140533.bin": the name proposed for a backup of the chip made at `time`.
[[nodiscard]] QString backupFileName(const QString& chipName, const QDateTime& time);

// Asks for the file a backup before programming goes to. The save dialog proposes
// backupFileName in the folder of the last backup chosen in this run, the home folder at first;
// for an existing file it asks whether to replace it, and anything but OK asks for the name again.
class BackupFileChooser
{
public:
    [[nodiscard]] std::optional<QString> choose(UserDialogs& dialogs, const QString& chipName,
                                                const QDateTime& now);
    [[nodiscard]] QString folder() const;

private:
    QString m_folder; // empty: the home folder
};

} // namespace kestrel

#include "image_commands.h"

#include "image_file.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kestrel {

QString overwriteQuestion()
{
    return QCoreApplication::translate(
        "image", "Plik o podanej nazwie juz istnieje ! Czy zamienic istniejący plik ?");
}

QString readFailedMessage(const QString& path, const QString& reason)
{
    return readFailedHeading() + u'\n' + path + u'\n' + reason;
}

QString writeFailedMessage(const QString& path, const QString& reason)
{
    return writeFailedHeading() + u'\n' + path + u'\n' + reason;
}

LoadCommandResult loadImageCommand(ImageState& state, UserDialogs& dialogs)
{
    const std::optional<OpenChoice> chosen = dialogs.askOpenImage();
    if (!chosen || chosen->path.isEmpty())
        return {};
    return loadImagePath(state, dialogs, chosen->path, chosen->format);
}

LoadCommandResult loadImagePath(ImageState& state, UserDialogs& dialogs, const QString& path,
                                std::optional<ImageFormat> format)
{
    LoadCommandResult result;
    result.path = path;
    const ChipWindow window{state.EepromBase, state.EepromSize};
    ImageLoadResult read;
    dialogs.runLong([&read, path, window, format] { read = loadImageFile(path, window, format); });
    switch (read.status) {
    case ImageReadStatus::NoFile:
        result.outcome = LoadOutcome::NoFile;
        return result;
    case ImageReadStatus::Unreadable:
        dialogs.showMessage(readFailedMessage(result.path, read.reason));
        result.outcome = LoadOutcome::Refused;
        return result;
    case ImageReadStatus::TooLarge:
    case ImageReadStatus::BadLine:
    case ImageReadStatus::BadFile:
    case ImageReadStatus::NoData:
        dialogs.showMessage(refusedContentMessage(read, window));
        result.outcome = LoadOutcome::Refused;
        return result;
    case ImageReadStatus::Ok:
        break;
    }
    storeImageBytes(state, read.bytes);
    result.notice = loadNotice(read, window);
    result.outcome = LoadOutcome::Loaded;
    return result;
}

SaveCommandResult saveImageCommand(const ImageState& state, UserDialogs& dialogs)
{
    SaveCommandResult result;
    QString suggested;
    for (;;) {
        const std::optional<QString> chosen = dialogs.askSaveFile(suggested);
        if (!chosen || chosen->isEmpty()) {
            result.path.clear();
            return result;
        }
        result.path = *chosen;
        if (!QFileInfo(result.path).isFile() || dialogs.askOkCancel(overwriteQuestion()))
            break;
        suggested = result.path;
    }
    return saveImageToPath(state, dialogs, result.path);
}

SaveCommandResult saveImageToPath(const ImageState& state, UserDialogs& dialogs,
                                  const QString& path)
{
    SaveCommandResult result;
    result.path = path;
    const QByteArray file = encodeImage(imageFileBytes(state), formatFromExtension(path),
                                        ChipWindow{state.EepromBase, state.EepromSize});
    const ImageWriteResult written = writeImageFile(path, file);
    if (!written.ok) {
        dialogs.showMessage(writeFailedMessage(path, written.reason));
        result.outcome = SaveOutcome::Failed;
        return result;
    }
    result.outcome = SaveOutcome::Saved;
    return result;
}

} // namespace kestrel

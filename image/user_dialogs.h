#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

// The questions and messages the image commands put to the user. The window implements it with
// its file dialogs and message boxes; tests answer it from a script.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // The open dialog; nothing when cancelled.
    [[nodiscard]] virtual std::optional<QString> askOpenFile() = 0;
    // The save dialog, showing suggested as the name; nothing when cancelled.
    [[nodiscard]] virtual std::optional<QString> askSaveFile(const QString& suggested) = 0;
    // The plain message box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The message box with OK and Cancel; true only for OK.
    [[nodiscard]] virtual bool askOkCancel(const QString& text) = 0;
    // Runs work that may take long (reading a large file) and returns when it is done. The
    // window keeps drawing meanwhile and takes no input; work must not touch the window.
    virtual void runLong(const std::function<void()>& work) { work(); }
};

} // namespace kestrel

#pragma once

#include "image_formats.h"

#include <QString>

#include <functional>
#include <optional>

namespace kestrel {

// An image file chosen in the open dialog.
struct OpenChoice
{
    QString path;
    // The format the chosen file type names; nothing when it leaves the format to the file.
    std::optional<ImageFormat> format;
};

// A line asked for in a small dialog. check gives the reason a text is refused, or an empty
// text for one accepted; the dialog stays open, the reason shown, until a text is accepted.
struct TextQuestion
{
    QString title;
    QString label;
    QString initial;
    std::function<QString(const QString&)> check;
};

// What to find: hex bytes, or text as the character grid shows it.
struct FindQuestion
{
    QString text;
    bool asText = false;
};

// The answers to a question asked before unsaved changes would be lost.
enum class UnsavedAnswer
{
    Save,    // save the buffer first, then go on
    Discard, // go on, the changes lost
    Cancel,  // do nothing
};

// The questions and messages the image commands put to the user. The window implements it with
// its file dialogs and message boxes; tests answer it from a script.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    // The open dialog; nothing when cancelled.
    [[nodiscard]] virtual std::optional<QString> askOpenFile() = 0;
    // The open dialog of the load command: the file and the format of the file type chosen. By
    // default the file of askOpenFile, its format left to the file.
    [[nodiscard]] virtual std::optional<OpenChoice> askOpenImage()
    {
        const std::optional<QString> path = askOpenFile();
        if (!path)
            return std::nullopt;
        return OpenChoice{*path, std::nullopt};
    }
    // The save dialog, showing suggested as the name; nothing when cancelled.
    [[nodiscard]] virtual std::optional<QString> askSaveFile(const QString& suggested) = 0;
    // The plain message box with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // The message box with OK and Cancel; true only for OK.
    [[nodiscard]] virtual bool askOkCancel(const QString& text) = 0;
    // OK and Cancel where OK stops work under way: Cancel is the default. By default askOkCancel.
    [[nodiscard]] virtual bool askStop(const QString& text) { return askOkCancel(text); }
    // Before unsaved changes would be lost: "Zapisz" (the default), "Odrzuć" or "Anuluj". By
    // default askOkCancel, OK discarding.
    [[nodiscard]] virtual UnsavedAnswer askSaveDiscardCancel(const QString& text)
    {
        return askOkCancel(text) ? UnsavedAnswer::Discard : UnsavedAnswer::Cancel;
    }
    // A line of text (an address, a byte value); nothing when cancelled. Front ends without
    // such a dialog answer as cancelled.
    [[nodiscard]] virtual std::optional<QString> askText(const TextQuestion& question)
    {
        (void)question;
        return std::nullopt;
    }
    // What to find, starting from the last search; check as for askText. Nothing when cancelled.
    [[nodiscard]] virtual std::optional<FindQuestion>
    askFind(const FindQuestion& last, const std::function<QString(const FindQuestion&)>& check)
    {
        (void)last;
        (void)check;
        return std::nullopt;
    }
    // Runs work that may take long (reading a large file) and returns when it is done. The
    // window keeps drawing meanwhile and takes no input; work must not touch the window.
    virtual void runLong(const std::function<void()>& work) { work(); }
};

} // namespace kestrel

#pragma once

#include "user_dialogs.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QWidget>

namespace kestrel {

// The image commands' questions as the window's file dialogs and message boxes. When one of them
// closes, the window it came from is active again and the widget that had the keyboard focus
// there has it back, so that typing and the window's shortcuts go on with or without a window
// manager.
class WidgetDialogs : public UserDialogs
{
public:
    explicit WidgetDialogs(QWidget* parent) : m_parent(parent) {}

    // Gets the keyboard focus after a dialog when no widget of the window had it.
    void setFocusHome(QWidget* home) { m_focusHome = home; }

    // Filters of the open dialog; the first is preselected.
    [[nodiscard]] static QStringList openFilters();
    // The format an open dialog's filter names: raw for "Obraz binarny (*.bin)", the record
    // formats and ELF for theirs; nothing for the filters that leave it to the file.
    [[nodiscard]] static std::optional<ImageFormat> openFilterFormat(const QString& filter);
    // Filters of the save dialog; the first is preselected.
    [[nodiscard]] static QStringList saveFilters();
    // The name typed into the save dialog with the chosen filter's extension added when the name
    // has none ("obraz" under "S-record (*.s19)" gives "obraz.s19").
    [[nodiscard]] static QString withFilterExtension(const QString& name, const QString& filter);

    [[nodiscard]] std::optional<QString> askOpenFile() override;
    [[nodiscard]] std::optional<OpenChoice> askOpenImage() override;
    [[nodiscard]] std::optional<QString> askSaveFile(const QString& suggested) override;
    [[nodiscard]] std::optional<QString> askText(const TextQuestion& question) override;
    [[nodiscard]] std::optional<FindQuestion>
    askFind(const FindQuestion& last,
            const std::function<QString(const FindQuestion&)>& check) override;
    void showMessage(const QString& text) override;
    [[nodiscard]] bool askOkCancel(const QString& text) override;
    [[nodiscard]] bool askStop(const QString& text) override;
    [[nodiscard]] UnsavedAnswer askSaveDiscardCancel(const QString& text) override;
    // Work of over 100 ms runs on a thread of its own while the window keeps drawing, with the
    // wait cursor and without input.
    void runLong(const std::function<void()>& work) override;

private:
    [[nodiscard]] bool askOkOrCancel(const QString& text,
                                     QMessageBox::StandardButton defaultButton);

    // Gives the window activation and the keyboard focus back when it goes out of scope; made
    // before the dialog, it goes after it.
    class FocusReturn
    {
    public:
        explicit FocusReturn(const WidgetDialogs& dialogs);
        ~FocusReturn();
        FocusReturn(const FocusReturn&) = delete;
        FocusReturn& operator=(const FocusReturn&) = delete;

    private:
        QPointer<QWidget> m_window;
        QPointer<QWidget> m_focus;
    };

    QWidget* m_parent;
    QPointer<QWidget> m_focusHome;
};

} // namespace kestrel

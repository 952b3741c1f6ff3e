#pragma once

#include "user_dialogs.h"

#include <QStringList>

class QWidget;

namespace kestrel {

// The image commands' questions as the window's file dialogs and message boxes.
class WidgetDialogs : public UserDialogs
{
public:
    explicit WidgetDialogs(QWidget* parent) : m_parent(parent) {}

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
    // Work of over 100 ms runs on a thread of its own while the window keeps drawing, with the
    // wait cursor and without input.
    void runLong(const std::function<void()>& work) override;

private:
    QWidget* m_parent;
};

} // namespace kestrel

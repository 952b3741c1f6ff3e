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

    [[nodiscard]] std::optional<QString> askOpenFile() override;
    [[nodiscard]] std::optional<QString> askSaveFile(const QString& suggested) override;
    void showMessage(const QString& text) override;
    [[nodiscard]] bool askOkCancel(const QString& text) override;

private:
    QWidget* m_parent;
};

} // namespace kestrel

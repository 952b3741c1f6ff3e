#include "widget_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace kestrel {

namespace {

std::optional<QString> chosenFile(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front();
}

} // namespace

QStringList WidgetDialogs::openFilters()
{
    return {QStringLiteral("*.bin (*.bin)"), QStringLiteral("wszystkie (*)")};
}

std::optional<QString> WidgetDialogs::askOpenFile()
{
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Names of files that do not exist are accepted; the load command decides what they mean.
    dialog.setFileMode(QFileDialog::AnyFile);
    // The choices read "*.bin" and "wszystkie", without the patterns repeated.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilters(openFilters());
    dialog.selectNameFilter(openFilters().front());
    return chosenFile(dialog);
}

std::optional<QString> WidgetDialogs::askSaveFile(const QString& suggested)
{
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The save command asks about an existing file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    return chosenFile(dialog);
}

void WidgetDialogs::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    m_parent);
    box.exec();
}

bool WidgetDialogs::askOkCancel(const QString& text)
{
    // No caption of the program's own; closing the box counts as Cancel.
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    m_parent);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

} // namespace kestrel

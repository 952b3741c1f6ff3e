#include "widget_dialogs.h"

#include "line_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <memory>

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

// The open dialog's filters, by their place in openFilters().
enum OpenFilter
{
    AllImages,
    RawImage,
    SRecords,
    IntelHexRecords,
    ElfFile,
    AnyFile,
};

} // namespace

// The window the dialog comes from is the active one (the trace's panel for its save), else the
// dialog's parent.
WidgetDialogs::FocusReturn::FocusReturn(const WidgetDialogs& dialogs)
    : m_window(QApplication::activeWindow())
{
    QWidget* parent = dialogs.m_parent ? dialogs.m_parent->window() : nullptr;
    if (!m_window)
        m_window = parent;
    if (!m_window)
        return;
    m_focus = m_window->focusWidget();
    if (!m_focus && m_window == parent)
        m_focus = dialogs.m_focusHome;
}

// A window manager activates the dialog's parent again when the dialog goes; without one the
// keyboard's input stays where the X server put it, keys typed still reach the widget that had
// the focus, but no window is active, and the window's shortcuts work only in an active window.
WidgetDialogs::FocusReturn::~FocusReturn()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->activateWindow();
    if (m_focus && m_focus->window() == m_window)
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
}

QStringList WidgetDialogs::openFilters()
{
    return {QCoreApplication::translate(
                "app", "Wszystkie obrazy (*.bin *.s19 *.s28 *.s37 *.srec *.mot *.sx *.hex "
                       "*.ihex *.ihx *.elf *.out)"),
            QCoreApplication::translate("app", "Obraz binarny (*.bin)"),
            QStringLiteral("S-record (*.s19 *.s28 *.s37 *.srec *.mot *.sx)"),
            QStringLiteral("Intel HEX (*.hex *.ihex *.ihx)"),
            QStringLiteral("ELF (*.elf *.out)"),
            QCoreApplication::translate("app", "wszystkie (*)")};
}

std::optional<ImageFormat> WidgetDialogs::openFilterFormat(const QString& filter)
{
    switch (openFilters().indexOf(filter)) {
    case RawImage:
        return ImageFormat::Raw;
    case SRecords:
        return ImageFormat::SRecord;
    case IntelHexRecords:
        return ImageFormat::IntelHex;
    case ElfFile:
        return ImageFormat::Elf;
    case AllImages:
    case AnyFile:
    default:
        return std::nullopt;
    }
}

QStringList WidgetDialogs::saveFilters()
{
    return {QStringLiteral("*.bin"), QStringLiteral("S-record (*.s19)"),
            QStringLiteral("Intel HEX (*.hex)")};
}

QString WidgetDialogs::withFilterExtension(const QString& name, const QString& filter)
{
    if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    // The first pattern of the filter, "*.s19" in "S-record (*.s19)".
    static const QRegularExpression FirstPattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = FirstPattern.match(filter);
    if (!match.hasMatch())
        return name;
    // "obraz." has an empty extension of its own: only the dot's extension is added.
    const QString dotted = name.endsWith(u'.') ? name : name + u'.';
    return dotted + match.captured(1);
}

std::optional<QString> WidgetDialogs::askOpenFile()
{
    const std::optional<OpenChoice> chosen = askOpenImage();
    if (!chosen)
        return std::nullopt;
    return chosen->path;
}

std::optional<OpenChoice> WidgetDialogs::askOpenImage()
{
    const FocusReturn back(*this);
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Names of files that do not exist are accepted; the load command decides what they mean.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(openFilters());
    dialog.selectNameFilter(openFilters().front());
    const std::optional<QString> chosen = chosenFile(dialog);
    if (!chosen)
        return std::nullopt;
    return OpenChoice{*chosen, openFilterFormat(dialog.selectedNameFilter())};
}

std::optional<QString> WidgetDialogs::askSaveFile(const QString& suggested)
{
    const FocusReturn back(*this);
    QFileDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The save command asks about an existing file itself.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setNameFilters(saveFilters());
    dialog.selectNameFilter(saveFilters().front());
    if (!suggested.isEmpty()) {
        // The filter of the suggested name's extension, when it has one.
        const QString suffix = QStringLiteral("*.") + QFileInfo(suggested).suffix().toLower();
        for (const QString& filter : saveFilters())
            if (filter.contains(suffix))
                dialog.selectNameFilter(filter);
        dialog.selectFile(suggested);
    }
    const std::optional<QString> chosen = chosenFile(dialog);
    if (!chosen)
        return chosen;
    return withFilterExtension(*chosen, dialog.selectedNameFilter());
}

std::optional<QString> WidgetDialogs::askText(const TextQuestion& question)
{
    const FocusReturn back(*this);
    LineDialog dialog(question.title, question.label, m_parent);
    dialog.setText(question.initial);
    dialog.setCheck([&] { return question.check ? question.check(dialog.text()) : QString(); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}

std::optional<FindQuestion>
WidgetDialogs::askFind(const FindQuestion& last,
                       const std::function<QString(const FindQuestion&)>& check)
{
    const FocusReturn back(*this);
    LineDialog dialog(
        QCoreApplication::translate("app", "Znajdź"),
        QCoreApplication::translate("app", "Szukaj bajtów hex (np. DE AD BE EF) albo tekstu:"),
        m_parent);
    dialog.offerTextMode(last.asText);
    dialog.setText(last.text);
    dialog.setCheck([&] { return check(FindQuestion{dialog.text(), dialog.asText()}); });
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FindQuestion{dialog.text(), dialog.asText()};
}

void WidgetDialogs::showMessage(const QString& text)
{
    const FocusReturn back(*this);
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    m_parent);
    box.exec();
}

void WidgetDialogs::runLong(const std::function<void()>& work)
{
    std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    if (thread->wait(QDeadlineTimer(100)))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    // The thread may have ended between the wait and the connection.
    if (!thread->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    QApplication::restoreOverrideCursor();
}

bool WidgetDialogs::askOkCancel(const QString& text)
{
    return askOkOrCancel(text, QMessageBox::Ok);
}

bool WidgetDialogs::askStop(const QString& text)
{
    // Enter keeps the work going.
    return askOkOrCancel(text, QMessageBox::Cancel);
}

bool WidgetDialogs::askOkOrCancel(const QString& text, QMessageBox::StandardButton defaultButton)
{
    const FocusReturn back(*this);
    // No caption of the program's own; closing the box counts as Cancel.
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok | QMessageBox::Cancel,
                    m_parent);
    box.setDefaultButton(defaultButton);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

UnsavedAnswer WidgetDialogs::askSaveDiscardCancel(const QString& text)
{
    const FocusReturn back(*this);
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::NoButton, m_parent);
    QPushButton* save =
        box.addButton(QCoreApplication::translate("app", "Zapisz"), QMessageBox::AcceptRole);
    QPushButton* discard =
        box.addButton(QCoreApplication::translate("app", "Odrzuć"), QMessageBox::DestructiveRole);
    QPushButton* cancel =
        box.addButton(QCoreApplication::translate("app", "Anuluj"), QMessageBox::RejectRole);
    // Enter saves; Escape and closing the box cancel.
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return UnsavedAnswer::Save;
    return box.clickedButton() == discard ? UnsavedAnswer::Discard : UnsavedAnswer::Cancel;
}

} // namespace kestrel

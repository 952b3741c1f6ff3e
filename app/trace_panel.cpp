#include "trace_panel.h"

#include "atomic_file.h"
#include "user_dialogs.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace kestrel {

TracePanel::TracePanel(std::function<UserDialogs&()> dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_dialogs(std::move(dialogs)), m_text(new QPlainTextEdit(this))
{
    setWindowTitle(QCoreApplication::translate("app", "Dziennik transmisji"));
    setObjectName(QStringLiteral("DziennikTransmisji"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace")));
    auto* save = new QPushButton(QCoreApplication::translate("app", "Zapisz…"), this);
    auto* wipe = new QPushButton(QCoreApplication::translate("app", "Wyczyść"), this);
    connect(save, &QPushButton::clicked, this, &TracePanel::save);
    connect(wipe, &QPushButton::clicked, this, &TracePanel::clear);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(wipe);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(buttons);
    resize(760, 420);
}

void TracePanel::beginTransfer(const QString& title)
{
    const int block = m_text->document()->isEmpty() ? 0 : m_text->document()->blockCount();
    m_text->appendPlainText(QStringLiteral("== ") + title);
    m_starts.push_back(block);
    if (static_cast<int>(m_starts.size()) <= MaxTransfers)
        return;
    // The oldest transfer goes, up to the start of the next one.
    const int cut = m_starts[1];
    QTextCursor cursor(m_text->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.setPosition(m_text->document()->findBlockByNumber(cut).position(),
                       QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_starts.pop_front();
    for (int& start : m_starts)
        start -= cut;
}

void TracePanel::append(const QStringList& lines)
{
    if (!lines.isEmpty())
        m_text->appendPlainText(lines.join(u'\n'));
}

QString TracePanel::text() const
{
    return m_text->toPlainText();
}

void TracePanel::save()
{
    UserDialogs& dialogs = m_dialogs();
    const std::optional<QString> path =
        dialogs.askSaveFile(QCoreApplication::translate("app", "dziennik.txt"));
    if (!path)
        return;
    AtomicFile file(*path);
    const QByteArray bytes = (text() + u'\n').toUtf8();
    if (!file.open() || !file.commit(bytes))
        dialogs.showMessage(
            QCoreApplication::translate("app", "Nie można zapisać dziennika: %1: %2")
                .arg(*path, file.errorString()));
}

QueuedTraceSink::QueuedTraceSink(std::function<void(const QStringList&)> deliver)
    : m_deliver(std::move(deliver))
{
    connect(this, &QueuedTraceSink::wake, this, &QueuedTraceSink::drain, Qt::QueuedConnection);
}

void QueuedTraceSink::lines(const QStringList& lines)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_pending += lines;
        wake = !std::exchange(m_wakePending, true);
    }
    if (wake)
        emit this->wake();
}

void QueuedTraceSink::drain()
{
    QStringList lines;
    {
        std::lock_guard lock(m_mutex);
        lines.swap(m_pending);
        m_wakePending = false;
    }
    if (!lines.isEmpty())
        m_deliver(lines);
}

void TracePanel::clear()
{
    m_text->clear();
    m_starts.clear();
}

} // namespace kestrel

#pragma once

#include "trace_output.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>

class QPlainTextEdit;

namespace kestrel {

class UserDialogs;

// The window's "Dziennik transmisji": the trace of the current and the last transfers (at most
// MaxTransfers), fed by queued calls while a transfer runs, with "Zapisz…" and "Wyczyść".
class TracePanel final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int MaxTransfers = 20;

    TracePanel(std::function<UserDialogs&()> dialogs, QWidget* parent = nullptr);

    // A new transfer's trace starts; the oldest goes when there are more than MaxTransfers.
    void beginTransfer(const QString& title);
    void append(const QStringList& lines);
    [[nodiscard]] QString text() const;
    [[nodiscard]] int transfers() const { return static_cast<int>(m_starts.size()); }

    void save();
    void clear();

private:
    std::function<UserDialogs&()> m_dialogs;
    QPlainTextEdit* m_text;
    std::deque<int> m_starts; // the first block of each transfer kept
};

// Hands a transfer's trace lines from the pump's thread to `deliver`, called on the thread of
// `context` by a queued call; the transfer's thread never waits for the window.
class QueuedTraceSink final : public link::TraceSink
{
public:
    QueuedTraceSink(QObject& context, std::function<void(const QStringList&)> deliver)
        : m_context(context), m_deliver(std::move(deliver))
    {
    }
    void lines(const QStringList& lines) override;

private:
    QObject& m_context;
    std::function<void(const QStringList&)> m_deliver;
};

} // namespace kestrel

#pragma once

#include "trace_output.h"

#include <QStringList>
#include <QWidget>

#include <deque>
#include <functional>
#include <mutex>

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

// Hands a transfer's trace lines from the pump's thread to `deliver` on the thread this object
// lives on: the lines wait in a queue of its own, under its mutex, and a signal without data
// wakes the receiving thread; the transfer's thread never waits for the window.
class QueuedTraceSink final : public QObject, public link::TraceSink
{
    Q_OBJECT
public:
    explicit QueuedTraceSink(std::function<void(const QStringList&)> deliver);
    void lines(const QStringList& lines) override;

signals:
    void wake();

private:
    void drain();

    std::function<void(const QStringList&)> m_deliver;
    std::mutex m_mutex;
    QStringList m_pending;
    bool m_wakePending = false;
};

} // namespace kestrel

#pragma once

#include "transfer_observer.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kestrel {

// Carries a worker's observer calls to the thread of `context`, in order. A call that throws there
// is told as a message and the calls after it still run, finished() among them. showMessage blocks
// the worker until the user closed the message, unless the observer has been silenced (the program
// is closing), in which case messages are dropped and the worker goes on at once.
//
// The calls wait in a queue of this class under its own mutex; Qt's event queue only carries a
// wake-up without data to the context's thread, which then takes the calls out of the queue.
class QueuedObserver final : public link::TransferObserver
{
public:
    // afterFinished runs on the context's thread right after the target's finished(outcome).
    QueuedObserver(QObject* context, link::TransferObserver& target,
                   std::function<void()> afterFinished = {});
    ~QueuedObserver() override;

    void setStatus(const QString& text) override;
    void startPhase(link::Phase phase) override;
    void setProgressMax(int max) override;
    void setProgress(int progress) override;
    void showMessage(const QString& text) override;
    void imageRead(const QByteArray& bytes) override;
    void verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets) override;
    void finished(const link::TransferOutcome& outcome) override;

    // Drops further messages and releases a worker waiting for one to be closed.
    void silence();

private:
    struct Call
    {
        std::function<void()> run;
        bool last = false; // finished(): nothing of this object is touched after it ran
    };

    void post(std::function<void()> run, bool last = false);
    // On the context's thread: runs the queued calls in order.
    void drain();
    void run(const Call& call);

    QPointer<QObject> m_context;
    link::TransferObserver& m_target;
    std::function<void()> m_afterFinished;
    // Lives on the context's thread; its queued signal is the wake-up. Destroying it drops a
    // wake-up still in Qt's queue.
    QObject* m_waker = nullptr;
    std::atomic<bool> m_silenced{false};
    std::mutex m_mutex;
    std::deque<Call> m_calls;   // under m_mutex
    bool m_wakePending = false; // under m_mutex
    std::condition_variable m_messageClosed;
};

} // namespace kestrel

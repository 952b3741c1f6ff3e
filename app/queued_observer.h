#pragma once

#include "transfer_observer.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kestrel {

// Carries a worker's observer calls to the thread of `context`, in order. showMessage blocks the
// worker until the user closed the message, unless the observer has been silenced (the program is
// closing), in which case messages are dropped and the worker goes on at once.
class QueuedObserver final : public link::TransferObserver
{
public:
    // afterFinished runs on the context's thread right after the target's finished().
    QueuedObserver(QObject* context, link::TransferObserver& target,
                   std::function<void()> afterFinished = {});

    void setStatus(const QString& text) override;
    void setGaugeColor(std::uint32_t bgr) override;
    void setGaugeMax(int max) override;
    void setGaugeProgress(int progress) override;
    void showMessage(const QString& text) override;
    void imageRead(const QByteArray& bytes) override;
    void verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets) override;
    void finished() override;

    // Drops further messages and releases a worker waiting for one to be closed.
    void silence();

private:
    template <typename F> void post(F&& call);

    QPointer<QObject> m_context;
    link::TransferObserver& m_target;
    std::function<void()> m_afterFinished;
    std::atomic<bool> m_silenced{false};
    std::mutex m_mutex;
    std::condition_variable m_messageClosed;
};

} // namespace kestrel

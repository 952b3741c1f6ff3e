#include "queued_observer.h"

#include <QMetaObject>
#include <QThread>

#include <memory>

namespace kestrel {

QueuedObserver::QueuedObserver(QObject* context, link::TransferObserver& target,
                               std::function<void()> afterFinished)
    : m_context(context), m_target(target), m_afterFinished(std::move(afterFinished))
{
}

template <typename F> void QueuedObserver::post(F&& call)
{
    if (m_context)
        QMetaObject::invokeMethod(m_context, std::forward<F>(call), Qt::QueuedConnection);
}

void QueuedObserver::setStatus(const QString& text)
{
    post([this, text] { m_target.setStatus(text); });
}

void QueuedObserver::setGaugeColor(std::uint32_t bgr)
{
    post([this, bgr] { m_target.setGaugeColor(bgr); });
}

void QueuedObserver::setGaugeMax(int max)
{
    post([this, max] { m_target.setGaugeMax(max); });
}

void QueuedObserver::setGaugeProgress(int progress)
{
    post([this, progress] { m_target.setGaugeProgress(progress); });
}

void QueuedObserver::showMessage(const QString& text)
{
    if (m_silenced || !m_context)
        return;
    if (QThread::currentThread() == m_context->thread()) {
        m_target.showMessage(text);
        return;
    }
    // Everything posted before runs first: the queue keeps the order. The worker waits until the
    // user closed the message, or until the observer is silenced.
    auto closed = std::make_shared<bool>(false);
    post([this, text, closed] {
        if (!m_silenced)
            m_target.showMessage(text);
        {
            std::lock_guard lock(m_mutex);
            *closed = true;
        }
        m_messageClosed.notify_all();
    });
    std::unique_lock lock(m_mutex);
    m_messageClosed.wait(lock, [this, &closed] { return *closed || m_silenced; });
}

void QueuedObserver::silence()
{
    {
        std::lock_guard lock(m_mutex);
        m_silenced = true;
    }
    m_messageClosed.notify_all();
}

void QueuedObserver::imageRead(const QByteArray& bytes)
{
    post([this, bytes] { m_target.imageRead(bytes); });
}

void QueuedObserver::verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets)
{
    post([this, chipBytes, differingOffsets] { m_target.verified(chipBytes, differingOffsets); });
}

void QueuedObserver::finished()
{
    post([this] {
        m_target.finished();
        if (m_afterFinished)
            m_afterFinished();
    });
}

} // namespace kestrel

#include "queued_observer.h"

#include "messages.h"

#include <QCoreApplication>
#include <QThread>

#include <exception>

#include <utility>

namespace kestrel {

namespace {

// Wakes the context's thread. The signal carries no data: whatever a worker hands over travels
// through QueuedObserver's own queue, under its mutex.
class Waker final : public QObject
{
    Q_OBJECT
public:
    explicit Waker(std::function<void()> onWake) : m_onWake(std::move(onWake))
    {
        connect(this, &Waker::wake, this, &Waker::woken, Qt::QueuedConnection);
    }

signals:
    void wake();

private:
    void woken() { m_onWake(); }

    std::function<void()> m_onWake;
};

} // namespace

QueuedObserver::QueuedObserver(QObject* context, link::TransferObserver& target,
                               std::function<void()> afterFinished)
    : m_context(context), m_target(target), m_afterFinished(std::move(afterFinished))
{
    m_waker = new Waker([this] { drain(); });
    if (context && context->thread() != m_waker->thread())
        m_waker->moveToThread(context->thread());
}

QueuedObserver::~QueuedObserver()
{
    // On the context's thread, with the worker gone: a wake-up still queued goes with it.
    delete m_waker;
}

void QueuedObserver::post(std::function<void()> run, bool last)
{
    if (!m_context)
        return;
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back({std::move(run), last});
        wake = !std::exchange(m_wakePending, true);
    }
    if (wake)
        emit static_cast<Waker*>(m_waker)->wake();
}

void QueuedObserver::drain()
{
    for (;;) {
        if (!m_context)
            return;
        Call call;
        {
            std::lock_guard lock(m_mutex);
            if (m_calls.empty()) {
                m_wakePending = false;
                return;
            }
            call = std::move(m_calls.front());
            m_calls.pop_front();
        }
        // The last call may end this object's life (the next transfer replaces it).
        const bool last = call.last;
        run(call);
        if (last)
            return;
    }
}

void QueuedObserver::run(const Call& call)
{
    QString error;
    try {
        call.run();
        return;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        error = QCoreApplication::translate("app", "nieznany wyjątek");
    }
    try {
        if (!m_silenced)
            m_target.showMessage(link::internalErrorMessage(error));
    } catch (...) {
    }
}

void QueuedObserver::setStatus(const QString& text)
{
    post([this, text] { m_target.setStatus(text); });
}

void QueuedObserver::startPhase(link::Phase phase)
{
    post([this, phase] { m_target.startPhase(phase); });
}

void QueuedObserver::setProgressMax(int max)
{
    post([this, max] { m_target.setProgressMax(max); });
}

void QueuedObserver::setProgress(int progress)
{
    post([this, progress] { m_target.setProgress(progress); });
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
        // The worker is released however the message ends, a throw included.
        struct Release
        {
            QueuedObserver& self;
            std::shared_ptr<bool> closed;
            ~Release()
            {
                {
                    std::lock_guard lock(self.m_mutex);
                    *closed = true;
                }
                self.m_messageClosed.notify_all();
            }
        } release{*this, closed};
        if (!m_silenced)
            m_target.showMessage(text);
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

// Byte arrays cross to the window's thread as copies of their own, never shared with the
// worker's.
void QueuedObserver::imageRead(const QByteArray& bytes)
{
    post([this, copy = QByteArray(bytes.constData(), bytes.size())] { m_target.imageRead(copy); });
}

void QueuedObserver::verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets)
{
    post([this, copy = QByteArray(chipBytes.constData(), chipBytes.size()), differingOffsets] {
        m_target.verified(copy, differingOffsets);
    });
}

void QueuedObserver::finished(const link::TransferOutcome& outcome)
{
    link::TransferOutcome copy = outcome;
    copy.chipBytes = QByteArray(outcome.chipBytes.constData(), outcome.chipBytes.size());
    // Two calls, so that afterFinished runs even when the target's finished() throws.
    post([this, copy = std::move(copy)] { m_target.finished(copy); });
    post(
        [this] {
            // A copy: afterFinished may destroy this observer.
            const std::function<void()> after = m_afterFinished;
            if (after)
                after();
        },
        true);
}

} // namespace kestrel

#include "queued_observer.moc"

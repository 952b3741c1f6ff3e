#include "transfer_runner.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace kestrel {

TransferRunner::TransferRunner(QObject* context, link::TransferObserver& target, QObject* parent)
    : QObject(parent), m_context(context), m_target(target)
{
}

TransferRunner::~TransferRunner()
{
    // A worker waiting for a message to be closed is released first.
    if (m_thread.running()) {
        requestCancel();
        m_thread.join();
    }
}

bool TransferRunner::start(link::WorkerRoutine routine, const link::ChipRow& chip,
                           ClockFactory makeClock, LineFactory makeLine, const QString& portName,
                           const QByteArray& image, const QString& backupPath)
{
    if (m_thread.running() || routine == nullptr)
        return false;
    m_queued = std::make_unique<QueuedObserver>(m_context, m_target, [this] { onFinished(); });
    link::TransferJob job{routine,  &chip,     portName, image, backupPath, std::move(makeClock),
                          std::move(makeLine), m_traceSink};
    return m_thread.start(std::move(job), *m_queued);
}

void TransferRunner::requestCancel()
{
    m_thread.requestCancel();
    if (m_queued)
        m_queued->silence();
}

void TransferRunner::onFinished()
{
    // finished() is the worker's last call: the thread ends right after it.
    m_thread.join();
    emit transferFinished(lastResult());
}

bool TransferRunner::waitFinished(int timeoutMs)
{
    if (!m_thread.running())
        return true;
    const QDeadlineTimer deadline(timeoutMs);
    const auto pump = [] { QCoreApplication::processEvents(); };
    if (!m_thread.waitEnded(timeoutMs, pump))
        return false;
    // finished() was queued before the worker ended: it is among the events waiting here.
    while (m_thread.running() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return !m_thread.running();
}

} // namespace kestrel

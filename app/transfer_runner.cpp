#include "transfer_runner.h"

#include <QEventLoop>
#include <QTimer>

namespace kestrel {

TransferRunner::TransferRunner(QObject* context, link::TransferObserver& target, QObject* parent)
    : QObject(parent), m_context(context), m_target(target)
{
}

TransferRunner::~TransferRunner()
{
    if (m_thread.joinable()) {
        requestCancel();
        m_thread.join();
    }
}

bool TransferRunner::start(link::WorkerRoutine routine, const link::ChipRow& chip,
                           ClockFactory makeClock, LineFactory makeLine, const QString& portName,
                           const EepromBufferType& image, const QString& backupPath)
{
    if (m_thread.joinable() || routine == nullptr)
        return false;
    m_cancel = false;
    m_queued = std::make_unique<QueuedObserver>(m_context, m_target, [this] { onFinished(); });
    link::TransferObserver* observer = m_queued.get();
    const link::ChipRow* row = &chip;
    link::TraceSink* sink = m_traceSink;
    m_thread = std::thread([this, routine, row, makeLine = std::move(makeLine),
                            makeClock = std::move(makeClock), portName, image, backupPath,
                            observer, sink] {
        std::unique_ptr<link::Clock> clock = makeClock();
        std::unique_ptr<link::SerialLine> line = makeLine(*clock);
        // The trace: bytes stamped as they pass, formatted and handed on by the pump's thread.
        link::TracedLine traced(*line, *clock, sink);
        link::TransferContext ctx{traced.line(), *clock, *observer, portName,
                                  image,         &m_cancel, row};
        ctx.backupPath = backupPath;
        m_result = link::runTransfer(routine, ctx);
    });
    return true;
}

void TransferRunner::requestCancel()
{
    m_cancel = true;
    if (m_queued)
        m_queued->silence();
}

void TransferRunner::onFinished()
{
    // finished() is the worker's last call: the thread ends right after it.
    if (m_thread.joinable())
        m_thread.join();
    m_lastResult = m_result;
    emit transferFinished(m_lastResult);
}

bool TransferRunner::waitFinished(int timeoutMs)
{
    if (!m_thread.joinable())
        return true;
    QEventLoop loop;
    connect(this, &TransferRunner::transferFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !m_thread.joinable();
}

} // namespace kestrel

#pragma once

#include "queued_observer.h"
#include "transfer_thread.h"

#include <QObject>

#include <memory>

namespace kestrel {

// The window's transfers: one at a time on link::TransferThread, whose observer calls reach
// `target` on the thread of `context`, in order. The thread is joined once its last call
// (finished) has arrived there, so no running thread is ever destroyed.
class TransferRunner final : public QObject
{
    Q_OBJECT
public:
    using ClockFactory = link::ClockFactory;
    using LineFactory = link::LineFactory;

    TransferRunner(QObject* context, link::TransferObserver& target, QObject* parent = nullptr);
    ~TransferRunner() override;

    // Starts `routine` unless a transfer runs already. The clock and the line are made on the
    // worker's thread, which then owns them. image: the chip's EEPROM bytes; backupPath: the
    // backup workers' file.
    [[nodiscard]] bool start(link::WorkerRoutine routine, const link::ChipRow& chip,
                             ClockFactory makeClock, LineFactory makeLine, const QString& portName,
                             const QByteArray& image, const QString& backupPath = {});
    [[nodiscard]] bool running() const { return m_thread.running(); }
    // Where the trace of the line goes from the next start on, from a thread of its own; nullptr:
    // not traced. The sink must outlive every transfer started.
    void setTraceSink(link::TraceSink* sink) { m_traceSink = sink; }

    // Asks the worker to stop at the next frame boundary; its messages are no longer shown.
    void requestCancel();
    // Processes events until the running transfer has ended here or timeoutMs passed. True if
    // ended.
    [[nodiscard]] bool waitFinished(int timeoutMs);

    [[nodiscard]] link::TransferResult lastResult() const { return m_thread.outcome().result; }

signals:
    void transferFinished(kestrel::link::TransferResult result);

private:
    void onFinished();

    QObject* m_context;
    link::TransferObserver& m_target;
    std::unique_ptr<QueuedObserver> m_queued;
    link::TraceSink* m_traceSink = nullptr;
    link::TransferThread m_thread;
};

} // namespace kestrel

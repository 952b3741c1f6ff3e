#pragma once

#include "queued_observer.h"
#include "trace_output.h"
#include "workers.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace kestrel {

// Runs one transfer at a time on a thread of its own, and ends it with exactly one finished()
// whether the worker returns or throws (link::runTransfer). The worker's observer calls reach
// `target` on the thread of `context`, in order; the thread is joined once its last call (finished)
// has arrived there, so no running thread is ever destroyed.
class TransferRunner final : public QObject
{
    Q_OBJECT
public:
    using ClockFactory = std::function<std::unique_ptr<link::Clock>()>;
    using LineFactory = std::function<std::unique_ptr<link::SerialLine>(link::Clock&)>;

    TransferRunner(QObject* context, link::TransferObserver& target, QObject* parent = nullptr);
    ~TransferRunner() override;

    // Starts `routine` unless a transfer runs already. The clock and the line are made on the
    // worker's thread, which then owns them. backupPath is the backup workers' file.
    [[nodiscard]] bool start(link::WorkerRoutine routine, const link::ChipRow& chip,
                             ClockFactory makeClock, LineFactory makeLine, const QString& portName,
                             const EepromBufferType& image, const QString& backupPath = {});
    [[nodiscard]] bool running() const { return m_thread.joinable(); }
    // Where the trace of the line goes from the next start on, from a thread of its own; nullptr:
    // not traced. The sink must outlive every transfer started.
    void setTraceSink(link::TraceSink* sink) { m_traceSink = sink; }

    // Asks the worker to stop at the next frame boundary; its messages are no longer shown.
    void requestCancel();
    // Processes events until the running transfer has ended or timeoutMs passed. True if ended.
    [[nodiscard]] bool waitFinished(int timeoutMs);

    [[nodiscard]] link::TransferResult lastResult() const { return m_lastResult; }

signals:
    void transferFinished(kestrel::link::TransferResult result);

private:
    void onFinished();

    QObject* m_context;
    link::TransferObserver& m_target;
    std::unique_ptr<QueuedObserver> m_queued;
    link::TraceSink* m_traceSink = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<link::TransferResult> m_result{link::TransferResult::Done};
    link::TransferResult m_lastResult = link::TransferResult::Done;
};

} // namespace kestrel

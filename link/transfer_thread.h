#pragma once

#include "trace_output.h"
#include "workers.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kestrel::link {

using ClockFactory = std::function<std::unique_ptr<Clock>()>;
// Called on the transfer's thread with that thread's clock.
using LineFactory = std::function<std::unique_ptr<SerialLine>(Clock&)>;

// One transfer: the worker, the chip and port it serves, and what it runs with.
struct TransferJob
{
    WorkerRoutine routine = nullptr;
    const ChipRow* chip = nullptr;
    QString portName;
    QByteArray image;   // the chip's EEPROM bytes, for programming and verifying
    QString backupPath; // the backup workers' file
    ClockFactory makeClock;
    LineFactory makeLine;
    TraceSink* trace = nullptr; // where the line's trace goes; nullptr: not traced
    // A stop shared with other transfers (a signal); nullptr: the thread's own flag.
    std::atomic<bool>* cancel = nullptr;
};

// Runs one transfer at a time on a thread of its own, which makes the clock and the line and
// owns them. The worker's calls reach the observer on that thread, finished(outcome) last and
// exactly once, whether the worker returned or threw; a transfer stopped before it began runs no
// worker and ends Cancelled.
class TransferThread
{
public:
    TransferThread() = default;
    // Asks a running transfer to stop and joins it.
    ~TransferThread();
    TransferThread(const TransferThread&) = delete;
    TransferThread& operator=(const TransferThread&) = delete;

    // False while a transfer runs (started and not joined) or without a worker.
    [[nodiscard]] bool start(TransferJob job, TransferObserver& observer);
    // Stops the worker at its next frame boundary.
    void requestCancel();
    [[nodiscard]] bool running() const { return thread_.joinable(); }
    // The worker has told finished() and its thread is ending.
    [[nodiscard]] bool ended() const { return ended_.load(); }
    // Waits until the transfer has ended or timeoutMs passed, calling pump (a front end
    // delivering what the worker queued for it) at least every 5 ms. True once ended; a transfer
    // that was never started has ended.
    [[nodiscard]] bool waitEnded(int timeoutMs, const std::function<void()>& pump = {});
    // Waits for the transfer's thread to end; its outcome. Nothing to wait for once joined.
    const TransferOutcome& join();
    // After join(): how the last transfer ended, and how long its thread ran.
    [[nodiscard]] const TransferOutcome& outcome() const { return outcome_; }
    [[nodiscard]] std::chrono::steady_clock::duration elapsed() const { return elapsed_; }

private:
    void run(TransferJob job, TransferObserver& observer);

    std::thread thread_;
    std::atomic<bool> ownCancel_{false};
    std::atomic<bool>* cancel_ = &ownCancel_;
    std::atomic<bool> ended_{true};
    std::mutex mutex_;
    std::condition_variable endedChanged_;
    TransferOutcome outcome_;
    std::chrono::steady_clock::duration elapsed_{};
};

} // namespace kestrel::link

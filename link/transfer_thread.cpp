#include "transfer_thread.h"

#include <algorithm>

namespace kestrel::link {

TransferThread::~TransferThread()
{
    if (running()) {
        requestCancel();
        join();
    }
}

bool TransferThread::start(TransferJob job, TransferObserver& observer)
{
    if (running() || job.routine == nullptr)
        return false;
    ownCancel_ = false;
    cancel_ = job.cancel != nullptr ? job.cancel : &ownCancel_;
    job.cancel = cancel_;
    ended_ = false;
    thread_ = std::thread([this, job = std::move(job), &observer]() mutable {
        run(std::move(job), observer);
    });
    return true;
}

void TransferThread::run(TransferJob job, TransferObserver& observer)
{
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<Clock> clock = job.makeClock();
    std::unique_ptr<SerialLine> line = job.makeLine(*clock);
    TransferOutcome outcome;
    outcome.result = TransferResult::Cancelled;
    if (job.cancel->load()) {
        observer.finished(outcome);
    } else {
        // The trace: bytes stamped as they pass, formatted and handed on by the pump's thread.
        TracedLine traced(*line, *clock, job.trace);
        TransferContext ctx{traced.line(), *clock, observer,   job.portName,
                            job.image,     job.cancel, job.chip};
        ctx.backupPath = job.backupPath;
        runTransfer(job.routine, ctx);
        outcome = std::move(ctx.outcome);
    }
    {
        std::lock_guard lock(mutex_);
        outcome_ = std::move(outcome);
        elapsed_ = std::chrono::steady_clock::now() - started;
        ended_ = true;
    }
    endedChanged_.notify_all();
}

void TransferThread::requestCancel()
{
    cancel_->store(true);
}

bool TransferThread::waitEnded(int timeoutMs, const std::function<void()>& pump)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (pump)
            pump();
        std::unique_lock lock(mutex_);
        if (ended_)
            return true;
        const auto now = steady_clock::now();
        if (now >= deadline)
            return false;
        endedChanged_.wait_until(lock, std::min(deadline, now + milliseconds(5)));
    }
}

const TransferOutcome& TransferThread::join()
{
    if (thread_.joinable())
        thread_.join();
    return outcome_;
}

} // namespace kestrel::link

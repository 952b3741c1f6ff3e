#include "port_job.h"

#include "exit_codes.h"

#include <chrono>

namespace kestrel::cli {

namespace {

// Carries one step's observer calls to the console and the outcome, on the job's thread.
class StepObserver final : public link::TransferObserver
{
public:
    StepObserver(const PortJob::Setup& setup, PortOutcome& outcome)
        : setup_(setup), outcome_(outcome)
    {
    }

    void setStatus(const QString&) override {}
    void startPhase(link::Phase phase) override
    {
        if (setup_.console != nullptr)
            setup_.console->startPhase(setup_.index, consolePhase(phase));
    }
    void setProgressMax(int max) override
    {
        if (setup_.console != nullptr)
            setup_.console->setMax(setup_.index, max);
    }
    void setProgress(int progress) override
    {
        if (setup_.console != nullptr)
            setup_.console->setProgress(setup_.index, progress);
    }
    void showMessage(const QString& text) override
    {
        outcome_.messages << text;
        if (setup_.showMessages && setup_.console != nullptr)
            setup_.console->portMessage(setup_.index, text);
    }
    void imageRead(const QByteArray& bytes) override { outcome_.image = bytes; }
    void verified(const QByteArray& chipBytes, const std::vector<int>& differingOffsets) override
    {
        outcome_.image = chipBytes;
        outcome_.differingOffsets = differingOffsets;
    }
    void finished() override
    {
        if (setup_.console != nullptr)
            setup_.console->endPort(setup_.index);
    }

private:
    const PortJob::Setup& setup_;
    PortOutcome& outcome_;
};

} // namespace

PortJob::PortJob(Setup setup) : setup_(std::move(setup))
{
    outcome_.port = setup_.port;
    outcome_.backupFile = setup_.backupFile;
}

PortJob::~PortJob()
{
    join();
}

void PortJob::start()
{
    thread_ = std::thread([this] { run(); });
}

void PortJob::join()
{
    if (thread_.joinable())
        thread_.join();
}

void PortJob::run()
{
    const auto started = std::chrono::steady_clock::now();
    std::unique_ptr<link::Clock> clock = setup_.makeClock();
    std::unique_ptr<link::SerialLine> line = setup_.makeLine(setup_.index, setup_.port, *clock);
    if (setup_.cancel != nullptr && setup_.cancel->load()) {
        outcome_.result = link::TransferResult::Cancelled;
    } else {
        link::TracedLine traced(*line, *clock, setup_.trace);
        StepObserver observer(setup_, outcome_);
        link::TransferContext ctx{traced.line(), *clock,        observer,   setup_.port,
                                  setup_.image,  setup_.cancel, setup_.chip};
        ctx.backupPath = setup_.backupFile;
        outcome_.result = link::runTransfer(setup_.routine, ctx);
        outcome_.backupWritten = ctx.backupWritten;
    }
    // A verify that found differences compared every byte all the same.
    const bool whole = outcome_.result == link::TransferResult::Done ||
                       outcome_.result == link::TransferResult::Mismatch;
    outcome_.bytes = whole ? setup_.chip->EepromSize : 0;
    outcome_.exitCode = exitCodeFor(outcome_.result);
    outcome_.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    done_ = true;
}

} // namespace kestrel::cli

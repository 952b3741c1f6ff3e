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
    void imageRead(const QByteArray&) override {}
    void finished(const link::TransferOutcome&) override
    {
        if (setup_.console != nullptr)
            setup_.console->endPort(setup_.index);
    }

private:
    const PortJob::Setup& setup_;
    PortOutcome& outcome_;
};

} // namespace

PortJob::PortJob(Setup setup)
    : setup_(std::move(setup)), observer_(std::make_unique<StepObserver>(setup_, outcome_))
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
    const int index = setup_.index;
    const QString port = setup_.port;
    link::LineFactory makeLine = [makeLine = setup_.makeLine, index, port](link::Clock& clock) {
        return makeLine(index, port, clock);
    };
    link::TransferJob job{setup_.routine, setup_.chip,      setup_.port, setup_.image,
                          setup_.backupFile, setup_.makeClock, std::move(makeLine), setup_.trace,
                          setup_.cancel};
    (void)thread_.start(std::move(job), *observer_);
}

void PortJob::join()
{
    if (!thread_.running())
        return;
    const link::TransferOutcome& ended = thread_.join();
    outcome_.result = ended.result;
    outcome_.backupWritten = ended.backupWritten;
    if (!ended.chipBytes.isEmpty())
        outcome_.image = ended.chipBytes;
    outcome_.differingOffsets = ended.differingOffsets;
    // A verify that found differences compared every byte all the same.
    const bool whole = outcome_.result == link::TransferResult::Done ||
                       outcome_.result == link::TransferResult::Mismatch;
    outcome_.bytes = whole ? setup_.chip->EepromSize : 0;
    outcome_.exitCode = exitCodeFor(outcome_.result);
    outcome_.seconds = std::chrono::duration<double>(thread_.elapsed()).count();
}

} // namespace kestrel::cli

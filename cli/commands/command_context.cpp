#include "command_context.h"

#include "backup_files.h"
#include "exit_codes.h"
#include "progress.h"
#include "real_clock.h"
#include "standard_output.h"
#include "trace_files.h"
#include "transports.h"

#include <algorithm>

namespace kestrel::cli {

CommandContext::CommandContext(CliEnvironment env) : env_(std::move(env))
{
    if (env_.cancel == nullptr)
        env_.cancel = &ownCancel_;
    if (!env_.makeClock)
        env_.makeClock = [] { return std::unique_ptr<link::Clock>(new link::RealClock); };
    checkedOut_ = std::make_unique<CheckedOutput>(*env_.out, *env_.err);
    env_.out = checkedOut_.get();
}

CommandContext::~CommandContext() = default;

bool CommandContext::outputFailed() const
{
    return checkedOut_->failed();
}

std::vector<link::SerialPortEntry> CommandContext::machinePorts() const
{
    return env_.machinePorts ? env_.machinePorts() : link::machineSerialPorts();
}

LineFactory CommandContext::lineFactory(const CliRequest& request) const
{
    if (env_.makeLine)
        return env_.makeLine;
    // Each SYMULATOR port an adapter of its own, erased at the start of the run: see the
    // transport main() registers.
    const std::string_view chipName = request.chip->name;
    return [chipName](int index, const QString& port, link::Clock& clock) {
        return link::Transports::program().makeLine({port, chipName, index}, clock);
    };
}

QString CommandContext::openTraces(const CliRequest& request)
{
    if (request.trace)
        traceNames_ = backupFiles(*request.trace, request.ports);
    return openTraceWriters(request, traces_);
}

link::TraceFileWriter* CommandContext::trace(std::size_t port) const
{
    return port < traces_.size() ? traces_[port].get() : nullptr;
}

int CommandContext::traceErrors(int exitCode, Console& console) const
{
    for (std::size_t i = 0; i < traces_.size(); ++i) {
        if (traces_[i]->error().isEmpty())
            continue;
        console.error(
            QStringLiteral("%1: %2").arg(traceNames_.value(qsizetype(i)), traces_[i]->error()));
        exitCode = std::max(exitCode, int(ExitFile));
    }
    return exitCode;
}

} // namespace kestrel::cli

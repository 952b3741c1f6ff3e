#pragma once

#include "serial_ports.h"

#include "cli_options.h"
#include "port_job.h"
#include "trace_output.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QIODevice;

namespace kestrel::cli {

class CheckedOutput;
class Console;

// Where a run reads and writes, and what it talks to. main() gives the process's streams and the
// real clock, and registers the program's transports; tests give buffers, a virtual clock and
// their own lines.
struct CliEnvironment
{
    QIODevice* in = nullptr;
    QIODevice* out = nullptr;
    QIODevice* err = nullptr;
    bool errIsTerminal = false;
    // Set (by a signal) to stop every transfer at its next frame boundary.
    std::atomic<bool>* cancel = nullptr;
    ClockFactory makeClock; // default: the real clock
    LineFactory makeLine;   // default: the program's transports, as the window's lines
    // This machine's serial ports; default: looked up now.
    std::function<std::vector<link::SerialPortEntry>()> machinePorts;
};

// What a command runs with: the environment, standard output checked on every write, the
// --trace files of its ports, and what its ports did.
class CommandContext
{
public:
    explicit CommandContext(CliEnvironment env);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    [[nodiscard]] QIODevice& in() const { return *env_.in; }
    [[nodiscard]] QIODevice& out() const { return *env_.out; }
    [[nodiscard]] QIODevice& err() const { return *env_.err; }
    [[nodiscard]] bool errIsTerminal() const { return env_.errIsTerminal; }
    [[nodiscard]] std::atomic<bool>* cancelFlag() const { return env_.cancel; }
    [[nodiscard]] bool cancelled() const { return env_.cancel->load(); }
    [[nodiscard]] const ClockFactory& makeClock() const { return env_.makeClock; }
    [[nodiscard]] LineFactory lineFactory(const CliRequest& request) const;
    [[nodiscard]] std::vector<link::SerialPortEntry> machinePorts() const;
    // Whether a write to standard output failed.
    [[nodiscard]] bool outputFailed() const;

    [[nodiscard]] std::vector<PortOutcome>& outcomes() { return outcomes_; }

    // Creates the request's --trace files, one per port, before any chip is touched; the message
    // for "kestrel-cli: ..." when one cannot be created.
    [[nodiscard]] QString openTraces(const CliRequest& request);
    // The trace of a port, or none.
    [[nodiscard]] link::TraceFileWriter* trace(std::size_t port) const;
    // The traces' write errors, told; ExitFile at least when there was one.
    [[nodiscard]] int traceErrors(int exitCode, Console& console) const;

private:
    CliEnvironment env_;
    std::unique_ptr<CheckedOutput> checkedOut_; // env_.out goes through it
    std::vector<PortOutcome> outcomes_;
    std::vector<std::unique_ptr<link::TraceFileWriter>> traces_; // --trace, one per port
    QStringList traceNames_;
    std::atomic<bool> ownCancel_{false};
};

} // namespace kestrel::cli

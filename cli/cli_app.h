#pragma once

#include "serial_ports.h"

#include "cli_options.h"
#include "port_job.h"
#include "trace_output.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class QIODevice;

namespace kestrel::cli {

class CheckedOutput;
class Console;
class ImageOutput;
class ProductionRun;

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

// One run of kestrel-cli: parses the arguments, runs the command, prints what it has to say and
// returns the exit code.
class CliApp
{
public:
    explicit CliApp(CliEnvironment env);
    ~CliApp();
    CliApp(const CliApp&) = delete;
    CliApp& operator=(const CliApp&) = delete;

    [[nodiscard]] int run(const QStringList& arguments);
    [[nodiscard]] int run(const CliRequest& request);

    // A run whose standard output failed ends with a file error (ExitFile at least).

    // The outcomes of the last run's ports.
    [[nodiscard]] const std::vector<PortOutcome>& outcomes() const { return outcomes_; }

private:
    [[nodiscard]] int runArguments(const QStringList& arguments);
    [[nodiscard]] int runRequest(const CliRequest& request);
    [[nodiscard]] int withOutputChecked(int exitCode) const;
    [[nodiscard]] int listChips(const CliRequest& request);
    [[nodiscard]] int listPorts(const CliRequest& request);
    // A transfer command, in its steps: the file, the ports, a read's file, the report.
    [[nodiscard]] int runTransfers(const CliRequest& request);
    [[nodiscard]] int prepareFile(const CliRequest& request, Console& console,
                                  QByteArray& fileBytes, std::unique_ptr<ImageOutput>& output);
    [[nodiscard]] int runPorts(const CliRequest& request, const ProductionRun& production,
                               Console& console);
    [[nodiscard]] int commitRead(ImageOutput& output, Console& console);
    // kestrel-cli check (check_command.cpp).
    [[nodiscard]] int runCheck(const CliRequest& request);
    // The traces' write errors, told; ExitFile at least when there was one.
    [[nodiscard]] int traceErrors(int exitCode, Console& console) const;
    [[nodiscard]] LineFactory lineFactory(const CliRequest& request) const;
    void report(const CliRequest& request, int exitCode, Console& console);
    [[nodiscard]] bool cancelled() const;
    void writeOut(const QByteArray& bytes);

    CliEnvironment env_;
    std::unique_ptr<CheckedOutput> checkedOut_; // env_.out goes through it
    std::vector<PortOutcome> outcomes_;
    std::vector<std::unique_ptr<link::TraceFileWriter>> traces_; // --trace, one per port
    QStringList traceNames_;
    std::atomic<bool> ownCancel_{false};
};

} // namespace kestrel::cli

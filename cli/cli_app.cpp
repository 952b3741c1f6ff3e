#include "cli_app.h"

#include "trace_files.h"

#include "backup_files.h"
#include "convert_command.h"
#include "diff_command.h"
#include "exit_codes.h"
#include "image_io.h"
#include "production_run.h"
#include "progress.h"
#include "real_clock.h"
#include "report.h"
#include "standard_output.h"
#include "transports.h"

#include <QIODevice>

#include <algorithm>
#include <chrono>
#include <thread>

namespace kestrel::cli {

namespace {

// How often the main thread looks at the ports, and how often a terminal's progress is redrawn.
constexpr auto PollInterval = std::chrono::milliseconds(20);
constexpr int PollsPerRedraw = 5;

QString operationName(const CliRequest& request)
{
    if (request.command == Command::Program && request.verify)
        return QStringLiteral("program+verify");
    return commandName(request.command);
}

QString interruptedMessage()
{
    return QStringLiteral("Przerwano na żądanie (sygnał)");
}

} // namespace

CliApp::CliApp(CliEnvironment env) : env_(std::move(env))
{
    if (env_.cancel == nullptr)
        env_.cancel = &ownCancel_;
    if (!env_.makeClock)
        env_.makeClock = [] { return std::unique_ptr<link::Clock>(new link::RealClock); };
    checkedOut_ = std::make_unique<CheckedOutput>(*env_.out, *env_.err);
    env_.out = checkedOut_.get();
}

CliApp::~CliApp() = default;

bool CliApp::cancelled() const
{
    return env_.cancel->load();
}

void CliApp::writeOut(const QByteArray& bytes)
{
    env_.out->write(bytes);
}

int CliApp::run(const QStringList& arguments)
{
    return withOutputChecked(runArguments(arguments));
}

int CliApp::run(const CliRequest& request)
{
    return withOutputChecked(runRequest(request));
}

int CliApp::withOutputChecked(int exitCode) const
{
    return checkedOut_->failed() ? std::max(exitCode, int(ExitFile)) : exitCode;
}

int CliApp::runArguments(const QStringList& arguments)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowText:
        writeOut(parsed.text.toUtf8());
        return ExitOk;
    case ParsedCommandLine::Action::Fail:
        env_.err->write((QStringLiteral("kestrel-cli: ") + parsed.text +
                         QStringLiteral("\nkestrel-cli: \"kestrel-cli --help\" opisuje polecenia "
                                        "i opcje\n"))
                            .toUtf8());
        return ExitUsage;
    case ParsedCommandLine::Action::Run:
        break;
    }
    return runRequest(parsed.request);
}

int CliApp::runRequest(const CliRequest& request)
{
    outcomes_.clear();
    if (request.command == Command::Chips)
        return listChips(request);
    if (request.command == Command::Ports)
        return listPorts(request);
    if (request.command == Command::Convert) {
        Console console(*env_.err, env_.errIsTerminal, !request.quiet, {});
        return convertImage(request, *env_.in, *env_.out, console);
    }
    if (request.command == Command::Diff) {
        Console console(*env_.err, env_.errIsTerminal, !request.quiet, {});
        return diffImages(request, *env_.in, *env_.out, console);
    }
    if (request.command == Command::Check)
        return runCheck(request);
    return runTransfers(request);
}

int CliApp::listChips(const CliRequest& request)
{
    writeOut(request.json ? chipTableJson() : chipTableText().toUtf8());
    return ExitOk;
}

int CliApp::listPorts(const CliRequest& request)
{
    const auto machine = env_.machinePorts ? env_.machinePorts() : link::machineSerialPorts();
    const auto named = link::Transports::program().namedPorts();
    writeOut(request.json ? portTableJson(machine, named) : portTableText(machine, named).toUtf8());
    return ExitOk;
}

namespace {

// Programming with verify is the window's "Zapisz i weryfikuj": one worker, the port opened
// again for the verify; with --backup each port's chip is first read into its backup file.
link::Operation operationFor(const CliRequest& request)
{
    switch (request.command) {
    case Command::Program:
        if (request.backup)
            return request.verify ? link::Operation::BackupProgramVerify
                                  : link::Operation::BackupProgram;
        return request.verify ? link::Operation::ProgramVerify : link::Operation::Program;
    case Command::Verify:
        return link::Operation::Verify;
    case Command::Read:
    case Command::Chips:
    case Command::Ports:
    case Command::Convert:
    case Command::Diff:
    case Command::Check:
        break;
    }
    return link::Operation::Read;
}

} // namespace

int CliApp::runTransfers(const CliRequest& request)
{
    Console console(*env_.err, env_.errIsTerminal, !request.quiet, request.ports);
    // The file first: nothing is sent to a chip for a file that cannot be used.
    QByteArray fileBytes;
    std::unique_ptr<ImageOutput> output;
    if (const int code = prepareFile(request, console, fileBytes, output); code != ExitOk)
        return code;
    // A production run: each board's image, and the log open before any chip is touched.
    ProductionRun production(request, fileBytes);
    if (!production.openLog(console))
        return ExitFile;
    if (cancelled()) {
        console.error(interruptedMessage());
        return ExitTransfer;
    }
    if (request.trace)
        traceNames_ = backupFiles(*request.trace, request.ports);
    if (const QString error = openTraceWriters(request, traces_); !error.isEmpty()) {
        console.error(error);
        return ExitFile;
    }
    int exitCode = traceErrors(runPorts(request, production, console), console);
    if (output && exitCode == ExitOk)
        exitCode = commitRead(*output, console);
    exitCode = production.writeLog(outcomes_, operationName(request), exitCode, console);
    report(request, exitCode, console);
    return exitCode;
}

int CliApp::prepareFile(const CliRequest& request, Console& console, QByteArray& fileBytes,
                        std::unique_ptr<ImageOutput>& output)
{
    const link::ChipRow& chip = *request.chip;
    fileBytes = QByteArray(chip.EepromSize, char(0xFF));
    if (request.command == Command::Read) {
        output = std::make_unique<ImageOutput>(request.file, request.format, chip, *env_.out);
        QString error;
        if (!output->open(error)) {
            console.error(error);
            return ExitFile;
        }
        return ExitOk;
    }
    const LoadedImage loaded = loadImage(request.file, request.format, chip, *env_.in);
    if (!loaded.ok) {
        console.error(loaded.error);
        return ExitFile;
    }
    if (!loaded.notice.isEmpty() && !request.quiet)
        console.error(loaded.notice);
    fileBytes = loaded.bytes;
    return ExitOk;
}

int CliApp::runPorts(const CliRequest& request, const ProductionRun& production, Console& console)
{
    const link::ChipRow& chip = *request.chip;
    const LineFactory makeLine = lineFactory(request);
    const QStringList backups =
        request.backup ? backupFiles(*request.backup, request.ports) : QStringList();
    std::vector<std::unique_ptr<PortJob>> jobs;
    for (int i = 0; i < static_cast<int>(request.ports.size()); ++i) {
        PortJob::Setup setup;
        setup.index = i;
        setup.port = request.ports[i];
        setup.chip = &chip;
        setup.routine = link::workerFor(chip, operationFor(request));
        setup.image = production.image(i);
        setup.backupFile = backups.value(i);
        setup.makeClock = env_.makeClock;
        setup.makeLine = makeLine;
        setup.cancel = env_.cancel;
        setup.console = &console;
        setup.showMessages = !request.quiet;
        if (!traces_.empty())
            setup.trace = traces_[static_cast<std::size_t>(i)].get();
        jobs.push_back(std::make_unique<PortJob>(std::move(setup)));
    }
    for (auto& job : jobs)
        job->start();
    for (int poll = 1;; ++poll) {
        const bool allDone =
            std::all_of(jobs.begin(), jobs.end(), [](const auto& j) { return j->done(); });
        if (allDone)
            break;
        std::this_thread::sleep_for(PollInterval);
        if (poll % PollsPerRedraw == 0)
            console.refresh();
    }
    int exitCode = ExitOk;
    for (int i = 0; i < static_cast<int>(jobs.size()); ++i) {
        jobs[static_cast<std::size_t>(i)]->join();
        PortOutcome outcome = jobs[static_cast<std::size_t>(i)]->outcome();
        production.describe(i, outcome);
        if (outcome.result == link::TransferResult::Cancelled)
            console.portMessage(i, interruptedMessage());
        else if (request.quiet && outcome.exitCode != ExitOk)
            for (const QString& message : outcome.messages)
                console.portMessage(i, message);
        if (outcome.backupWritten && !request.quiet)
            console.portMessage(
                i, QStringLiteral("Kopia EEPROM zapisana: %1").arg(outcome.backupFile));
        exitCode = std::max(exitCode, outcome.exitCode);
        outcomes_.push_back(std::move(outcome));
    }
    return exitCode;
}

LineFactory CliApp::lineFactory(const CliRequest& request) const
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

int CliApp::traceErrors(int exitCode, Console& console) const
{
    for (std::size_t i = 0; i < traces_.size(); ++i) {
        if (traces_[i]->error().isEmpty())
            continue;
        console.error(QStringLiteral("%1: %2").arg(traceNames_.value(qsizetype(i)),
                                                   traces_[i]->error()));
        exitCode = std::max(exitCode, int(ExitFile));
    }
    return exitCode;
}

int CliApp::commitRead(ImageOutput& output, Console& console)
{
    // Only a complete read reaches the file, and not when a signal came meanwhile.
    QString error;
    if (cancelled()) {
        console.error(interruptedMessage());
        return ExitTransfer;
    }
    if (!output.commit(outcomes_.front().image, error)) {
        if (!error.isEmpty()) // standard output tells its own failure
            console.error(error);
        return ExitFile;
    }
    return ExitOk;
}

void CliApp::report(const CliRequest& request, int exitCode, Console& console)
{
    if (request.json) {
        writeOut(jsonLines(outcomes_, *request.chip, operationName(request)));
    } else if (!request.quiet) {
        if (outcomes_.size() > 1) {
            writeOut(summaryTable(outcomes_, *request.chip).toUtf8());
        } else if (exitCode == ExitOk) {
            const PortOutcome& o = outcomes_.front();
            console.portMessage(0, QStringLiteral("Gotowe, %1 s, CRC-32 %2")
                                       .arg(o.seconds, 0, 'f', 1)
                                       .arg(o.crc32));
        }
    }
}

} // namespace kestrel::cli

#include "transfer_run.h"

#include "backup_files.h"
#include "command_context.h"
#include "exit_codes.h"
#include "image_io.h"
#include "production_run.h"
#include "progress.h"
#include "report.h"

#include <QCoreApplication>
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
    return QCoreApplication::translate("cli", "Przerwano na żądanie (sygnał)");
}

} // namespace

TransferRun::TransferRun(const CliRequest& request, link::Operation operation,
                         CommandContext& context)
    : request_(request), operation_(operation), context_(context)
{
}

int TransferRun::run()
{
    const CliRequest& request = request_;
    Console console(context_.err(), context_.errIsTerminal(), !request.quiet, request.ports);
    // The file first: nothing is sent to a chip for a file that cannot be used.
    QByteArray fileBytes;
    std::unique_ptr<ImageOutput> output;
    if (const int code = prepareFile(console, fileBytes, output); code != ExitOk)
        return code;
    // A production run: each board's image, and the log open before any chip is touched.
    ProductionRun production(request, fileBytes);
    if (!production.openLog(console))
        return ExitFile;
    if (context_.cancelled()) {
        console.error(interruptedMessage());
        return ExitTransfer;
    }
    if (const QString error = context_.openTraces(request); !error.isEmpty()) {
        console.error(error);
        return ExitFile;
    }
    // --registry: the numbers are taken, once and for good, before any chip is touched.
    if (!production.reserveSerials(console))
        return ExitFile;
    int exitCode = context_.traceErrors(runPorts(production, console), console);
    if (output && exitCode == ExitOk)
        exitCode = commitRead(*output, console);
    exitCode = production.recordEndings(context_.outcomes(), exitCode, console);
    exitCode = production.writeLog(context_.outcomes(), operationName(request), exitCode, console);
    report(exitCode, console);
    return exitCode;
}

int TransferRun::prepareFile(Console& console, QByteArray& fileBytes,
                             std::unique_ptr<ImageOutput>& output)
{
    const CliRequest& request = request_;
    const link::ChipRow& chip = *request.chip;
    fileBytes = QByteArray(chip.EepromSize, char(0xFF));
    if (operation_ == link::Operation::Read) {
        output = std::make_unique<ImageOutput>(request.file, request.format, chip, context_.out());
        QString error;
        if (!output->open(error)) {
            console.error(error);
            return ExitFile;
        }
        return ExitOk;
    }
    const LoadedImage loaded = loadImage(request.file, request.format, chip, context_.in());
    if (!loaded.ok) {
        console.error(loaded.error);
        return ExitFile;
    }
    if (!loaded.notice.isEmpty() && !request.quiet)
        console.error(loaded.notice);
    fileBytes = loaded.bytes;
    return ExitOk;
}

int TransferRun::runPorts(const ProductionRun& production, Console& console)
{
    const CliRequest& request = request_;
    const link::ChipRow& chip = *request.chip;
    const LineFactory makeLine = context_.lineFactory(request);
    const QStringList backups =
        request.backup ? backupFiles(*request.backup, request.ports) : QStringList();
    std::vector<std::unique_ptr<PortJob>> jobs;
    for (int i = 0; i < static_cast<int>(request.ports.size()); ++i) {
        PortJob::Setup setup;
        setup.index = i;
        setup.port = request.ports[i];
        setup.chip = &chip;
        setup.routine = link::workerFor(chip, operation_);
        setup.image = production.image(i);
        setup.backupFile = backups.value(i);
        setup.makeClock = context_.makeClock();
        setup.makeLine = makeLine;
        setup.cancel = context_.cancelFlag();
        setup.console = &console;
        setup.showMessages = !request.quiet;
        setup.trace = context_.trace(static_cast<std::size_t>(i));
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
            console.portMessage(i, QCoreApplication::translate("cli", "Kopia EEPROM zapisana: %1")
                                       .arg(outcome.backupFile));
        exitCode = std::max(exitCode, outcome.exitCode);
        context_.outcomes().push_back(std::move(outcome));
    }
    return exitCode;
}

int TransferRun::commitRead(ImageOutput& output, Console& console)
{
    // Only a complete read reaches the file, and not when a signal came meanwhile.
    QString error;
    if (context_.cancelled()) {
        console.error(interruptedMessage());
        return ExitTransfer;
    }
    if (!output.commit(context_.outcomes().front().image, error)) {
        if (!error.isEmpty()) // standard output tells its own failure
            console.error(error);
        return ExitFile;
    }
    return ExitOk;
}

void TransferRun::report(int exitCode, Console& console)
{
    const CliRequest& request = request_;
    const std::vector<PortOutcome>& outcomes = context_.outcomes();
    if (request.json) {
        context_.out().write(jsonLines(outcomes, *request.chip, operationName(request)));
    } else if (!request.quiet) {
        if (outcomes.size() > 1) {
            context_.out().write(summaryTable(outcomes, *request.chip).toUtf8());
        } else if (exitCode == ExitOk) {
            const PortOutcome& o = outcomes.front();
            console.portMessage(0, QCoreApplication::translate("cli", "Gotowe, %1 s, CRC-32 %2")
                                       .arg(o.seconds, 0, 'f', 1)
                                       .arg(o.crc32));
        }
    }
}

} // namespace kestrel::cli

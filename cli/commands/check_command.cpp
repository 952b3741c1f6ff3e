// kestrel-cli check: the adapter check on one port, what it saw and its diagnosis.

#include "check_command.h"

#include "adapter_check.h"
#include "command_context.h"
#include "command_line.h"
#include "exit_codes.h"
#include "messages.h"
#include "progress.h"
#include "qt_translation.h"
#include "trace_files.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kestrel::cli {

namespace {

// The check's report is the command's output; it tells no one else.
class SilentObserver final : public link::TransferObserver
{
public:
    void setStatus(const QString&) override {}
    void startPhase(link::Phase) override {}
    void setProgressMax(int) override {}
    void setProgress(int) override {}
    void showMessage(const QString&) override {}
    void imageRead(const QByteArray&) override {}
    void finished(const link::TransferOutcome&) override {}
};

QJsonArray repliesJson(const std::vector<link::CheckReply>& replies)
{
    QJsonArray out;
    for (const link::CheckReply& r : replies)
        out.append(QJsonObject{{"bytes", QString::fromLatin1(r.bytes.toHex(' ').toUpper())},
                               {"delay_ms", qRound(r.delayMs * 10.0) / 10.0}});
    return out;
}

// The diagnosis in the JSON: Polish under every language, as the rest of the JSON is the same.
QString sourceLanguageDiagnosis(const link::AdapterCheckReport& report)
{
    const SourceLanguageTexts polish;
    return link::diagnosisText(report);
}

QByteArray reportJson(const CliRequest& request, const link::AdapterCheckReport& report,
                      int exitCode)
{
    QJsonObject o{
        {"port", request.ports.first()},
        {"chip", QString::fromLatin1(request.chip->name)},
        {"opened", report.open == link::OpenStatus::Opened},
        {"speed", report.speed ? QJsonValue(qint64(*report.speed)) : QJsonValue()},
        {"status_replies", repliesJson(report.statusReplies)},
        {"ready", report.ready},
        {"word_address",
         QStringLiteral("%1").arg(report.wordAddress, 4, 16, QLatin1Char('0')).toUpper()},
        {"words", repliesJson(report.words)},
        {"words_equal", report.words.size() == 2 && report.words[0].bytes == report.words[1].bytes},
        {"bytes_sent", report.bytesSent},
        {"bytes_received", report.bytesReceived},
        {"diagnosis", QString::fromLatin1(link::diagnosisName(report.diagnosis))},
        {"message", sourceLanguageDiagnosis(report)},
        {"exit_code", exitCode},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

CommandHelp CheckCommand::help() const
{
    return {QCoreApplication::translate("cli", "--chip UKŁAD --port PORT [--json] [--trace ŚLAD]"),
            {QCoreApplication::translate("cli", "sprawdzenie adaptera i połączenia"),
             QCoreApplication::translate("cli", "(nic nie zapisuje)")}};
}

QString CheckCommand::check(const CommandLine& line, const QStringList& positional,
                            CliRequest& r) const
{
    QString error = takeChipTraceAndPorts(line, r);
    if (error.isEmpty())
        error = traceUsageError(r);
    if (error.isEmpty())
        error = line.refused(options(), PortOptions, name());
    if (error.isEmpty())
        error = line.refused(options(), ProductionLineOptions, name());
    if (!error.isEmpty())
        return error;
    if (r.ports.size() > 1)
        return onePortOnly(name());
    if (!positional.isEmpty())
        return extraArgument(positional.first());
    return {};
}

int CheckCommand::run(const CliRequest& request, CommandContext& context) const
{
    Console console(context.err(), context.errIsTerminal(), !request.quiet, {});
    if (const QString error = context.openTraces(request); !error.isEmpty()) {
        console.error(error);
        return ExitFile;
    }
    // As a transfer answers it: this version has no sequences for the chip, nothing is opened.
    if (!link::chipSupported(*request.chip)) {
        console.error(link::notSupportedMessage());
        return ExitNotSupported;
    }
    const QString& port = request.ports.first();
    std::unique_ptr<link::Clock> clock = context.makeClock()();
    std::unique_ptr<link::SerialLine> line = context.lineFactory(request)(0, port, *clock);
    link::AdapterCheckReport report;
    link::TransferResult result = link::TransferResult::Cancelled;
    {
        link::TracedLine traced(*line, *clock, context.trace(0));
        SilentObserver observer;
        std::atomic<bool>* cancel = context.cancelFlag();
        link::TransferContext ctx{traced.line(), *clock, observer, port, {}, cancel, request.chip};
        result = link::runAdapterCheck(ctx, report);
    }
    const int exitCode = context.traceErrors(exitCodeFor(result), console);
    if (request.json)
        context.out().write(reportJson(request, report, exitCode));
    else if (!request.quiet)
        context.out().write(link::reportLines(report).join(u'\n').toUtf8() + '\n');
    else if (exitCode != ExitOk)
        console.error(link::diagnosisText(report));
    return exitCode;
}

} // namespace kestrel::cli

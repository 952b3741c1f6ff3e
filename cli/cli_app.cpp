#include "cli_app.h"

#include "command_table.h"
#include "exit_codes.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>

namespace kestrel::cli {

CliApp::CliApp(CliEnvironment env) : context_(std::make_unique<CommandContext>(std::move(env))) {}

CliApp::~CliApp() = default;

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
    return context_->outputFailed() ? std::max(exitCode, int(ExitFile)) : exitCode;
}

int CliApp::runArguments(const QStringList& arguments)
{
    const ParsedCommandLine parsed = parseCommandLine(arguments);
    switch (parsed.action) {
    case ParsedCommandLine::Action::ShowText:
        context_->out().write(parsed.text.toUtf8());
        return ExitOk;
    case ParsedCommandLine::Action::Fail:
        context_->err().write(
            (QStringLiteral("kestrel-cli: ") + parsed.text +
             QCoreApplication::translate("cli", "\nkestrel-cli: \"kestrel-cli --help\" opisuje "
                                                "polecenia i opcje\n"))
                .toUtf8());
        return ExitUsage;
    case ParsedCommandLine::Action::Run:
        break;
    }
    return runRequest(parsed.request);
}

int CliApp::runRequest(const CliRequest& request)
{
    context_->outcomes().clear();
    const CliCommand* command = findCommand(request.command);
    return command != nullptr ? command->run(request, *context_) : int(ExitUsage);
}

} // namespace kestrel::cli

#pragma once

#include "command_context.h"

#include "cli_options.h"
#include "port_job.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace kestrel::cli {

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
    [[nodiscard]] const std::vector<PortOutcome>& outcomes() const { return context_->outcomes(); }

private:
    [[nodiscard]] int runArguments(const QStringList& arguments);
    [[nodiscard]] int runRequest(const CliRequest& request);
    [[nodiscard]] int withOutputChecked(int exitCode) const;

    std::unique_ptr<CommandContext> context_;
};

} // namespace kestrel::cli

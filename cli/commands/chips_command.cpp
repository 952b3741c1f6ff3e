#include "chips_command.h"

#include "command_context.h"
#include "command_line.h"
#include "exit_codes.h"
#include "report.h"

#include <QIODevice>

namespace kestrel::cli {

QString ChipsCommand::check(const CommandLine& line, const QStringList& positional,
                            CliRequest&) const
{
    return checkNoArguments(*this, line, positional);
}

int ChipsCommand::run(const CliRequest& request, CommandContext& context) const
{
    context.out().write(request.json ? chipTableJson() : chipTableText().toUtf8());
    return ExitOk;
}

} // namespace kestrel::cli

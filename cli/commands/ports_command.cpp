#include "ports_command.h"

#include "command_context.h"
#include "command_line.h"
#include "exit_codes.h"
#include "report.h"
#include "transports.h"

#include <QIODevice>

namespace kestrel::cli {

QString PortsCommand::check(const CommandLine& line, const QStringList& positional,
                            CliRequest&) const
{
    return checkNoArguments(*this, line, positional);
}

int PortsCommand::run(const CliRequest& request, CommandContext& context) const
{
    const auto machine = context.machinePorts();
    const auto named = link::Transports::program().namedPorts();
    context.out().write(request.json ? portTableJson(machine, named)
                                     : portTableText(machine, named).toUtf8());
    return ExitOk;
}

} // namespace kestrel::cli

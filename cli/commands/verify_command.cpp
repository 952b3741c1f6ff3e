#include "verify_command.h"

namespace kestrel::cli {

CommandHelp VerifyCommand::help() const
{
    return {QStringLiteral("--chip UKŁAD --port PORT [--port PORT ...] PLIK"),
            {QStringLiteral("porównanie EEPROM z plikiem")}};
}

OptionSet VerifyCommand::options() const
{
    return {Option::Chip, Option::Port, Option::Format, Option::Json, Option::Trace, Option::Log};
}

} // namespace kestrel::cli

#include "read_command.h"

namespace kestrel::cli {

CommandHelp ReadCommand::help() const
{
    return {QStringLiteral("--chip UKŁAD --port PORT PLIK"),
            {QStringLiteral("odczyt EEPROM do pliku")}};
}

OptionSet ReadCommand::options() const
{
    return {Option::Chip, Option::Port, Option::Format, Option::Json, Option::Trace, Option::Log};
}

} // namespace kestrel::cli

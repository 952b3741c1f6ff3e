#include "read_command.h"

#include <QCoreApplication>

namespace kestrel::cli {

CommandHelp ReadCommand::help() const
{
    return {QCoreApplication::translate("cli", "--chip UKŁAD --port PORT PLIK"),
            {QCoreApplication::translate("cli", "odczyt EEPROM do pliku")}};
}

OptionSet ReadCommand::options() const
{
    return {Option::Chip, Option::Port, Option::Format, Option::Json, Option::Trace, Option::Log};
}

} // namespace kestrel::cli

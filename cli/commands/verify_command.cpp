#include "verify_command.h"

#include <QCoreApplication>

namespace kestrel::cli {

CommandHelp VerifyCommand::help() const
{
    return {QCoreApplication::translate("cli", "--chip UKŁAD --port PORT [--port PORT ...] PLIK"),
            {QCoreApplication::translate("cli", "porównanie EEPROM z plikiem")}};
}

OptionSet VerifyCommand::options() const
{
    return {Option::Chip, Option::Port, Option::Format, Option::Json, Option::Trace, Option::Log};
}

} // namespace kestrel::cli

#include "program_command.h"

#include <QCoreApplication>

namespace kestrel::cli {

CommandHelp ProgramCommand::help() const
{
    return {QCoreApplication::translate(
                "cli", "--chip UKŁAD --port PORT [--port PORT ...] [--backup KOPIA] [--verify] "
                       "PLIK"),
            {QCoreApplication::translate("cli", "programowanie EEPROM z pliku")}};
}

OptionSet ProgramCommand::options() const
{
    return {Option::Chip, Option::Port,  Option::Verify, Option::Backup, Option::Format,
            Option::Json, Option::Trace, Option::Set,    Option::Serial, Option::Log,
            Option::Registry, Option::Series};
}

// With verify, the window's "Zapisz i weryfikuj": one worker, the port opened again for the
// verify; with --backup each port's chip is first read into its backup file.
link::Operation ProgramCommand::operation(const CliRequest& request) const
{
    if (request.backup)
        return request.verify ? link::Operation::BackupProgramVerify
                              : link::Operation::BackupProgram;
    return request.verify ? link::Operation::ProgramVerify : link::Operation::Program;
}

} // namespace kestrel::cli

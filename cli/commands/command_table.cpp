#include "command_table.h"

#include "check_command.h"
#include "chips_command.h"
#include "convert_command.h"
#include "diff_command.h"
#include "ports_command.h"
#include "program_command.h"
#include "read_command.h"
#include "registry_command.h"
#include "verify_command.h"

#include <QCoreApplication>
#include <memory>

namespace kestrel::cli {

namespace {

std::vector<std::unique_ptr<const CliCommand>> makeCommands()
{
    std::vector<std::unique_ptr<const CliCommand>> c;
    c.push_back(std::make_unique<ChipsCommand>());
    c.push_back(std::make_unique<PortsCommand>());
    c.push_back(std::make_unique<ReadCommand>());
    c.push_back(std::make_unique<ProgramCommand>());
    c.push_back(std::make_unique<VerifyCommand>());
    c.push_back(std::make_unique<CheckCommand>());
    c.push_back(std::make_unique<ConvertCommand>());
    c.push_back(std::make_unique<DiffCommand>());
    c.push_back(std::make_unique<RegistryCommand>());
    return c;
}

} // namespace

const std::vector<const CliCommand*>& commandTable()
{
    static const std::vector<std::unique_ptr<const CliCommand>> owned = makeCommands();
    static const std::vector<const CliCommand*> table = [] {
        std::vector<const CliCommand*> out;
        for (const auto& c : owned)
            out.push_back(c.get());
        return out;
    }();
    return table;
}

const CliCommand* findCommand(const QString& name)
{
    for (const CliCommand* c : commandTable())
        if (c->name() == name)
            return c;
    return nullptr;
}

const CliCommand* findCommand(Command id)
{
    for (const CliCommand* c : commandTable())
        if (c->id() == id)
            return c;
    return nullptr;
}

QString commandNames()
{
    QStringList names;
    for (const CliCommand* c : commandTable())
        names << c->name();
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QCoreApplication::translate("cli", " lub ") + last;
}

} // namespace kestrel::cli

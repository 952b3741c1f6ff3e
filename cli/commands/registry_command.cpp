#include "registry_command.h"

#include "command_context.h"
#include "command_line.h"

#include "exit_codes.h"
#include "report.h"
#include "serial_registry.h"
#include <QCoreApplication>

#include <QIODevice>
#include <QJsonObject>

namespace kestrel::cli {

namespace {

QString badNumberText(const QString& value)
{
    return QCoreApplication::translate(
               "cli", "--serial: przy poleceniu registry numer płytki, np. 1003 (podano %1)")
        .arg(quoted(value));
}

QString nothingFoundText()
{
    return QCoreApplication::translate("cli", "brak rezerwacji w rejestrze");
}

std::optional<std::uint64_t> parseNumber(QString text)
{
    int base = 10;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        text = text.mid(2);
        base = 16;
    }
    bool ok = false;
    const std::uint64_t value = text.toULongLong(&ok, base);
    if (!ok || text.isEmpty() || text.startsWith(u'+'))
        return std::nullopt;
    return value;
}

QString table(const std::vector<registry::Reservation>& rows)
{
    std::vector<QStringList> cells{
        {QCoreApplication::translate("cli", "NUMER"), QCoreApplication::translate("cli", "SERIA"),
         QCoreApplication::translate("cli", "STAN"),
         QCoreApplication::translate("cli", "STANOWISKO"), QStringLiteral("PORT"),
         QCoreApplication::translate("cli", "UKŁAD"), QStringLiteral("CRC-32"),
         QCoreApplication::translate("cli", "ZAREZERWOWANO"),
         QCoreApplication::translate("cli", "ZAKOŃCZONO")}};
    const auto orDash = [](const QString& s) { return s.isEmpty() ? QStringLiteral("-") : s; };
    for (const registry::Reservation& r : rows)
        cells.push_back({QString::number(r.serial), r.series, r.state, r.station, r.port, r.chip,
                         orDash(r.crc32), r.reservedAt, orDash(r.endedAt)});
    return alignedTable(cells);
}

QByteArray jsonLines(const std::vector<registry::Reservation>& rows)
{
    QByteArray out;
    for (const registry::Reservation& r : rows) {
        QJsonObject o{
            {QStringLiteral("series"), r.series},   {QStringLiteral("state"), r.state},
            {QStringLiteral("station"), r.station}, {QStringLiteral("port"), r.port},
            {QStringLiteral("chip"), r.chip},       {QStringLiteral("reserved_at"), r.reservedAt}};
        if (!r.crc32.isEmpty())
            o.insert(QStringLiteral("crc32"), r.crc32);
        if (!r.endedAt.isEmpty())
            o.insert(QStringLiteral("ended_at"), r.endedAt);
        out += compactJson(o, r.serial) + '\n';
    }
    return out;
}

} // namespace

CommandHelp RegistryCommand::help() const
{
    return {QCoreApplication::translate("cli", "--registry REJESTR [--series SERIA] [--serial N]"),
            {QCoreApplication::translate("cli", "rezerwacje numerów seryjnych (wszystkie,"),
             QCoreApplication::translate("cli", "serii lub numeru N)")}};
}

QString RegistryCommand::check(const CommandLine& line, const QStringList& positional,
                               CliRequest& request) const
{
    if (QString error = checkNoArguments(*this, line, positional); !error.isEmpty())
        return error;
    if (QString error = line.takeRegistry(request); !error.isEmpty())
        return error;
    if (request.registry.isEmpty())
        return QCoreApplication::translate("cli", "brak opcji --registry");
    if (line.isSet(Option::Serial)) {
        const QStringList values = line.values(Option::Serial);
        request.lookupSerial = parseNumber(values.first().trimmed());
        if (values.size() > 1 || !request.lookupSerial)
            return badNumberText(values.join(u','));
    }
    return {};
}

int RegistryCommand::run(const CliRequest& request, CommandContext& context) const
{
    QString error;
    const auto address = registry::parseRegistryAddress(request.registry, error);
    registry::SerialRegistry reg;
    std::optional<std::vector<registry::Reservation>> rows;
    if (address && reg.open(*address, registry::SerialRegistry::Open::ExistingOnly, error))
        rows = reg.list(request.series.isEmpty() ? std::nullopt : std::optional(request.series),
                        request.lookupSerial, error);
    if (!rows) {
        context.err().write(("kestrel-cli: " + error + u'\n').toUtf8());
        return ExitFile;
    }
    if (request.json)
        context.out().write(jsonLines(*rows));
    else if (rows->empty())
        context.err().write(("kestrel-cli: " + nothingFoundText() + u'\n').toUtf8());
    else
        context.out().write(table(*rows).toUtf8());
    return ExitOk;
}

} // namespace kestrel::cli

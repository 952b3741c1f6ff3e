#include "report.h"

#include "adapter.h"

#include "exit_codes.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace kestrel::cli {

namespace {

constexpr int MaxListedDifferences = 16;

QString address(int value)
{
    return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// Columns padded to their widest cell, two spaces apart.
QString alignedTable(const std::vector<QStringList>& rows)
{
    std::vector<qsizetype> widths;
    for (const QStringList& row : rows) {
        widths.resize(std::max<std::size_t>(widths.size(), static_cast<std::size_t>(row.size())));
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)], row[c].size());
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c)
            line += row[c].leftJustified(widths[static_cast<std::size_t>(c)] + 2);
        text += line.trimmed() + u'\n';
    }
    return text;
}


QString outcomeWord(const PortOutcome& outcome)
{
    return resultWord(outcome.result);
}

QString summaryTable(const std::vector<PortOutcome>& outcomes, const link::ChipRow& chip)
{
    const QStringList header{QStringLiteral("PORT"),
                             QCoreApplication::translate("cli", "WYNIK"),
                             QCoreApplication::translate("cli", "KOD"),
                             QCoreApplication::translate("cli", "SEKUNDY"),
                             QCoreApplication::translate("cli", "PIERWSZA RÓŻNICA"),
                             QStringLiteral("CRC-32")};
    std::vector<QStringList> rows{header};
    const bool backups = std::any_of(outcomes.begin(), outcomes.end(),
                                     [](const PortOutcome& o) { return !o.backupFile.isEmpty(); });
    if (backups)
        rows.front() << QCoreApplication::translate("cli", "KOPIA");
    for (const PortOutcome& o : outcomes) {
        const QString first = o.differingOffsets.empty()
                                  ? QStringLiteral("-")
                                  : address(chip.EepromBase + o.differingOffsets.front());
        rows.push_back({o.port, outcomeWord(o), QString::number(o.exitCode),
                        QString::number(o.seconds, 'f', 1), first,
                        o.crc32.isEmpty() ? QStringLiteral("-") : o.crc32});
        if (backups)
            rows.back() << (o.backupWritten ? o.backupFile
                                            : QCoreApplication::translate("cli", "brak"));
    }
    // A production run: each board's serial number.
    if (std::any_of(outcomes.begin(), outcomes.end(),
                    [](const PortOutcome& o) { return o.serial; })) {
        rows.front() << QCoreApplication::translate("cli", "NUMER");
        for (std::size_t i = 0; i < outcomes.size(); ++i)
            rows[i + 1] << (outcomes[i].serial ? QString::number(*outcomes[i].serial)
                                               : QStringLiteral("-"));
    }
    return alignedTable(rows);
}

QByteArray compactJson(QJsonObject object, std::optional<std::uint64_t> serial)
{
    if (!serial)
        return QJsonDocument(object).toJson(QJsonDocument::Compact);
    // QJsonValue holds no integer above 2^63 - 1: the number goes in as text in place of a 0
    // (a key's quotes outside a string are never escaped, so this is the key's only match).
    object.insert(QStringLiteral("serial"), 0);
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Compact);
    const QByteArray key = QByteArrayLiteral("\"serial\":");
    const qsizetype at = text.indexOf(key + '0');
    return text.replace(at + key.size(), 1, QByteArray::number(quint64(*serial)));
}

QByteArray jsonLines(const std::vector<PortOutcome>& outcomes, const link::ChipRow& chip,
                     const QString& operation)
{
    QByteArray out;
    for (const PortOutcome& o : outcomes) {
        QJsonArray first;
        const auto listed = std::min<std::size_t>(o.differingOffsets.size(), MaxListedDifferences);
        for (std::size_t i = 0; i < listed; ++i)
            first.append(address(chip.EepromBase + o.differingOffsets[i]));
        QJsonObject object{
            {QStringLiteral("port"), o.port},
            {QStringLiteral("chip"), QString::fromLatin1(chip.name)},
            {QStringLiteral("operation"), operation},
            {QStringLiteral("result"), outcomeWord(o)},
            {QStringLiteral("exit_code"), o.exitCode},
            {QStringLiteral("seconds"), std::round(o.seconds * 1000.0) / 1000.0},
            {QStringLiteral("bytes"), o.bytes},
            {QStringLiteral("differences"), static_cast<qint64>(o.differingOffsets.size())},
            {QStringLiteral("difference_addresses"), first},
        };
        if (!o.backupFile.isEmpty()) {
            object.insert(QStringLiteral("backup"), o.backupFile);
            object.insert(QStringLiteral("backup_written"), o.backupWritten);
        }
        if (!o.crc32.isEmpty())
            object.insert(QStringLiteral("crc32"), o.crc32);
        out += compactJson(object, o.serial) + '\n';
    }
    return out;
}

QString chipTableText()
{
    const QStringList header{QCoreApplication::translate("cli", "UKŁAD"), QStringLiteral("EEPROM"),
                             QCoreApplication::translate("cli", "ADRES"),
                             QCoreApplication::translate("cli", "ODCZYT I ZAPIS")};
    std::vector<QStringList> rows{header};
    for (const link::ChipRow& chip : link::ChipTable)
        rows.push_back({QString::fromLatin1(chip.name), QString::number(chip.EepromSize),
                        address(chip.EepromBase),
                        link::chipSupported(chip) ? QCoreApplication::translate("cli", "tak")
                                                  : QCoreApplication::translate("cli", "nie")});
    return alignedTable(rows);
}

QByteArray chipTableJson()
{
    QByteArray out;
    for (const link::ChipRow& chip : link::ChipTable) {
        const QJsonObject object{
            {QStringLiteral("chip"), QString::fromLatin1(chip.name)},
            {QStringLiteral("eeprom_size"), chip.EepromSize},
            {QStringLiteral("eeprom_base"), address(chip.EepromBase)},
            {QStringLiteral("supported"), link::chipSupported(chip)},
        };
        out += QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    return out;
}

namespace {

std::vector<link::SerialPortEntry> offeredPorts(const std::vector<link::SerialPortEntry>& machine,
                                                const std::vector<link::SerialPortEntry>& named)
{
    std::vector<link::SerialPortEntry> out{
        {QStringLiteral("COM1"), link::portDeviceName(QStringLiteral("COM1")), {}},
        {QStringLiteral("COM2"), link::portDeviceName(QStringLiteral("COM2")), {}}};
    out.insert(out.end(), machine.begin(), machine.end());
    out.insert(out.end(), named.begin(), named.end());
    return out;
}

} // namespace

QString portTableText(const std::vector<link::SerialPortEntry>& machinePorts,
                      const std::vector<link::SerialPortEntry>& namedPorts)
{
    std::vector<QStringList> rows{
        {QStringLiteral("PORT"), QCoreApplication::translate("cli", "OPIS")}};
    for (const link::SerialPortEntry& port : offeredPorts(machinePorts, namedPorts))
        rows.push_back({port.name, link::describePort(port)});
    return alignedTable(rows);
}

QByteArray portTableJson(const std::vector<link::SerialPortEntry>& machinePorts,
                         const std::vector<link::SerialPortEntry>& namedPorts)
{
    QByteArray out;
    for (const link::SerialPortEntry& port : offeredPorts(machinePorts, namedPorts)) {
        const QJsonObject object{
            {QStringLiteral("port"), port.name},
            {QStringLiteral("description"), port.description},
            {QStringLiteral("manufacturer"), port.manufacturer},
        };
        out += QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    return out;
}

} // namespace kestrel::cli

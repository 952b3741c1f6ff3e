#include "serial_reservations.h"

#include "command_line.h"
#include "exit_codes.h"
#include "progress.h"
#include "serial_registry.h"

#include <QCoreApplication>
#include <QSysInfo>

#include <algorithm>
#include <limits>

namespace kestrel::cli {

namespace {

QString newSeriesText(const QString& series, std::uint64_t first, std::uint64_t last)
{
    return QCoreApplication::translate("cli", "rejestr: nowa seria %1, numery %2-%3")
        .arg(quoted(series))
        .arg(first)
        .arg(last);
}

QString seriesGoesOnText(const QString& series, std::uint64_t first, std::uint64_t last,
                         std::uint64_t asked)
{
    return QCoreApplication::translate(
               "cli", "rejestr: seria %1 już istnieje, numery %2-%3 (następne wolne; "
                      "PIERWSZY %4 pominięty)")
        .arg(quoted(series))
        .arg(first)
        .arg(last)
        .arg(asked);
}

} // namespace

QString endingState(const PortOutcome& outcome, bool verify)
{
    if (outcome.result == link::TransferResult::Cancelled)
        return QString::fromLatin1(registry::state::Interrupted);
    if (outcome.result != link::TransferResult::Done || outcome.exitCode != ExitOk)
        return QString::fromLatin1(registry::state::Failed);
    return QString::fromLatin1(verify ? registry::state::Verified : registry::state::Programmed);
}

SerialReservations::SerialReservations(const CliRequest& request) : request_(request) {}

SerialReservations::~SerialReservations() = default;

std::optional<std::uint64_t> SerialReservations::reserve(Console& console)
{
    QString error;
    const std::optional<registry::RegistryAddress> address =
        registry::parseRegistryAddress(request_.registry, error);
    auto registry = std::make_unique<registry::SerialRegistry>();
    if (!address ||
        !registry->open(*address, registry::SerialRegistry::Open::CreateIfMissing, error)) {
        console.error(error);
        return std::nullopt;
    }
    registry::ReservationRequest r;
    r.series = request_.series;
    r.first = request_.serial->first;
    r.largest = request_.serial->largest();
    r.station = QSysInfo::machineHostName();
    r.chip = QString::fromLatin1(request_.chip->name);
    r.ports = request_.ports;
    const std::optional<registry::ReservedNumbers> numbers = registry->reserve(r, error);
    if (!numbers) {
        console.error(error);
        return std::nullopt;
    }
    const std::uint64_t last = numbers->first + std::uint64_t(r.ports.size()) - 1;
    if (!request_.quiet)
        console.error(numbers->seriesExisted
                          ? seriesGoesOnText(r.series, numbers->first, last, r.first)
                          : newSeriesText(r.series, numbers->first, last));
    registry_ = std::move(registry);
    return numbers->first;
}

int SerialReservations::record(const std::vector<PortOutcome>& outcomes, int exitCode,
                               Console& console)
{
    if (!registry_)
        return exitCode;
    std::vector<registry::Ending> endings;
    for (const PortOutcome& o : outcomes)
        if (o.serial)
            endings.push_back({*o.serial, endingState(o, request_.verify), o.crc32});
    QString error;
    if (registry_->finish(request_.series, endings, error))
        return exitCode;
    console.error(error);
    return std::max(exitCode, int(ExitFile));
}

} // namespace kestrel::cli

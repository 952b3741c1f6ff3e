#include "production_run.h"

#include "exit_codes.h"
#include "image_crc.h"
#include "report.h"

#include <QDateTime>
#include <QJsonObject>

#include <algorithm>

namespace kestrel::cli {

namespace {

ChipWindow windowOf(const link::ChipRow& chip)
{
    return ChipWindow{chip.EepromBase, chip.EepromSize};
}

} // namespace

ProductionRun::ProductionRun(const CliRequest& request, QByteArray fileBytes)
    : request_(request),
      boards_(std::move(fileBytes), windowOf(*request.chip), request.patches, request.serial)
{
}

bool ProductionRun::openLog(Console& console)
{
    if (request_.log.isEmpty())
        return true;
    log_ = std::make_unique<RunLog>();
    QString error;
    if (log_->open(request_.log, error))
        return true;
    console.error(error);
    log_.reset();
    return false;
}

bool ProductionRun::reserveSerials(Console& console)
{
    if (request_.registry.isEmpty())
        return true;
    reservations_ = std::make_unique<SerialReservations>(request_);
    const std::optional<std::uint64_t> first = reservations_->reserve(console);
    if (!first)
        return false;
    boards_.setFirstSerial(*first);
    return true;
}

int ProductionRun::recordEndings(const std::vector<PortOutcome>& outcomes, int exitCode,
                                 Console& console)
{
    return reservations_ ? reservations_->record(outcomes, exitCode, console) : exitCode;
}

QByteArray ProductionRun::image(int port) const
{
    return boards_.image(port);
}

void ProductionRun::describe(int port, PortOutcome& outcome) const
{
    outcome.serial = boards_.serial(port);
    // The image programmed or compared; a read's only when it was read whole.
    const int size = request_.chip->EepromSize;
    if (request_.command != Command::Read)
        outcome.crc32 = crc32Text(crc32Of(boards_.image(port)));
    else if (outcome.bytes == size)
        outcome.crc32 = crc32Text(crc32Of(outcome.image.left(size)));
}

int ProductionRun::writeLog(const std::vector<PortOutcome>& outcomes, const QString& operation,
                            int exitCode, Console& console)
{
    if (!log_)
        return exitCode;
    const link::ChipRow& chip = *request_.chip;
    const bool read = request_.command == Command::Read;
    for (int i = 0; i < static_cast<int>(outcomes.size()); ++i) {
        const PortOutcome& o = outcomes[static_cast<std::size_t>(i)];
        // Local time with its offset from UTC: "2025-03-14T09:26:53.589+01:00".
        const QDateTime now = QDateTime::currentDateTime();
        QJsonObject line{
            {QStringLiteral("time"),
             now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs)},
            {QStringLiteral("port"), request_.ports.value(i)},
            {QStringLiteral("chip"), QString::fromLatin1(chip.name)},
            {QStringLiteral("operation"), operation},
            {QStringLiteral("result"), outcomeWord(o)},
            // A read's file is written after the transfer: the run's code tells whether it was.
            {QStringLiteral("exit_code"), read ? std::max(exitCode, o.exitCode) : o.exitCode},
        };
        if (!o.crc32.isEmpty())
            line.insert(QStringLiteral("crc32"), o.crc32);
        QString error;
        if (!log_->append(compactJson(line, o.serial), error)) {
            console.error(error);
            return std::max(exitCode, int(ExitFile));
        }
    }
    QString error;
    if (!log_->close(error)) {
        console.error(error);
        return std::max(exitCode, int(ExitFile));
    }
    return exitCode;
}

} // namespace kestrel::cli

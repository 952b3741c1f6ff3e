#include "trace_format.h"

#include "adapter_commands.h"
#include "chip_records.h"

#include <algorithm>
#include <cstdio>

namespace kestrel::link {

namespace {

// The line's speed, told when the driver reports none.
constexpr long long NominalBaud = 12800;

// Microseconds as milliseconds with three decimals, exactly (formatted by hand: a read's
// trace has thousands of these).
QString msText(std::int64_t us)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%lld.%03lld", us < 0 ? "-" : "",
                  static_cast<long long>((us < 0 ? -us : us) / 1000),
                  static_cast<long long>((us < 0 ? -us : us) % 1000));
    return QString::fromLatin1(buf);
}

QString hexBytes(const std::uint8_t* bytes, int count)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(3 * count);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            out += ' ';
        out += Digits[bytes[i] >> 4];
        out += Digits[bytes[i] & 0xF];
    }
    return QString::fromLatin1(out);
}

const char* openFailure(int status)
{
    switch (static_cast<OpenStatus>(status)) {
    case OpenStatus::PermissionDenied:
        return "permission denied";
    case OpenStatus::SpeedUnsupported:
        return "speed unsupported";
    case OpenStatus::Opened:
    case OpenStatus::Failed:
        break;
    }
    return "failed";
}

} // namespace

const char* traceCommandName(std::uint8_t command)
{
    switch (command) {
    case CMD_BEGIN:
        return "BEGIN";
    case CMD_PREPARE:
        return "PREPARE";
    case CMD_READ_STATUS:
        return "READ_STATUS";
    case CMD_WRITE_WORD:
        return "WRITE_WORD";
    case CMD_READ_WORD:
        return "READ_WORD";
    case CMD_RUN.b32:
    case CMD_RUN.d60:
        return "RUN";
    case CMD_END:
        return "END";
    default:
        return "?";
    }
}

QString TraceFormatter::header()
{
    return QStringLiteral("# KESTREL line trace: ms from the first event; > frame sent, "
                          "< read returned, ! send refused");
}

QStringList TraceFormatter::lines(const std::vector<TraceEvent>& events)
{
    QStringList out;
    for (const TraceEvent& e : events)
        add(e, out);
    return out;
}

QStringList TraceFormatter::finish()
{
    QStringList out;
    flushFrame(out);
    return out;
}

QString TraceFormatter::stamp(std::int64_t atUs) const
{
    return msText(atUs - originUs_.value_or(atUs)).rightJustified(10);
}

void TraceFormatter::add(const TraceEvent& e, QStringList& out)
{
    if (!originUs_) {
        originUs_ = e.kind == TraceEvent::Kind::Read ? e.startUs : e.atUs;
        out << header();
    }
    switch (e.kind) {
    case TraceEvent::Kind::Sent:
        frame_.push_back(e.bytes[0]);
        frameTimes_.push_back(e.atUs);
        lastSentUs_ = e.atUs;
        if (frame_.size() == 5)
            flushFrame(out);
        return;
    case TraceEvent::Kind::Read:
        (frame_.empty() ? out : held_) << readLine(e);
        return;
    case TraceEvent::Kind::SendFailed:
        flushFrame(out);
        out << stamp(e.atUs) + QStringLiteral(" ! ") + hexBytes(e.bytes.data(), 1) +
                   QStringLiteral(" not sent, line broken");
        return;
    case TraceEvent::Kind::Opened:
    case TraceEvent::Kind::OpenFailed:
        flushFrame(out);
        lastSentUs_ = e.atUs;
        out << openLine(e);
        return;
    case TraceEvent::Kind::Closed:
        flushFrame(out);
        out << stamp(e.atUs) + QStringLiteral(" close");
        return;
    case TraceEvent::Kind::Broken:
        flushFrame(out);
        out << stamp(e.atUs) + QStringLiteral(" line-broken");
        return;
    }
}

void TraceFormatter::flushFrame(QStringList& out)
{
    if (!frame_.empty()) {
        QString line = stamp(frameTimes_.front()) + QStringLiteral(" > ") +
                       hexBytes(frame_.data(), static_cast<int>(frame_.size())) +
                       QStringLiteral("  ") + QLatin1String(traceCommandName(frame_.front())) +
                       QStringLiteral("  gaps");
        for (std::size_t i = 1; i < frameTimes_.size(); ++i)
            line += QLatin1Char(' ') + msText(frameTimes_[i] - frameTimes_[i - 1]);
        out << line;
        frame_.clear();
        frameTimes_.clear();
    }
    out << held_;
    held_.clear();
}

QString TraceFormatter::openLine(const TraceEvent& e) const
{
    const QString name = recorder_.portName(e.port);
    if (e.kind == TraceEvent::Kind::OpenFailed)
        return stamp(e.atUs) + QStringLiteral(" open-failed ") + name + QStringLiteral("  ") +
               QLatin1String(openFailure(e.status)) +
               (e.count > 0 ? QStringLiteral("  speed %1").arg(e.count) : QString());
    const long long speed = e.count > 0 ? e.count : NominalBaud;
    return stamp(e.atUs) + QStringLiteral(" open ") + name +
           QStringLiteral("  8N1 no flow control  time-out %1 ms  speed %2").arg(e.value).arg(speed);
}

QString TraceFormatter::readLine(const TraceEvent& e) const
{
    QString line = stamp(e.atUs) + QStringLiteral(" < ");
    const int shown = std::min(e.count, TraceEvent::MaxReadBytes);
    if (e.count > 0) {
        line += hexBytes(e.bytes.data(), shown);
        if (e.count > shown)
            line += QStringLiteral(" ...");
        line += QStringLiteral("  after ") + msText(e.atUs - lastSentUs_) + QStringLiteral(" ms");
    } else {
        line += QStringLiteral("(none)");
    }
    if (e.count < e.maxBytes)
        line += QStringLiteral("  %1 of %2 bytes within %3 ms")
                    .arg(std::max(e.count, 0))
                    .arg(e.maxBytes)
                    .arg(e.value);
    if (e.broken)
        line += QStringLiteral("  line broken");
    return line;
}

} // namespace kestrel::link

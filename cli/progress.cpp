#include "progress.h"

#include <QCoreApplication>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace kestrel::cli {

namespace {

QString prefix(const QString& port)
{
    return QStringLiteral("kestrel-cli: ") + port + QStringLiteral(": ");
}

} // namespace

QString phaseName(Phase phase)
{
    switch (phase) {
    case Phase::None:
        return {};
    case Phase::Loading:
        return QCoreApplication::translate("cli", "Ładowanie procedury");
    case Phase::Sending:
        return QCoreApplication::translate("cli", "Przesyłanie danych");
    case Phase::Writing:
        return QCoreApplication::translate("cli", "Zapis EEPROM");
    case Phase::Reading:
        return QCoreApplication::translate("cli", "Odczyt EEPROM");
    case Phase::Verifying:
        return QCoreApplication::translate("cli", "Weryfikacja");
    }
    return {};
}

Phase consolePhase(link::Phase phase)
{
    switch (phase) {
    case link::Phase::Loading:
        return Phase::Loading;
    case link::Phase::Sending:
        return Phase::Sending;
    case link::Phase::Writing:
        return Phase::Writing;
    case link::Phase::Reading:
        return Phase::Reading;
    case link::Phase::Verifying:
        return Phase::Verifying;
    }
    return Phase::None;
}

Console::Console(QIODevice& err, bool terminal, bool showProgress, QStringList ports)
    : err_(err), terminal_(terminal), showProgress_(showProgress)
{
    for (QString& name : ports)
        ports_.push_back(PortState{std::move(name), Phase::None, 0, 0, false, {}});
}

void Console::error(const QString& text)
{
    std::lock_guard lock(mutex_);
    writeAboveLive(QStringLiteral("kestrel-cli: ") + text);
}

void Console::portMessage(int port, const QString& text)
{
    std::lock_guard lock(mutex_);
    writeAboveLive(prefix(ports_.at(static_cast<std::size_t>(port)).name) + text);
}

void Console::startPhase(int port, Phase phase)
{
    std::lock_guard lock(mutex_);
    PortState& p = ports_.at(static_cast<std::size_t>(port));
    endPhase(p);
    p.phase = phase;
    p.max = 0;
    p.progress = 0;
    p.advanced = false;
    p.started = SteadyClock::now();
}

void Console::setMax(int port, int max)
{
    std::lock_guard lock(mutex_);
    PortState& p = ports_.at(static_cast<std::size_t>(port));
    p.max = max;
    p.advanced = false;
}

void Console::setProgress(int port, int progress)
{
    std::lock_guard lock(mutex_);
    PortState& p = ports_.at(static_cast<std::size_t>(port));
    p.progress = progress;
    if (p.max > 0)
        p.advanced = true;
}

void Console::endPort(int port)
{
    std::lock_guard lock(mutex_);
    endPhase(ports_.at(static_cast<std::size_t>(port)));
}

void Console::refresh()
{
    std::lock_guard lock(mutex_);
    if (!terminal_ || !showProgress_)
        return;
    eraseLive();
    drawLive();
}

int Console::percent(const PortState& p) const
{
    if (p.max <= 0)
        return 0;
    return std::clamp(static_cast<int>(100LL * p.progress / p.max), 0, 100);
}

QString Console::phaseLine(const QString& port, Phase phase, int percent, double elapsedS,
                           bool ended)
{
    if (ended)
        return prefix(port) + phaseName(phase) +
               QStringLiteral(": %1%, %2 s").arg(percent).arg(elapsedS, 0, 'f', 1);
    QString line = prefix(port) + phaseName(phase) + QStringLiteral(" %1%").arg(percent, 3);
    if (percent > 0 && percent < 100) {
        const double left = elapsedS * (100 - percent) / percent;
        line += QCoreApplication::translate("cli", ", zostało %1 s")
                    .arg(static_cast<int>(std::ceil(left)));
    }
    return line;
}

QString Console::liveLine(const PortState& p) const
{
    const double elapsed = std::chrono::duration<double>(SteadyClock::now() - p.started).count();
    return phaseLine(p.name, p.phase, percent(p), elapsed, false);
}

void Console::endPhase(PortState& p)
{
    if (p.phase == Phase::None)
        return;
    const Phase phase = p.phase;
    p.phase = Phase::None;
    // A phase the transfer never got into (the connection check failed) leaves no line.
    if (!showProgress_ || !p.advanced)
        return;
    const double elapsed = std::chrono::duration<double>(SteadyClock::now() - p.started).count();
    writeAboveLive(phaseLine(p.name, phase, percent(p), elapsed, true));
}

void Console::writeAboveLive(const QString& line)
{
    eraseLive();
    write(line + u'\n');
    drawLive();
}

void Console::eraseLive()
{
    if (liveLines_ == 0)
        return;
    // Up to the first live line, then clear to the end of the screen.
    write(QStringLiteral("\x1b[%1F\x1b[J").arg(liveLines_));
    liveLines_ = 0;
}

void Console::drawLive()
{
    if (!terminal_ || !showProgress_)
        return;
    QString text;
    for (const PortState& p : ports_) {
        if (p.phase == Phase::None)
            continue;
        text += liveLine(p) + QStringLiteral("\x1b[K\n");
        ++liveLines_;
    }
    if (!text.isEmpty())
        write(text);
}

void Console::write(const QString& text)
{
    err_.write(text.toUtf8());
}

} // namespace kestrel::cli

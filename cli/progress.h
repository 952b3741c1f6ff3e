#pragma once

#include "transfer_observer.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

class QIODevice;

namespace kestrel::cli {

// The stages of a transfer as a port's progress line shows them.
enum class Phase
{
    None,
    Loading, // the target routine
    Sending, // the image into target RAM
    Writing, // the routine writes the EEPROM
    Reading,
    Verifying,
};

[[nodiscard]] QString phaseName(Phase phase);
[[nodiscard]] Phase consolePhase(link::Phase phase);

// Everything the tool writes on standard error, from any thread: messages, and the progress of
// each port. On a terminal each port's running phase is a line redrawn in place at the bottom;
// a phase that ends leaves its last state as a line above them. Elsewhere one line is written
// per phase when it ends. Without progress (quiet) only messages are written.
class Console
{
public:
    using SteadyClock = std::chrono::steady_clock;

    Console(QIODevice& err, bool terminal, bool showProgress, QStringList ports);

    // "kestrel-cli: text"
    void error(const QString& text);
    // "kestrel-cli: PORT: text"
    void portMessage(int port, const QString& text);

    // The gauge of one port.
    void startPhase(int port, Phase phase);
    void setMax(int port, int max);
    void setProgress(int port, int progress);
    // The port's transfer has ended: its phase is over.
    void endPort(int port);

    // Redraws the running phases on a terminal (at most every 100 ms suffices).
    void refresh();

    // The text of a phase line: "kestrel-cli: PORT: Odczyt EEPROM  45%, zostało 3 s" while
    // running, "kestrel-cli: PORT: Odczyt EEPROM: 100%, 4.9 s" once ended.
    [[nodiscard]] static QString phaseLine(const QString& port, Phase phase, int percent,
                                           double elapsedS, bool ended);

private:
    struct PortState
    {
        QString name;
        Phase phase = Phase::None;
        int max = 0;
        int progress = 0;
        bool advanced = false; // progress moved after the maximum was set
        SteadyClock::time_point started;
    };

    void endPhase(PortState& p);
    [[nodiscard]] int percent(const PortState& p) const;
    [[nodiscard]] QString liveLine(const PortState& p) const;
    void writeAboveLive(const QString& line);
    void eraseLive();
    void drawLive();
    void write(const QString& text);

    std::mutex mutex_;
    QIODevice& err_;
    const bool terminal_;
    const bool showProgress_;
    std::vector<PortState> ports_;
    int liveLines_ = 0; // lines of running phases on the terminal now
};

} // namespace kestrel::cli

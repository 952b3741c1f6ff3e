// kestrel-cli as a process against kestrel-sim processes on pseudo-terminals:
// - the wall time of `kestrel-cli read` of each chip, and its ratio to the nominal sum of the
//   read's pauses (goal at most 1.02);
// - a production run: one image programmed and verified through 1, 4, 8 and 16 kestrel-sim
//   processes at once, each run's wall time, its ratio to one port (goal for 16: at most 1.02),
//   the processor time of kestrel-cli and the simulators' protocol violations (goal: none).
// Prints figures; asserts nothing. Usage: bench_cli [--skip-production]

#include "adapter.h"
#include "cli_process.h"
#include "target_routines.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <sys/resource.h>

using namespace kestrel;
using testsupport::CliRun;
using testsupport::runCli;
using testsupport::SimProcess;

namespace {

const QString Cli = QStringLiteral(KESTREL_CLI_PATH);
const QString Sim = QStringLiteral(KESTREL_SIM_PATH);

constexpr int frameMs(int pauseMs)
{
    return 4 * link::BytePauseMs + pauseMs;
}

// The settling pause after the open, BEGIN, one PREPARE / READ_STATUS pair, END.
constexpr int sessionMs = link::SettlePauseMs + frameMs(link::BeginPauseMs) +
                          frameMs(link::PreparePauseMs) + frameMs(link::ReadStatusPauseMs) +
                          frameMs(link::EndPauseMs);
// After the last word the line must stay quiet for a whole reply deadline.
constexpr int readSettleMs = link::replyDeadlineMs(link::ReadReadTimeoutMs);

int nominalReadMs(int size)
{
    return sessionMs + size / 2 * frameMs(link::ReadWordPauseMs) + readSettleMs;
}

int nominalProgramMs(int size)
{
    constexpr int waitMs = 1001 * 20;
    return sessionMs + (link::TargetRoutineWords + size / 2) * frameMs(link::WriteWordPauseMs) +
           frameMs(link::RunPauseMs) + waitMs;
}

// The "seconds" of each port in the JSON lines.
QList<double> portSeconds(const QByteArray& json)
{
    QList<double> out;
    for (const QByteArray& line : json.trimmed().split('\n'))
        out << QJsonDocument::fromJson(line).object().value(QStringLiteral("seconds")).toDouble();
    return out;
}

void readRun(const QString& chip, int size)
{
    QTemporaryDir dir;
    SimProcess sim(Sim, chip, dir.path(), QStringLiteral("adapter"));
    if (!sim.serving()) {
        std::printf("%s: kestrel-sim did not start\n", qPrintable(chip));
        return;
    }
    const CliRun run = runCli(Cli, {QStringLiteral("read"), QStringLiteral("--json"),
                                    QStringLiteral("--chip"), chip, QStringLiteral("--port"),
                                    sim.link(), dir.filePath(QStringLiteral("chip.bin"))});
    sim.stop();
    const int nominal = nominalReadMs(size);
    const QList<double> seconds = portSeconds(run.out);
    const double transferMs = seconds.isEmpty() ? 0.0 : seconds.first() * 1000.0;
    std::printf("%s read: process %6lld ms, transfer %8.1f ms, nominal pauses %d ms, ratio "
                "%.4f (process %.4f; goal <= 1.02)%s\n",
                qPrintable(chip), run.ms, transferMs, nominal, transferMs / nominal,
                static_cast<double>(run.ms) / nominal, run.exitCode == 0 ? "" : "  FAILED");
}

struct Production
{
    double ms = -1.0;  // wall time, -1 on failure
    double cpuMs = 0;  // kestrel-cli's processor time, user and system
    int violations = 0; // summed over the simulators
};

double childrenCpuMs()
{
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

// One image programmed and verified through `ports` adapters at once.
Production productionRun(int ports, const QString& imagePath, const QString& folder)
{
    Production result;
    std::vector<std::unique_ptr<SimProcess>> sims;
    QStringList args{QStringLiteral("program"), QStringLiteral("--verify"),
                     QStringLiteral("--json"), QStringLiteral("--chip"),
                     QStringLiteral("68HC12B32")};
    for (int i = 0; i < ports; ++i) {
        sims.push_back(std::make_unique<SimProcess>(Sim, QStringLiteral("68HC12B32"), folder,
                                                    QStringLiteral("adapter%1").arg(i)));
        if (!sims.back()->serving())
            return result;
        args << QStringLiteral("--port") << sims.back()->link();
    }
    args << imagePath;
    // The simulators are reaped only after the run: until then the children's time is the
    // command line's alone.
    const double cpuBefore = childrenCpuMs();
    const CliRun run = runCli(Cli, args, 300000);
    result.cpuMs = childrenCpuMs() - cpuBefore;
    for (auto& s : sims) {
        s->stop();
        const QString summary = s->summary();
        const int at = summary.indexOf(QStringLiteral(" protocol violation(s)"));
        const int from = summary.lastIndexOf(u' ', at - 1) + 1;
        result.violations += at > 0 ? summary.mid(from, at - from).toInt() : 1;
    }
    if (run.exitCode == 0)
        result.ms = static_cast<double>(run.ms);
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool production = !app.arguments().contains(QStringLiteral("--skip-production"));

    readRun(QStringLiteral("68HC12B32"), 768);
    readRun(QStringLiteral("68HC12D60"), 1024);
    if (!production)
        return 0;

    QTemporaryDir dir;
    const QString imagePath = dir.filePath(QStringLiteral("board.bin"));
    {
        std::mt19937 random(5);
        QByteArray image(768, '\0');
        for (char& b : image)
            b = static_cast<char>(random());
        QFile f(imagePath);
        if (!f.open(QIODevice::WriteOnly) || f.write(image) != image.size())
            return 1;
    }
    std::printf("production run, 68HC12B32, program --verify, nominal pauses %d ms per port:\n",
                nominalProgramMs(768) + nominalReadMs(768));
    double one = 0.0;
    for (int ports : {1, 4, 8, 16}) {
        const Production p = productionRun(ports, imagePath, dir.path());
        if (ports == 1)
            one = p.ms;
        if (p.ms < 0)
            std::printf("  %2d port(s): FAILED, %d violation(s)\n", ports, p.violations);
        else
            std::printf("  %2d port(s): %8.1f ms, %.4f of one port (goal for 16: <= 1.02), "
                        "kestrel-cli CPU %7.1f ms, %d violation(s)\n",
                        ports, p.ms, one > 0 ? p.ms / one : 0.0, p.cpuMs, p.violations);
    }
    return 0;
}

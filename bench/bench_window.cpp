// The window's responsiveness and cost during real transfers: a full read and a full programming
// run of each chip through the SYMULATOR port at the real pace, in the real window. Reports per
// run the longest gap of a 1 ms timer on the GUI thread, the slowest single event, the gauge's
// paints per phase and the CPU share of one core; then peak memory and the time from the
// process's start to the window's first paint. A 1 ms timer on a thread of its own is the
// control: a long gap there means the machine itself stalled.
//
// Run it on an idle machine, on a display (xvfb-run works) or with QT_QPA_PLATFORM=offscreen.

#include "application.h"
#include "chip_table.h"
#include "main_window.h"
#include "sim_transport.h"
#include "tcgauge.h"
#include "transfer_dispatch.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

using namespace kestrel;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Seconds since the process started, from the kernel's record of its start.
double secondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields.at(19).toDouble(); // field 22: starttime
    timespec boot{};
    ::clock_gettime(CLOCK_BOOTTIME, &boot);
    const double now = double(boot.tv_sec) + double(boot.tv_nsec) / 1e9;
    return now - startTicks / double(::sysconf(_SC_CLK_TCK));
}

double cpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Times every event the GUI thread delivers at the outermost level.
class TimingApplication final : public Application
{
public:
    using Application::Application;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (m_depth++ > 0) {
            const bool r = Application::notify(receiver, event);
            --m_depth;
            return r;
        }
        const auto start = Clock::now();
        const bool r = Application::notify(receiver, event);
        const double ms = msSince(start);
        if (ms > slowestMs) {
            slowestMs = ms;
            slowestType = int(event->type());
        }
        --m_depth;
        return r;
    }

    double slowestMs = 0;
    int slowestType = 0;

private:
    int m_depth = 0;
};

// A 1 ms timer on a thread of its own; its longest gap shows stalls of the machine.
class ControlTimer
{
public:
    ControlTimer()
        : m_thread([this] {
              auto last = Clock::now();
              while (!m_stop) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                  const auto now = Clock::now();
                  const double gap = std::chrono::duration<double, std::milli>(now - last).count();
                  double seen = m_longest.load();
                  while (gap > seen && !m_longest.compare_exchange_weak(seen, gap)) {
                  }
                  last = now;
              }
          })
    {
    }
    ~ControlTimer()
    {
        m_stop = true;
        m_thread.join();
    }
    double takeLongest() { return m_longest.exchange(0); }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_longest{0};
    std::thread m_thread;
};

} // namespace

int main(int argc, char** argv)
{
    TimingApplication app(argc, argv);
    sim::registerSimulatorTransport();
    TForm1 form;

    // The first paint of the window, timed from the process's start.
    double firstPaint = -1;
    struct PaintWatch final : QObject
    {
        double& at;
        explicit PaintWatch(double& a) : at(a) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint && at < 0)
                at = secondsSinceProcessStart();
            return false;
        }
    } paintWatch(firstPaint);
    form.installEventFilter(&paintWatch);
    form.show();
    QElapsedTimer waitPaint;
    waitPaint.start();
    while (firstPaint < 0 && waitPaint.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    QStringList messages;
    form.transfers().setMessageSink([&](const QString& text) { messages << text; });
    form.ComboBox1->setCurrentText(QString::fromLatin1(sim::SimulatorPortName));

    // The GUI thread's 1 ms timer, and the gauge watched for phase changes.
    double longestGap = 0;
    auto lastTick = Clock::now();
    std::vector<int> paintsPerPhase;
    TColor phaseColour = form.CGauge1->ForeColor();
    int phaseStartPaints = form.CGauge1->paintCount();
    bool inPhase = false; // a run's phases start at its first colour change
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, msSince(lastTick));
        lastTick = Clock::now();
        if (form.CGauge1->ForeColor() != phaseColour) {
            if (inPhase)
                paintsPerPhase.push_back(form.CGauge1->paintCount() - phaseStartPaints);
            inPhase = true;
            phaseColour = form.CGauge1->ForeColor();
            phaseStartPaints = form.CGauge1->paintCount();
        }
    });

    ControlTimer control;
    std::printf("KESTREL window, transfers through SYMULATOR at the real pace\n");
    std::printf("%-22s %8s %10s %10s %10s %8s  %s\n", "run", "time s", "GUI gap", "slowest",
                "control", "CPU %", "gauge paints per phase");
    bool allDone = true;
    const struct
    {
        int chip;
        bool program;
        const char* name;
    } runs[] = {{8, false, "68HC12B32 read"},
                {8, true, "68HC12B32 program"},
                {9, false, "68HC12D60 read"},
                {9, true, "68HC12D60 program"}};
    for (const auto& run : runs) {
        form.ComboBox2->setCurrentIndex(run.chip);
        paintsPerPhase.clear();
        inPhase = false;
        phaseColour = form.CGauge1->ForeColor();
        phaseStartPaints = form.CGauge1->paintCount();
        messages.clear();
        app.slowestMs = 0;
        longestGap = 0;
        (void)control.takeLongest();
        const auto start = Clock::now();
        const double cpuStart = cpuSeconds();
        lastTick = Clock::now();
        tick.start();
        const bool started =
            run.program ? form.transfers().startProgram() : form.transfers().startRead();
        const bool ended = started && form.transfers().waitFinished(120000);
        tick.stop();
        if (inPhase)
            paintsPerPhase.push_back(form.CGauge1->paintCount() - phaseStartPaints);
        const double seconds = msSince(start) / 1000;
        const double cpu = cpuSeconds() - cpuStart;
        const bool done = ended && form.transfers().lastResult() == link::TransferResult::Done;
        allDone = allDone && done;
        QString phases;
        for (int p : paintsPerPhase)
            phases += QString::number(p) + QLatin1Char(' ');
        std::printf(
            "%-22s %8.2f %7.1f ms %7.1f ms %7.1f ms %8.1f  %s%s\n", run.name, seconds, longestGap,
            app.slowestMs, control.takeLongest(), 100 * cpu / seconds, qPrintable(phases),
            done ? "" : qPrintable(QStringLiteral(" FAILED: ") + messages.join(QLatin1Char('|'))));
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory %.1f MB; window first painted %.0f ms after the process started\n",
                double(usage.ru_maxrss) / 1024, firstPaint * 1000);
    std::printf("goals: GUI gap and slowest event under 16 ms, at most 101 paints per phase, "
                "first paint under 500 ms\n");
    return allDone ? 0 : 1;
}

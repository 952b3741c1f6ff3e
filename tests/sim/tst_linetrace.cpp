// The line trace of whole transfers against the simulated adapter, in virtual time, read back
// frame by frame, and the simulator's judgement of a trace, clean and edited.

#include "eeprom_image.h"
#include "adapter.h"
#include "chip_workers.h"
#include "fake_line.h"
#include "recording_observer.h"
#include "sim_judge.h"
#include "sim_line.h"
#include "trace_output.h"
#include "virtual_clock.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace kestrel;
using namespace kestrel::sim;
using Kind = kestrel::sim::TracedEntry::Kind;

namespace {

struct Traced
{
    QStringList lines;
    std::vector<FrameRecord> frames; // as the simulator took them
};

Traced traceTransfer(link::WorkerRoutine worker, ChipKind chip, const Faults& faults)
{
    Simulator sim(chip, faults);
    testsupport::VirtualClock clock;
    SimLine simLine(sim, clock);
    link::TraceRecorder recorder;
    link::TracingLine line(simLine, clock, recorder);
    testsupport::RecordingObserver observer;
    EepromBufferType image{};
    for (std::size_t e = 1; e < image.size(); ++e)
        image[e] = static_cast<std::int32_t>((e * 37) & 0xFF);
    link::TransferContext ctx{line, clock, observer, QStringLiteral("SYMULATOR"),
                              bufferBytes(image, EepromLastEntry)};
    (void)worker(ctx);
    link::TraceFormatter formatter(recorder);
    Traced out{formatter.lines(recorder.take()) + formatter.finish(), {}};
    sim.inspect([&](const Target&, const Adapter& a) { out.frames = a.frames(); });
    return out;
}

std::vector<TracedEntry> parse(const QStringList& lines)
{
    std::istringstream in(lines.join(QLatin1Char('\n')).toStdString());
    const TraceReading r = readTrace(in);
    if (!r.error.empty())
        qFatal("line %zu: %s", r.line, r.error.c_str());
    return r.entries;
}

std::int64_t pauseUs(std::uint8_t command)
{
    switch (command) {
    case link::CMD_BEGIN:
        return link::BeginPauseMs * 1000;
    case link::CMD_PREPARE:
        return link::PreparePauseMs * 1000;
    case link::CMD_READ_STATUS:
        return link::ReadStatusPauseMs * 1000;
    case link::CMD_WRITE_WORD:
        return link::WriteWordPauseMs * 1000;
    case link::CMD_READ_WORD:
        return link::ReadWordPauseMs * 1000;
    case link::CMD_END:
        return link::EndPauseMs * 1000;
    default:
        return link::RunPauseMs * 1000;
    }
}

Traced readTrace32()
{
    return traceTransfer(link::ReadWorkerB32, ChipKind::B32, {});
}

} // namespace

class TestLineTrace : public QObject
{
    Q_OBJECT

private slots:
    void transferReadBack_data();
    void transferReadBack();
    void judgeFlagsEditedGap_data();
    void judgeFlagsEditedGap();
    // Before the judge's processes: the thread sanitizer refuses new threads after a fork.
    void lineTroubles_data();
    void lineTroubles();
    void judgeExitCodes_data();
    void judgeExitCodes();
};

void TestLineTrace::transferReadBack_data()
{
    QTest::addColumn<void*>("worker");
    QTest::addColumn<int>("chip");
    QTest::addColumn<int>("missingEvery");
    auto row = [](const char* name, link::WorkerFunction& w, ChipKind chip, int missing = 0) {
        QTest::newRow(name) << reinterpret_cast<void*>(&w) << static_cast<int>(chip) << missing;
    };
    row("read 68HC12B32", link::ReadWorkerB32, ChipKind::B32);
    row("read 68HC12D60, every 50th reply missing", link::ReadWorkerD60, ChipKind::D60, 50);
    row("program 68HC12B32", link::ProgramWorkerB32, ChipKind::B32);
    row("program and verify 68HC12D60", link::ProgramVerifyWorkerD60, ChipKind::D60);
    row("verify 68HC12B32 (differs)", link::VerifyWorkerB32, ChipKind::B32);
}

// Every frame the simulator took is in the trace with its time and bytes; bytes 2 ms apart;
// each answered frame's reply read with its bytes; the next frame the command's pause later
// when nothing was read between; the judgement clean.
void TestLineTrace::transferReadBack()
{
    QFETCH(void*, worker);
    QFETCH(int, chip);
    QFETCH(int, missingEvery);
    Faults faults;
    faults.missingEvery = missingEvery;
    const Traced t = traceTransfer(reinterpret_cast<link::WorkerRoutine>(worker),
                                   static_cast<ChipKind>(chip), faults);
    const std::vector<TracedEntry> entries = parse(t.lines);
    QCOMPARE(entries.front().kind, Kind::Open);
    QCOMPARE(entries.back().kind, Kind::Close);
    std::size_t frame = 0;
    int empty = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TracedEntry& e = entries[i];
        if (e.kind != Kind::Frame)
            continue;
        QVERIFY(frame < t.frames.size());
        const FrameRecord& f = t.frames[frame++];
        QCOMPARE(e.atUs, f.firstUs);
        QCOMPARE(e.bytes, std::vector<std::uint8_t>(f.bytes.begin(), f.bytes.end()));
        QCOMPARE(e.gapsUs, std::vector<std::int64_t>(4, 2000));
        const std::int64_t lastUs = e.atUs + 8000;
        // The reads before the next frame: the reply, whole or a byte at a time.
        std::size_t r = i + 1;
        std::vector<std::uint8_t> reply;
        for (; entries[r].kind == Kind::Reply; ++r)
            reply.insert(reply.end(), entries[r].bytes.begin(), entries[r].bytes.end());
        const TracedEntry& next = entries[i + 1];
        const std::int64_t pause = pauseUs(f.bytes[0]);
        if (f.bytes[0] == link::CMD_READ_WORD || f.bytes[0] == link::CMD_READ_STATUS) {
            QCOMPARE(next.kind, Kind::Reply);
            QCOMPARE(reply, f.reply);
            if (f.reply.empty()) {
                ++empty;
                QCOMPARE(next.expected, 2);
                QCOMPARE(next.atUs - next.withinMs * 1000, lastUs + pause);
            } else {
                QCOMPARE(*next.afterUs, pause);
            }
        } else if (entries[r].kind == Kind::Frame) {
            QCOMPARE(r, i + 1);
            // After the run the host waits out the chip's erase and write.
            const bool run = f.bytes[0] == link::CMD_RUN.b32 || f.bytes[0] == link::CMD_RUN.d60;
            QVERIFY(next.atUs - lastUs >= pause);
            if (!run)
                QCOMPARE(next.atUs - lastUs, pause);
        }
    }
    QCOMPARE(frame, t.frames.size());
    QCOMPARE(empty > 0, missingEvery > 0);
    const Judgement j = judgeTrace(entries, static_cast<ChipKind>(chip));
    QCOMPARE(j.frames, t.frames.size());
    QCOMPARE(j.violations.size(), std::size_t{0});
}

void TestLineTrace::judgeFlagsEditedGap_data()
{
    QTest::addColumn<int>("frame"); // 1-based
    QTest::addColumn<int>("gap");   // 0-based
    QTest::newRow("BEGIN, first gap") << 1 << 0;
    QTest::newRow("a word read, third gap") << 200 << 2;
    QTest::newRow("a word read, last gap") << 701 << 3;
    // After the read's quiet wait: time spent beyond the pauses does not excuse it.
    QTest::newRow("END after the quiet wait, last gap") << -1 << 3;
}

void TestLineTrace::judgeFlagsEditedGap()
{
    QFETCH(int, frame);
    QFETCH(int, gap);
    QStringList lines = readTrace32().lines;
    QList<int> frameLines;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].contains(QRegularExpression(QStringLiteral("^ *[0-9.]+ > "))))
            frameLines << i;
    const int index = frame < 0 ? int(frameLines.size()) : frame;
    QVERIFY(lines[frameLines[index - 1]].contains(index == 1  ? "BEGIN"
                                                  : frame < 0 ? "END"
                                                              : "READ_WORD"));
    QString& line = lines[frameLines[index - 1]];
    QStringList words = line.split(QLatin1Char(' '));
    words[words.size() - 4 + gap] = QStringLiteral("0.500");
    line = words.join(QLatin1Char(' '));

    const Judgement j = judgeTrace(parse(lines), ChipKind::B32);
    QCOMPARE(j.violations.size(), std::size_t{1});
    QCOMPARE(j.violations[0].frame, static_cast<std::size_t>(index));
    QVERIFY2(j.summary.find("frame " + std::to_string(index) + " at") != std::string::npos,
             j.summary.c_str());
}

void TestLineTrace::judgeExitCodes_data()
{
    QTest::addColumn<QString>("edit"); // what replaces the text at the first frame's gaps
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("error");
    QTest::newRow("clean") << QString() << 0 << QString();
    QTest::newRow("0.5 ms gap") << "gaps 0.500" << 2 << QString();
    QTest::newRow("gap missing") << "gaps" << 1 << ":3: a frame of 5 bytes has 4 gaps";
    QTest::newRow("bad time") << "gaps 2.0001" << 1 << ":3: bad gap";
}

void TestLineTrace::judgeExitCodes()
{
    QFETCH(QString, edit);
    QFETCH(int, exitCode);
    QFETCH(QString, error);
    QStringList lines = readTrace32().lines;
    QVERIFY(lines[2].contains(QLatin1String(" > 5B"))); // header, open, BEGIN
    if (!edit.isEmpty())
        lines[2].replace(QStringLiteral("gaps 2.000"), edit);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    link::TraceFileWriter writer;
    QVERIFY(writer.open(path));
    writer.lines(lines);
    QProcess sim;
    sim.start(QStringLiteral(KESTREL_SIM_PATH),
              {QStringLiteral("--chip"), QStringLiteral("68HC12B32"), QStringLiteral("--judge"),
               path});
    QVERIFY(sim.waitForFinished(30000));
    QCOMPARE(sim.exitCode(), exitCode);
    const QString out = QString::fromUtf8(sim.readAllStandardOutput());
    const QString err = QString::fromUtf8(sim.readAllStandardError());
    if (exitCode == 1)
        QVERIFY2(err.contains(path + error), qPrintable(err));
    else
        QVERIFY2(out.contains(exitCode == 0 ? QStringLiteral("0 protocol violation(s)")
                                            : QStringLiteral("1 protocol violation(s)\n  frame 1 at")),
                 qPrintable(out));
}

void TestLineTrace::lineTroubles_data()
{
    QTest::addColumn<int>("trouble");
    QTest::addColumn<QStringList>("expected"); // in this order, each after its time
    QTest::newRow("permission denied") << 0 << QStringList{"open-failed /dev/ttyUSB7  permission denied"};
    QTest::newRow("broken in a frame")
        << 1
        << QStringList{"open /dev/ttyUSB7  8N1 no flow control  time-out 10 ms  speed 12800",
                       "> 5B 00 00 00 00  BEGIN  gaps 2.000 2.000 2.000 2.000",
                       "> 21 00  PREPARE  gaps 2.000", "! 00 not sent, line broken", "close"};
    QTest::newRow("broken between frames")
        << 3 << QStringList{"> 21 00 00 00 00  PREPARE", "line-broken", "close"};
    QTest::newRow("silent adapter")
        << 2
        << QStringList{"> 37 01 FF 00 00  READ_STATUS  gaps 2.000 2.000 2.000 2.000",
                       "< (none)  0 of 2 bytes within 30 ms", "> 5C 00 00 00 00  END"};
}

// Through the pump's thread into a file, as the command line writes it.
void TestLineTrace::lineTroubles()
{
    QFETCH(int, trouble);
    QFETCH(QStringList, expected);
    testsupport::VirtualClock clock;
    testsupport::FakeLine fake(clock);
    if (trouble == 0)
        fake.setOpenStatus(link::OpenStatus::PermissionDenied);
    if (trouble == 1)
        fake.breakAfterBytes(7);
    if (trouble == 3)
        fake.breakAt(std::chrono::milliseconds(170)); // a cable pulled in PREPARE's pause
    link::TraceRecorder recorder;
    link::TracingLine line(fake, clock, recorder);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    link::TraceFileWriter writer;
    QVERIFY(writer.open(path));
    link::TracePump pump(recorder, writer, std::chrono::milliseconds(1));
    pump.start();
    testsupport::RecordingObserver observer;
    link::TransferContext ctx{line, clock, observer, QStringLiteral("/dev/ttyUSB7"), {}};
    (void)link::ReadWorkerB32(ctx);
    pump.stop();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    (void)parse(lines);
    qsizetype at = 0;
    for (const QString& e : expected) {
        while (at < lines.size() && lines[at].mid(11) != e && !lines[at].mid(11).startsWith(e))
            ++at;
        QVERIFY2(at < lines.size(), qPrintable(e + QLatin1String(" not in order in\n") +
                                               lines.join(QLatin1Char('\n'))));
    }
}

QTEST_GUILESS_MAIN(TestLineTrace)
#include "tst_linetrace.moc"

// The link's transfer workers against the simulated adapter and chips, on a virtual clock.

#include "eeprom_image.h"
#include "chip_workers.h"
#include "messages.h"
#include "recording_observer.h"
#include "sim_line.h"
#include "virtual_clock.h"
#include "workers.h"

#include <QtTest>

#include <random>

using namespace kestrel;
using namespace kestrel::sim;
using kestrel::link::TransferResult;
using kestrel::testsupport::RecordingObserver;
using kestrel::testsupport::VirtualClock;

Q_DECLARE_METATYPE(kestrel::link::TransferResult)

namespace {

struct ChipCase
{
    ChipKind kind;
    link::WorkerRoutine program;
    link::WorkerRoutine read;
    int size;
    int stagingFirst;
    QString firstStatus;
};

ChipCase chipCase(int which)
{
    if (which == 0)
        return {ChipKind::B32,
                link::ProgramWorkerB32,
                link::ReadWorkerB32,
                768,
                0x0880,
                link::loadingStatus(*link::chipRecord("68HC12B32"))};
    return {ChipKind::D60,
            link::ProgramWorkerD60,
            link::ReadWorkerD60,
            1024,
            0x0300,
            link::loadingStatus(*link::chipRecord("68HC12D60"))};
}

EepromBufferType randomImage(int size, unsigned seed)
{
    EepromBufferType image{};
    std::mt19937 random(seed);
    for (int e = 1; e <= size; ++e)
        image[static_cast<std::size_t>(e)] = static_cast<std::int32_t>(random() & 0xFF);
    return image;
}

std::vector<std::uint8_t> bytesOf(const EepromBufferType& image, int size)
{
    std::vector<std::uint8_t> out;
    for (int e = 1; e <= size; ++e)
        out.push_back(static_cast<std::uint8_t>(image[static_cast<std::size_t>(e)]));
    return out;
}

std::vector<std::uint8_t> bytesOf(const QByteArray& a)
{
    return {a.begin(), a.end()};
}

TransferResult runWorker(link::WorkerRoutine worker, Simulator& sim, VirtualClock& clock,
                         RecordingObserver& observer, const EepromBufferType& image = {})
{
    SimLine line(sim, clock);
    link::TransferContext ctx{line, clock, observer, QStringLiteral("SYMULATOR"),
                              bufferBytes(image, EepromLastEntry), nullptr};
    return worker(ctx);
}

QString lastOf(const RecordingObserver& o, const QString& prefix)
{
    for (auto it = o.events.crbegin(); it != o.events.crend(); ++it)
        if (it->startsWith(prefix))
            return it->mid(prefix.size());
    return {};
}

QString violationText(const Simulator& sim)
{
    QString out;
    for (const Violation& v : sim.violations())
        out += QString::fromStdString(v.what) + QLatin1Char('\n');
    return out;
}

// Fault settings written as "name=value" words.
Faults parseFaults(const QString& text)
{
    Faults f;
    for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString name = w.section(QLatin1Char('='), 0, 0);
        const QString value = w.section(QLatin1Char('='), 1);
        if (name == "silent")
            f.silent = true;
        else if (name == "ready")
            f.readyOnTry = value.toInt();
        else if (name == "status")
            f.statusByte = static_cast<std::uint8_t>(value.toUInt(nullptr, 16));
        else if (name == "shortWord")
            f.shortWord = value.toInt();
        else if (name == "missingWord")
            f.missingWord = value.toInt();
        else if (name == "shortEvery")
            f.shortEvery = value.toInt();
        else if (name == "missingEvery")
            f.missingEvery = value.toInt();
        else if (name == "late")
            f.lateMs = value.toInt();
        else if (name == "hangup")
            f.hangUpAfterFrames = value.toInt();
        else if (name == "usb")
            f.usbLatencyMs = value.toInt();
        else if (name == "echo")
            f.echo = true;
        else
            qFatal("unknown fault %s", qPrintable(name));
    }
    return f;
}

} // namespace

class TestSimWorkers : public QObject
{
    Q_OBJECT

private slots:
    void programAndReadBack_data();
    void programAndReadBack();
    void eraseHappens_data();
    void eraseHappens();
    void stuckCellsShowOnReadBack();
    void programFaults_data();
    void programFaults();
    void readFaults_data();
    void readFaults();
    void hangUpAtRun();
    void registryKeepsEeprom();
};

void TestSimWorkers::programAndReadBack_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("68HC12B32") << 0;
    QTest::newRow("68HC12D60") << 1;
}

void TestSimWorkers::programAndReadBack()
{
    QFETCH(int, which);
    const ChipCase c = chipCase(which);
    Simulator sim(c.kind);
    const ChipModel& m = chipModel(c.kind);
    VirtualClock clock;
    EepromBufferType image = randomImage(c.size, 100u + static_cast<unsigned>(which));
    image[static_cast<std::size_t>(c.size + 1)] = 0x00; // beyond the chip: never sent

    auto peek = [&sim](std::uint16_t a) {
        return sim.inspect([a](const Target& t, const Adapter&) { return t.read8(a); });
    };
    const auto below = static_cast<std::uint16_t>(m.eeprom.first - 1);
    const auto above = static_cast<std::uint16_t>(m.eeprom.last + 1);
    const auto stagingBelow = static_cast<std::uint16_t>(c.stagingFirst - 1);
    const auto stagingAbove = static_cast<std::uint16_t>(c.stagingFirst + c.size);
    const std::uint8_t before[4] = {peek(below), peek(above), peek(stagingBelow),
                                    peek(stagingAbove)};

    RecordingObserver programmed;
    QCOMPARE(runWorker(c.program, sim, clock, programmed, image), TransferResult::Done);
    QCOMPARE(programmed.messages(), QStringList{});
    QCOMPARE(programmed.statuses(), (QStringList{c.firstStatus, link::statusSending(),
                                                 link::statusWriting(), link::statusDone()}));
    QCOMPARE(sim.eeprom(), bytesOf(image, c.size));
    QCOMPARE(peek(RegEEPROT), std::uint8_t{0x00});
    QCOMPARE(peek(below), before[0]);
    QCOMPARE(peek(above), before[1]);
    QCOMPARE(peek(stagingBelow), before[2]);
    QCOMPARE(peek(stagingAbove), before[3]);
    sim.inspect([&](const Target& t, const Adapter& a) {
        QCOMPARE(a.runs().size(), std::size_t{1});
        QCOMPARE(a.runs()[0].stop, RunReport::Stop::FinalLoop);
        QVERIFY(a.runs()[0].fitsHostWait());
        QCOMPARE(t.erases(), 1);
        QCOMPARE(t.programs(), c.size);
        // The routine's first and last passes write just below and above the EEPROM: unmapped
        // or flash there, so both writes were ignored.
        auto ignoredWrites = [&t](std::uint16_t address) {
            return std::count_if(
                t.anomalies().begin(), t.anomalies().end(), [address](const Anomaly& an) {
                    return an.address == address && (an.kind == AnomalyKind::UnmappedWrite ||
                                                     an.kind == AnomalyKind::FlashWrite);
                });
        };
        QCOMPARE(ignoredWrites(below), 1);
        QCOMPARE(ignoredWrites(above), 1);
    });

    RecordingObserver read;
    QCOMPARE(runWorker(c.read, sim, clock, read), TransferResult::Done);
    QCOMPARE(read.imageCalls, 1);
    QCOMPARE(bytesOf(read.image), bytesOf(image, c.size));
    QVERIFY2(sim.violations().empty(), qPrintable(violationText(sim)));
    QCOMPARE(sim.inspect([](const Target&, const Adapter& a) { return a.inSession(); }), false);
}

void TestSimWorkers::eraseHappens_data()
{
    programAndReadBack_data();
}

// The second image sets every bit the first one cleared: only an erase lets it through.
void TestSimWorkers::eraseHappens()
{
    QFETCH(int, which);
    const ChipCase c = chipCase(which);
    Simulator sim(c.kind);
    VirtualClock clock;
    const EepromBufferType first = randomImage(c.size, 7);
    EepromBufferType second{};
    for (int e = 1; e <= c.size; ++e)
        second[static_cast<std::size_t>(e)] = ~first[static_cast<std::size_t>(e)] & 0xFF;

    RecordingObserver o1;
    QCOMPARE(runWorker(c.program, sim, clock, o1, first), TransferResult::Done);
    RecordingObserver o2;
    QCOMPARE(runWorker(c.program, sim, clock, o2, second), TransferResult::Done);
    RecordingObserver o3;
    QCOMPARE(runWorker(c.read, sim, clock, o3), TransferResult::Done);
    QCOMPARE(bytesOf(o3.image), bytesOf(second, c.size));
    QCOMPARE(sim.inspect([](const Target& t, const Adapter&) { return t.erases(); }), 2);
    QVERIFY2(sim.violations().empty(), qPrintable(violationText(sim)));
}

void TestSimWorkers::stuckCellsShowOnReadBack()
{
    Faults faults;
    faults.stuck = {{0x0D00, 0x00}, {0x0FFF, 0xA5}};
    Simulator sim(ChipKind::B32, faults);
    VirtualClock clock;
    const EepromBufferType image = randomImage(768, 3);
    RecordingObserver programmed;
    // Programming does not read back: the run ends as usual.
    QCOMPARE(runWorker(link::ProgramWorkerB32, sim, clock, programmed, image),
             TransferResult::Done);
    QCOMPARE(programmed.messages(), QStringList{});
    RecordingObserver read;
    QCOMPARE(runWorker(link::ReadWorkerB32, sim, clock, read), TransferResult::Done);
    std::vector<std::uint8_t> expected = bytesOf(image, 768);
    expected.front() = 0x00;
    expected.back() = 0xA5;
    QCOMPARE(bytesOf(read.image), expected);
}

void TestSimWorkers::programFaults_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<TransferResult>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("statuses"); // "first" stands for the chip's first text
    QTest::addColumn<QString>("phase");
    QTest::addColumn<int>("max");      // -1: the image words - 1
    QTest::addColumn<int>("progress"); // -2: not checked
    QTest::addColumn<bool>("programmed");

    const QStringList none;
    const QStringList noAdapter{link::programNoAdapterMessage()};
    const QStringList done{"first", link::statusSending(), link::statusWriting(),
                           link::statusDone()};
    for (int which = 0; which < 2; ++which) {
        const QByteArray chip = which == 0 ? "B32 " : "D60 ";
        auto row = [&](const char* name) { return &QTest::newRow(chip + name); };
        *row("silent") << which << "silent" << TransferResult::NoAdapter << noAdapter << none
                       << "loading" << 60 << 0 << false;
        *row("ready on try 3") << which << "ready=3" << TransferResult::Done << none << done
                               << "writing" << 999 << 1000 << true;
        *row("ready on try 4") << which << "ready=4" << TransferResult::NoAdapter << noAdapter
                               << none << "loading" << 60 << 0 << false;
        *row("status 40") << which << "status=40" << TransferResult::NoAdapter << noAdapter << none
                          << "loading" << 60 << 0 << false;
        *row("status C1") << which << "status=C1" << TransferResult::NoAdapter << noAdapter << none
                          << "loading" << 60 << 0 << false;
        *row("status C0 with any second byte") << which << "status=C0" << TransferResult::Done
                                               << none << done << "writing" << 999 << 1000 << true;
        *row("late 3 ms") << which << "late=3" << TransferResult::Done << none << done << "writing"
                          << 999 << 1000 << true;
        // The status reply is awaited 30 ms: replies up to 20 ms late, and a USB-serial chip's
        // 16-ms latency timer, still pass the check.
        *row("late 14 ms") << which << "late=14" << TransferResult::Done << none << done
                           << "writing" << 999 << 1000 << true;
        *row("late 20 ms") << which << "late=20" << TransferResult::Done << none << done
                           << "writing" << 999 << 1000 << true;
        *row("USB latency 16 ms") << which << "usb=16" << TransferResult::Done << none << done
                                  << "writing" << 999 << 1000 << true;
        *row("echo") << which << "echo" << TransferResult::NoAdapter << noAdapter << none
                     << "loading" << 60 << 0 << false;
        *row("late 40 ms") << which << "late=40" << TransferResult::NoAdapter << noAdapter << none
                           << "loading" << 60 << 0 << false;
        *row("hang-up in the routine")
            << which << "hangup=10" << TransferResult::LineBroken
            << QStringList{link::lineBrokenMessage()} << QStringList{"first", link::statusBroken()}
            << "loading" << 60 << -2 << false;
        *row("hang-up in the image")
            << which << "hangup=100" << TransferResult::LineBroken
            << QStringList{link::lineBrokenMessage()}
            << QStringList{"first", link::statusSending(), link::statusBroken()} << "sending" << -1
            << -2 << false;
    }
}

void TestSimWorkers::programFaults()
{
    QFETCH(int, which);
    QFETCH(QString, fault);
    QFETCH(QStringList, statuses);
    QFETCH(int, max);
    QFETCH(int, progress);
    QFETCH(bool, programmed);
    const ChipCase c = chipCase(which);
    Simulator sim(c.kind, parseFaults(fault));
    VirtualClock clock;
    const EepromBufferType image = randomImage(c.size, 21);
    RecordingObserver o;
    QTEST(runWorker(c.program, sim, clock, o, image), "result");
    QTEST(o.messages(), "messages");
    statuses.replaceInStrings(QRegularExpression("^first$"), c.firstStatus);
    QCOMPARE(o.statuses(), statuses);
    QTEST(lastOf(o, "phase:"), "phase");
    QCOMPARE(lastOf(o, "max:").toInt(), max == -1 ? c.size / 2 - 1 : max);
    if (progress != -2)
        QCOMPARE(lastOf(o, "progress:").toInt(), progress);
    QCOMPARE(o.finishedCalls, 1);
    QCOMPARE(o.events.last(), QStringLiteral("finished"));
    const auto eeprom = sim.eeprom();
    QCOMPARE(eeprom == bytesOf(image, c.size), programmed);
    if (!programmed)
        QCOMPARE(eeprom, std::vector<std::uint8_t>(static_cast<std::size_t>(c.size), 0xFF));
    QVERIFY2(sim.violations().empty(), qPrintable(violationText(sim)));
}

void TestSimWorkers::readFaults_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<TransferResult>("result");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<int>("progress"); // -1: the last word, -2: not checked

    const QStringList noAdapter{link::readNoAdapterMessage()};
    const QStringList reading{link::statusReading()};
    const QStringList done{link::statusReading(), link::statusDone()};
    const QStringList aborted{link::statusReading(), link::statusReadAborted()};
    for (int which = 0; which < 2; ++which) {
        const QByteArray chip = which == 0 ? "B32 " : "D60 ";
        const int first = which == 0 ? 0x0D00 : 0x0C00;
        const int words = which == 0 ? 384 : 512;
        auto row = [&](const char* name) { return &QTest::newRow(chip + name); };
        *row("no fault") << which << "" << TransferResult::Done << QStringList{} << done << -1;
        *row("silent") << which << "silent" << TransferResult::NoAdapter << noAdapter << reading
                       << 0;
        *row("ready on try 3") << which << "ready=3" << TransferResult::Done << QStringList{}
                               << done << -1;
        *row("ready on try 4") << which << "ready=4" << TransferResult::NoAdapter << noAdapter
                               << reading << 0;
        *row("status 80") << which << "status=80" << TransferResult::NoAdapter << noAdapter
                          << reading << 0;
        *row("short word 5") << which << "shortWord=5" << TransferResult::ReadAborted
                             << QStringList{link::readDisturbedMessage(first + 10)} << aborted << 4;
        *row("missing last word") << which << QStringLiteral("missingWord=%1").arg(words - 1)
                                  << TransferResult::ReadAborted
                                  << QStringList{link::readAbortedMessage(first + 2 * (words - 1))}
                                  << aborted << words - 2;
        *row("every word missing") << which << "missingEvery=1" << TransferResult::ReadAborted
                                   << QStringList{link::readAbortedMessage(first)} << aborted << 0;
        // Each request has three tries of its own: an adapter that fails this often is slow,
        // not wrong.
        *row("every 2nd reply short") << which << "shortEvery=2" << TransferResult::Done
                                      << QStringList{} << done << -1;
        *row("every 3rd reply missing") << which << "missingEvery=3" << TransferResult::Done
                                        << QStringList{} << done << -1;
        *row("late 5 ms") << which << "late=5" << TransferResult::Done << QStringList{} << done
                          << -1;
        *row("USB latency 16 ms") << which << "usb=16" << TransferResult::Done << QStringList{}
                                  << done << -1;
        *row("echo") << which << "echo" << TransferResult::NoAdapter << noAdapter << reading << 0;
        *row("late 40 ms") << which << "late=40" << TransferResult::NoAdapter << noAdapter
                           << reading << 0;
        // Word replies past the read's 30 ms: dropped before the retry, or taken by a later
        // request, whose own reply then comes during the next word's read. The status check
        // passes from 74 ms on, taking its first query's late reply on the second try.
        *row("late 36 ms") << which << "late=36" << TransferResult::ReadAborted
                           << QStringList{link::readAbortedMessage(first)} << aborted << 0;
        *row("late 75 ms") << which << "late=75" << TransferResult::ReadAborted
                           << QStringList{link::readAbortedMessage(first)} << aborted << -2;
        // So late that replies to earlier requests come during the word's own tries: out of
        // step rather than missing.
        *row("late 100 ms") << which << "late=100" << TransferResult::ReadAborted
                            << QStringList{link::readDisturbedMessage(first)} << aborted << -2;
        *row("hang-up in the words")
            << which << "hangup=20" << TransferResult::LineBroken
            << QStringList{link::lineBrokenMessage()}
            << QStringList{link::statusReading(), link::statusBroken()} << -2;
        *row("hang-up in the check")
            << which << "hangup=2" << TransferResult::LineBroken
            << QStringList{link::lineBrokenMessage()}
            << QStringList{link::statusReading(), link::statusBroken()} << 0;
    }
}

void TestSimWorkers::readFaults()
{
    QFETCH(int, which);
    QFETCH(QString, fault);
    QFETCH(TransferResult, result);
    QFETCH(int, progress);
    const ChipCase c = chipCase(which);
    Simulator sim(c.kind, parseFaults(fault));
    const EepromBufferType content = randomImage(c.size, 5);
    QVERIFY(sim.modify([&](Target& t) { return t.loadEeprom(bytesOf(content, c.size)); }));
    VirtualClock clock;
    RecordingObserver o;
    const TransferResult got = runWorker(c.read, sim, clock, o);
    // Whatever the outcome, an image handed over must be the chip's content.
    if (o.imageCalls > 0) {
        const auto bytes = bytesOf(o.image);
        const auto expected = bytesOf(content, c.size);
        const auto diff = std::mismatch(bytes.begin(), bytes.end(), expected.begin());
        QVERIFY2(bytes.size() == expected.size() && diff.first == bytes.end(),
                 qPrintable(QStringLiteral("wrong image: byte %1 is %2, the chip holds %3")
                                .arg(diff.first - bytes.begin())
                                .arg(diff.first == bytes.end() ? -1 : *diff.first)
                                .arg(diff.second == expected.end() ? -1 : *diff.second)));
    }
    QCOMPARE(got, result);
    QTEST(o.messages(), "messages");
    QTEST(o.statuses(), "statuses");
    QCOMPARE(lastOf(o, "phase:"), QStringLiteral("reading"));
    QCOMPARE(lastOf(o, "max:").toInt(), c.size);
    if (progress != -2)
        QCOMPARE(lastOf(o, "progress:").toInt(), progress == -1 ? c.size : progress);
    // The buffer gets a whole, correct image or nothing.
    QCOMPARE(o.imageCalls, result == TransferResult::Done ? 1 : 0);
    QCOMPARE(o.finishedCalls, 1);
    QCOMPARE(o.events.last(), QStringLiteral("finished"));
    QVERIFY2(sim.violations().empty(), qPrintable(violationText(sim)));
}

// A hang-up right after CMD_RUN: the routine has run, and the broken line is noticed at that
// frame, before the wait begins.
void TestSimWorkers::hangUpAtRun()
{
    Faults faults;
    faults.hangUpAfterFrames = 3 + 61 + 384 + 1;
    Simulator sim(ChipKind::B32, faults);
    VirtualClock clock;
    const EepromBufferType image = randomImage(768, 9);
    RecordingObserver o;
    QCOMPARE(runWorker(link::ProgramWorkerB32, sim, clock, o, image), TransferResult::LineBroken);
    QCOMPARE(o.messages(), QStringList{link::lineBrokenMessage()});
    QCOMPARE(o.statuses(), (QStringList{link::loadingStatus(*link::chipRecord("68HC12B32")),
                                        link::statusSending(), link::statusBroken()}));
    QCOMPARE(lastOf(o, "phase:"), QStringLiteral("sending"));
    QVERIFY(!o.statuses().contains(link::statusDone()));
    QCOMPARE(sim.eeprom(), bytesOf(image, 768));
    QVERIFY(sim.violations().empty());
}

// The window's simulators: one per chip, kept from one transfer to the next.
void TestSimWorkers::registryKeepsEeprom()
{
    Simulator* b32 = SimulatorRegistry::instance().chip("68HC12B32");
    Simulator* d60 = SimulatorRegistry::instance().chip("68HC12D60");
    QVERIFY(b32 != nullptr && d60 != nullptr && b32 != d60);
    QCOMPARE(SimulatorRegistry::instance().chip("68HC12B32"), b32);
    QCOMPARE(SimulatorRegistry::instance().chip("68HC11E9"), nullptr);
    QCOMPARE(b32->eeprom(), std::vector<std::uint8_t>(768, 0xFF));
    VirtualClock clock;
    const EepromBufferType image = randomImage(1024, 4);
    RecordingObserver p;
    QCOMPARE(runWorker(link::ProgramWorkerD60, *d60, clock, p, image), TransferResult::Done);
    RecordingObserver r;
    QCOMPARE(
        runWorker(link::ReadWorkerD60, *SimulatorRegistry::instance().chip("68HC12D60"), clock, r),
        TransferResult::Done);
    QCOMPARE(bytesOf(r.image), bytesOf(image, 1024));
    QCOMPARE(b32->eeprom(), std::vector<std::uint8_t>(768, 0xFF));

    // The factory's lines: the registry's simulator, exclusive; nothing for other chips.
    const auto line = makeSimulatorLine("68HC12D60", clock);
    const auto second = makeSimulatorLine("68HC12D60", clock);
    QCOMPARE(line->open(QStringLiteral("SYMULATOR"), 10), link::OpenStatus::Opened);
    QCOMPARE(second->open(QStringLiteral("SYMULATOR"), 10), link::OpenStatus::Failed);
    line->close();
    QCOMPARE(second->open(QStringLiteral("SYMULATOR"), 10), link::OpenStatus::Opened);
    second->close();
    QCOMPARE(makeSimulatorLine("68HC11E9", clock)->open(QStringLiteral("SYMULATOR"), 10),
             link::OpenStatus::Failed);
}

QTEST_GUILESS_MAIN(TestSimWorkers)
#include "tst_simworkers.moc"

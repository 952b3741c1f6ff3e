// 200 transfers in a row through the window's transfer dispatch, against simulated adapters in
// virtual time: reads and programming runs of both chips, one run in three with a seeded random
// fault. Each run must end with the right result or a reported failure, the port closed, the
// toolbar released and the run's line and clock gone. Under the asan preset the leak check at
// exit covers the rest. KESTREL_SOAK_SEED=<n> replays another sequence.

#include "chip_table.h"
#include "main_window.h"
#include "sim_line.h"
#include "simulator.h"
#include "transfer_dispatch.h"
#include "virtual_clock.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QToolButton>
#include <QtTest>

#include <atomic>
#include <random>

using namespace kestrel;

namespace {

constexpr int ChipB32 = 8;
constexpr int ChipD60 = 9;
constexpr int Runs = 200;

std::atomic<int> liveLines{0};
std::atomic<int> liveClocks{0};

// What happened to the run's line, kept after the line is gone.
struct LineLog
{
    std::atomic<int> opened{0}; // successful opens
    std::atomic<int> closed{0}; // close() called by the transfer on an open line
};

// The simulator's line, watched: opens and closes are logged, live lines counted.
class ProbeLine final : public link::SerialLine
{
public:
    ProbeLine(sim::Simulator& simulator, link::Clock& clock, LineLog& log)
        : m_line(simulator, clock), m_log(log)
    {
        ++liveLines;
    }
    ~ProbeLine() override { --liveLines; }

    link::OpenStatus open(const QString& portName, int readTimeoutMs) override
    {
        const link::OpenStatus status = m_line.open(portName, readTimeoutMs);
        if (status == link::OpenStatus::Opened) {
            m_open = true;
            ++m_log.opened;
        }
        return status;
    }
    bool sendByte(std::uint8_t byte) override { return m_line.sendByte(byte); }
    link::ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override
    {
        return m_line.read(buffer, maxBytes, timeoutMs);
    }
    void close() override
    {
        if (m_open)
            ++m_log.closed;
        m_open = false;
        m_line.close();
    }
    bool broken() const override { return m_line.broken(); }

private:
    sim::SimLine m_line;
    LineLog& m_log;
    bool m_open = false;
};

class CountedClock final : public testsupport::VirtualClock
{
public:
    CountedClock() { ++liveClocks; }
    ~CountedClock() override { --liveClocks; }
};

enum class Operation
{
    Read,
    Program,
    Verify, // against the chip's content (every other time) or another image
};

enum class Fault
{
    None,
    MissingWord, // one EEPROM word never answered
    Late,        // every reply late
    Silent,      // the adapter never answers
    StuckCells,  // EEPROM cells that keep their value
};

struct Run
{
    int chip = ChipB32;
    Operation operation = Operation::Read;
    Fault fault = Fault::None;
    sim::Faults faults;

    [[nodiscard]] QString describe(int index) const
    {
        static const char* const faultNames[] = {"no fault", "missing word", "late replies",
                                                 "silent adapter", "stuck cells"};
        QString text = QStringLiteral("run %1: %2 %3, %4")
                           .arg(index)
                           .arg(QString::fromLatin1(ChipTable[chip].name))
                           .arg(operation == Operation::Read      ? "read"
                                : operation == Operation::Program ? "program"
                                                                  : "verify")
                           .arg(faultNames[static_cast<int>(fault)]);
        if (fault != Fault::None)
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(faults.describe()));
        return text;
    }
};

Run makeRun(std::mt19937& random)
{
    Run run;
    run.chip = random() % 2 == 0 ? ChipB32 : ChipD60;
    run.operation = static_cast<Operation>(random() % 3);
    if (random() % 3 != 0)
        return run;
    const sim::ChipModel& model =
        sim::chipModel(run.chip == ChipB32 ? sim::ChipKind::B32 : sim::ChipKind::D60);
    run.fault = static_cast<Fault>(1 + random() % 4);
    switch (run.fault) {
    case Fault::None:
        break;
    case Fault::MissingWord:
        run.faults.missingWord = static_cast<int>(random() % (model.eepromSize() / 2));
        break;
    case Fault::Late: {
        static const int lateMs[] = {3, 20, 36, 75, 100};
        run.faults.lateMs = lateMs[random() % 5];
        break;
    }
    case Fault::Silent:
        run.faults.silent = true;
        break;
    case Fault::StuckCells:
        run.faults.randomStuck = 1 + static_cast<int>(random() % 4);
        run.faults.seed = random();
        break;
    }
    return run;
}

std::vector<std::uint8_t> randomBytes(std::mt19937& random, int size)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

} // namespace

class TestTransferSoak : public QObject
{
    Q_OBJECT
private slots:
    void twoHundredTransfers();

private:
    void runOne(int index, const Run& run, std::mt19937& random);
    void checkRead(const Run& run, sim::Simulator& sim, const EepromBufferType& before);
    void checkProgram(const Run& run, sim::Simulator& sim, const std::vector<std::uint8_t>& image);
    void checkVerify(sim::Simulator& sim, const EepromBufferType& before);

    std::unique_ptr<TForm1> m_form;
    QStringList m_messages;
};

void TestTransferSoak::twoHundredTransfers()
{
    bool seedGiven = false;
    const unsigned seed = qEnvironmentVariableIntValue("KESTREL_SOAK_SEED", &seedGiven);
    std::mt19937 random(seedGiven ? seed : 20240611u);
    qInfo("soak seed %u", seedGiven ? seed : 20240611u);

    m_form = std::make_unique<TForm1>();
    m_form->transfers().setMessageSink([this](const QString& text) { m_messages << text; });
    int faulty = 0;
    int failed = 0;
    for (int i = 0; i < Runs; ++i) {
        const Run run = makeRun(random);
        faulty += run.fault != Fault::None;
        runOne(i, run, random);
        if (QTest::currentTestFailed())
            return;
        const link::TransferResult result = m_form->transfers().lastResult();
        failed += result != link::TransferResult::Done && result != link::TransferResult::Mismatch;
    }
    qInfo("%d transfers, %d with a fault, %d ended with a reported failure", Runs, faulty, failed);
    // The seeded sequence must really mix: faults and failures both occur, and most runs pass.
    QVERIFY(faulty > Runs / 5);
    QVERIFY(failed > 0);
    QVERIFY(failed < faulty);
    m_form.reset();
}

void TestTransferSoak::runOne(int index, const Run& run, std::mt19937& random)
{
    const QString what = run.describe(index);
    const QByteArray context = what.toUtf8();
    const int size = ChipTable[run.chip].EepromSize;
    const sim::ChipKind kind = run.chip == ChipB32 ? sim::ChipKind::B32 : sim::ChipKind::D60;

    sim::Simulator sim(kind, run.faults);
    const std::vector<std::uint8_t> content = randomBytes(random, size);
    QVERIFY2(sim.modify([&](sim::Target& t) { return t.loadEeprom(content); }), context);
    // The chip first: choosing it resets the image.
    m_form->ComboBox2->setCurrentIndex(run.chip);
    QCOMPARE(m_form->ChipIndex(), run.chip);
    std::vector<std::uint8_t> image = randomBytes(random, size);
    if (run.operation == Operation::Verify && random() % 2 == 0)
        image = sim.eeprom(); // as the chip reads, stuck cells included
    for (int e = 1; e <= size; ++e)
        m_form->image().EepromBuffer[e] = image[static_cast<std::size_t>(e - 1)];
    const EepromBufferType before = m_form->image().EepromBuffer;

    LineLog log;
    m_form->transfers().setFactories([] { return std::unique_ptr<link::Clock>(new CountedClock); },
                                     [&sim, &log](link::Clock& clock) {
                                         return std::unique_ptr<link::SerialLine>(
                                             new ProbeLine(sim, clock, log));
                                     });
    m_messages.clear();
    m_form->setStatusText(QString()); // a failed programming check leaves the status as it was

    // Through the toolbar, as a user starts it.
    QVERIFY2(m_form->Panel1->isEnabled(), context);
    QToolButton* const buttons[] = {m_form->SpeedButton4, m_form->SpeedButton5,
                                    m_form->SpeedButton6};
    buttons[static_cast<int>(run.operation)]->click();
    QVERIFY2(m_form->transferActive(), context);
    QVERIFY2(m_form->transfers().waitFinished(60000), context);

    // Toolbar and menu released, the line and the clock gone, the port closed.
    QVERIFY2(!m_form->transferActive(), context);
    QVERIFY2(m_form->Panel1->isEnabled(), context);
    for (QAction* a : {m_form->Czytaj1, m_form->Zapisz1, m_form->Wype1, m_form->Wczytajzdysku2})
        QVERIFY2(a->isEnabled(), qPrintable(what + QLatin1Char(' ') + a->objectName()));
    QCOMPARE(liveLines.load(), 0);
    QCOMPARE(liveClocks.load(), 0);
    QVERIFY2(log.opened == 1, context);
    QVERIFY2(log.closed == log.opened, qPrintable(what + QStringLiteral(": port left open")));
    // Whatever the fault, the adapter saw no broken protocol rule.
    QVERIFY2(sim.violations().empty(), context);

    const link::TransferResult result = m_form->transfers().lastResult();
    if (run.fault == Fault::Silent)
        QVERIFY2(result == link::TransferResult::NoAdapter, context);
    if (run.operation == Operation::Verify) {
        if (run.fault == Fault::None)
            QVERIFY2(result == link::TransferResult::Done ||
                         result == link::TransferResult::Mismatch,
                     qPrintable(what + QStringLiteral(" failed: ") + m_messages.join('|')));
        checkVerify(sim, before);
        if (QTest::currentTestFailed())
            qWarning("%s", context.constData());
        return;
    }
    if (run.fault == Fault::None)
        QVERIFY2(result == link::TransferResult::Done,
                 qPrintable(what + QStringLiteral(" failed: ") + m_messages.join('|')));
    if (result != link::TransferResult::Done) {
        // A failure is always told, once.
        QVERIFY2(m_messages.size() == 1,
                 qPrintable(what + QStringLiteral(": messages ") + m_messages.join('|')));
    } else {
        QVERIFY2(m_messages.isEmpty(),
                 qPrintable(what + QStringLiteral(": ") + m_messages.join('|')));
        QCOMPARE(m_form->statusText(), QStringLiteral("Gotowe"));
    }

    if (run.operation == Operation::Read)
        checkRead(run, sim, before);
    else
        checkProgram(run, sim, image);
    if (QTest::currentTestFailed())
        qWarning("%s", context.constData());
}

void TestTransferSoak::checkRead(const Run& run, sim::Simulator& sim,
                                 const EepromBufferType& before)
{
    const int size = ChipTable[run.chip].EepromSize;
    const EepromBufferType& now = m_form->image().EepromBuffer;
    if (m_form->transfers().lastResult() != link::TransferResult::Done) {
        // No half-read image: the buffer is as it was.
        QVERIFY(now == before);
        return;
    }
    // The chip's content as it reads, stuck cells included.
    const std::vector<std::uint8_t> chip = sim.eeprom();
    for (int e = 1; e <= size; ++e)
        QCOMPARE(now[e], int(chip[static_cast<std::size_t>(e - 1)]));
}

void TestTransferSoak::checkProgram(const Run& run, sim::Simulator& sim,
                                    const std::vector<std::uint8_t>& image)
{
    if (m_form->transfers().lastResult() != link::TransferResult::Done)
        return; // a programming run stopped part-way leaves the chip part-way; it was reported
    // Every cell holds the image, except stuck cells, which keep their value: programming does
    // not read back, a verify run is what must find them.
    const sim::ChipModel& model =
        sim::chipModel(run.chip == ChipB32 ? sim::ChipKind::B32 : sim::ChipKind::D60);
    std::vector<std::uint8_t> expected = image;
    const std::vector<std::pair<std::uint16_t, std::uint8_t>> stuck = sim.inspect(
        [](const sim::Target&, const sim::Adapter& adapter) { return adapter.faults().stuck; });
    QCOMPARE(stuck.empty(), run.fault != Fault::StuckCells);
    for (const auto& [address, value] : stuck)
        expected[static_cast<std::size_t>(address - model.eeprom.first)] = value;
    QCOMPARE(sim.eeprom(), expected);
}

// A verify tells its outcome once and never changes the buffer; the marks are exactly the bytes
// where the chip, stuck cells included, differs from it.
void TestTransferSoak::checkVerify(sim::Simulator& sim, const EepromBufferType& before)
{
    const link::TransferResult result = m_form->transfers().lastResult();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_form->image().EepromBuffer == before);
    const int size = m_form->image().EepromSize;
    const std::vector<std::uint8_t> chip = sim.eeprom();
    int differing = 0;
    for (int e = 1; e <= size; ++e)
        differing += before[e] != int(chip[static_cast<std::size_t>(e - 1)]);
    if (result == link::TransferResult::Done) {
        QCOMPARE(differing, 0);
        QCOMPARE(m_form->statusText(), QStringLiteral("Zgodne"));
    } else if (result == link::TransferResult::Mismatch) {
        QVERIFY(differing > 0);
        QCOMPARE(m_form->statusText(), QStringLiteral("Niezgodne"));
        QCOMPARE(m_form->model().markedCount(), differing);
    } else {
        QCOMPARE(m_form->model().markedCount(), 0);
    }
}

QTEST_MAIN(TestTransferSoak)
#include "tst_transfersoak.moc"

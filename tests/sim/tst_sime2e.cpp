// Real time, through a pseudo-terminal and the real serial line: a full read, a full
// programming run and a read back of one chip, with no pacing violation.

#include "pty_server.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "recording_observer.h"
#include "simulator.h"
#include "workers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <random>

using namespace kestrel;
using namespace kestrel::sim;
using kestrel::link::TransferResult;
using kestrel::testsupport::RecordingObserver;

#ifndef E2E_CHIP_D60
#define E2E_CHIP_D60 0
#endif

namespace {

std::vector<std::uint8_t> randomBytes(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(size));
    for (auto& b : out)
        b = static_cast<std::uint8_t>(random());
    return out;
}

TransferResult runWorker(link::WorkerRoutine worker, const QString& port,
                         RecordingObserver& observer, const std::vector<std::uint8_t>& image = {})
{
    link::QSerialPortLine line;
    link::RealClock clock;
    link::TransferContext ctx{line, clock, observer, port, {}, nullptr};
    for (std::size_t i = 0; i < image.size(); ++i)
        ctx.image[i + 1] = image[i];
    return worker(ctx);
}

} // namespace

class TestSimE2E : public QObject
{
    Q_OBJECT

private slots:
    void readProgramReadBack();
};

void TestSimE2E::readProgramReadBack()
{
    const bool d60 = E2E_CHIP_D60 != 0;
    const ChipKind kind = d60 ? ChipKind::D60 : ChipKind::B32;
    const int size = chipModel(kind).eepromSize();
    const auto program = d60 ? link::ProgramWorkerD60 : link::ProgramWorkerB32;
    const auto read = d60 ? link::ReadWorkerD60 : link::ReadWorkerB32;

    Simulator sim(kind);
    const auto initial = randomBytes(size, 1);
    QVERIFY(sim.modify([&](Target& t) { return t.loadEeprom(initial); }));
    BackgroundPtyServer server(sim);
    std::string error;
    QVERIFY2(server.start(error), error.c_str());
    const QString port = QString::fromStdString(server.slavePath());

    QElapsedTimer timer;
    timer.start();
    RecordingObserver first;
    QCOMPARE(runWorker(read, port, first), TransferResult::Done);
    const qint64 readMs = timer.restart();
    QCOMPARE(std::vector<std::uint8_t>(first.image.begin(), first.image.end()), initial);

    const auto image = randomBytes(size, 2);
    RecordingObserver programmed;
    QCOMPARE(runWorker(program, port, programmed, image), TransferResult::Done);
    const qint64 programMs = timer.restart();
    QCOMPARE(sim.eeprom(), image);

    RecordingObserver back;
    QCOMPARE(runWorker(read, port, back), TransferResult::Done);
    QCOMPARE(std::vector<std::uint8_t>(back.image.begin(), back.image.end()), image);
    server.stop();

    const auto violations = sim.violations();
    QString text;
    for (const Violation& v : violations)
        text += QStringLiteral("frame %1: %2\n").arg(v.frame).arg(QString::fromStdString(v.what));
    QVERIFY2(violations.empty(), qPrintable(text));
    const std::size_t words = static_cast<std::size_t>(size / 2);
    QCOMPARE(sim.frameCount(), 2 * (3 + words + 1) + (3 + 61 + words + 1 + 1));
    qInfo("read %lld ms, programming %lld ms", readMs, programMs);
}

QTEST_GUILESS_MAIN(TestSimE2E)
#include "tst_sime2e.moc"

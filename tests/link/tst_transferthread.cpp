#include "fake_line.h"
#include "recording_observer.h"
#include "transfer_thread.h"
#include "virtual_clock.h"

#include <QtTest>

#include <stdexcept>

using namespace kestrel::link;
using namespace kestrel::testsupport;

namespace {

std::atomic<bool> workerRan{false};
std::atomic<bool> releaseWorker{true};

TransferResult programsAll(TransferContext& ctx)
{
    workerRan = true;
    while (!releaseWorker)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ctx.observer.setStatus(QStringLiteral("Gotowe"));
    ctx.outcome.programmed = true;
    return TransferResult::Done;
}

TransferResult throwsHalfWay(TransferContext& ctx)
{
    workerRan = true;
    ctx.outcome.programmed = true; // what the worker did before it threw is still told
    throw std::runtime_error("half way");
}

TransferJob jobOf(WorkerRoutine routine, std::atomic<bool>* cancel = nullptr)
{
    TransferJob job;
    job.routine = routine;
    job.portName = QStringLiteral("COM1");
    job.makeClock = [] { return std::make_unique<VirtualClock>(); };
    job.makeLine = [](Clock& clock) {
        return std::make_unique<FakeLine>(static_cast<VirtualClock&>(clock));
    };
    job.cancel = cancel;
    return job;
}

} // namespace

class TestTransferThread : public QObject
{
    Q_OBJECT

private slots:
    void endsEveryTransferOnce_data();
    void endsEveryTransferOnce();
    void waitsWithATimeOut();
};

void TestTransferThread::endsEveryTransferOnce_data()
{
    QTest::addColumn<bool>("throws");
    QTest::addColumn<bool>("stoppedBefore");
    QTest::addColumn<TransferResult>("result");
    QTest::addColumn<bool>("programmed");
    QTest::addColumn<int>("messages");
    QTest::newRow("worker returns") << false << false << TransferResult::Done << true << 0;
    QTest::newRow("worker throws") << true << false << TransferResult::Failed << true << 1;
    QTest::newRow("stopped before it began")
        << false << true << TransferResult::Cancelled << false << 0;
}

void TestTransferThread::endsEveryTransferOnce()
{
    QFETCH(bool, throws);
    QFETCH(bool, stoppedBefore);
    QFETCH(TransferResult, result);
    QFETCH(int, messages);
    workerRan = false;
    releaseWorker = true;
    std::atomic<bool> stop{stoppedBefore};
    TransferThread thread;
    RecordingObserver observer;
    QVERIFY(thread.start(jobOf(throws ? throwsHalfWay : programsAll, &stop), observer));
    // One transfer at a time, until it is joined.
    QVERIFY(!thread.start(jobOf(programsAll), observer));
    QVERIFY(thread.waitEnded(10000));
    const TransferOutcome& outcome = thread.join();
    QVERIFY(!thread.running());
    QCOMPARE(workerRan.load(), !stoppedBefore);
    QCOMPARE(observer.finishedCalls, 1);
    QCOMPARE(observer.events.last(), QStringLiteral("finished"));
    QCOMPARE(outcome.result, result);
    QCOMPARE(observer.outcome.result, result);
    QTEST(outcome.programmed, "programmed");
    QCOMPARE(observer.messages().size(), messages);
    // Joined, it starts the next one.
    QVERIFY(thread.start(jobOf(programsAll), observer));
    QCOMPARE(thread.join().result, TransferResult::Done);
    QCOMPARE(observer.finishedCalls, 2);
}

void TestTransferThread::waitsWithATimeOut()
{
    workerRan = false;
    releaseWorker = false;
    TransferThread thread;
    RecordingObserver observer;
    QVERIFY(thread.start(jobOf(programsAll), observer));
    int pumped = 0;
    QVERIFY(!thread.waitEnded(30, [&] { ++pumped; }));
    QVERIFY(pumped >= 2);
    QVERIFY(!thread.ended());
    QCOMPARE(observer.finishedCalls, 0);
    releaseWorker = true;
    QVERIFY(thread.waitEnded(10000, [&] { ++pumped; }));
    QCOMPARE(thread.join().result, TransferResult::Done);
    QCOMPARE(observer.finishedCalls, 1);
}

QTEST_APPLESS_MAIN(TestTransferThread)
#include "tst_transferthread.moc"

#include "queued_observer.h"
#include "recording_observer.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace kestrel;

class TestQueuedObserver : public QObject
{
    Q_OBJECT
private slots:
    void callsArriveInOrderOnContextThread();
    void verifiedArrivesInOrder();
    void messageBlocksWorkerUntilClosed();
    void silencedMessageDoesNotBlock_data();
    void silencedMessageDoesNotBlock();
    void observerMayEndInAfterFinished();
    void burstsFromSeveralTransfersKeepOrder();
};

void TestQueuedObserver::callsArriveInOrderOnContextThread()
{
    testsupport::RecordingObserver target;
    QThread* guiThread = QThread::currentThread();
    bool allOnGui = true;
    target.onProgress = [&](int) { allOnGui = allOnGui && QThread::currentThread() == guiThread; };
    bool afterFinishedRan = false;
    QObject context;
    QueuedObserver queued(&context, target, [&] { afterFinishedRan = true; });

    std::thread worker([&] {
        queued.startPhase(link::Phase::Reading);
        queued.setProgressMax(99);
        for (int i = 0; i < 100; ++i) {
            queued.setProgress(i);
            if (i == 50)
                queued.setStatus(QStringLiteral("half"));
        }
        queued.imageRead(QByteArray(2, '\x80'));
        queued.finished({});
    });
    QTRY_VERIFY(afterFinishedRan);
    worker.join();

    QStringList expected{QStringLiteral("phase:reading"), QStringLiteral("max:99")};
    for (int i = 0; i < 100; ++i) {
        expected << QStringLiteral("progress:%1").arg(i);
        if (i == 50)
            expected << QStringLiteral("status:half");
    }
    QVERIFY(allOnGui);
    QCOMPARE(target.events.mid(0, expected.size()), expected);
    QCOMPARE(target.events.size(), expected.size() + 2);
    QVERIFY(target.events.last().startsWith(QStringLiteral("finished")));
}

void TestQueuedObserver::verifiedArrivesInOrder()
{
    struct Recorder final : testsupport::RecordingObserver
    {
        QThread* thread = nullptr;
        QByteArray chip;
        void verified(const QByteArray& chipBytes, const std::vector<int>& offsets) override
        {
            thread = QThread::currentThread();
            chip = chipBytes;
            QStringList list;
            for (const int o : offsets)
                list << QString::number(o);
            events << QStringLiteral("verified:") + list.join(',');
        }
    } target;
    bool ended = false;
    QObject context;
    QueuedObserver queued(&context, target, [&] { ended = true; });
    std::thread worker([&] {
        queued.setStatus(QStringLiteral("Trwa weryfikacja EEPROM"));
        queued.verified(QByteArray("\x01\x02\x03", 3), {0, 2});
        queued.setStatus(QStringLiteral("Niezgodne"));
        queued.finished({});
    });
    QTRY_VERIFY(ended);
    worker.join();
    QCOMPARE(target.events,
             (QStringList{QStringLiteral("status:Trwa weryfikacja EEPROM"),
                          QStringLiteral("verified:0,2"), QStringLiteral("status:Niezgodne"),
                          QStringLiteral("finished")}));
    QCOMPARE(target.thread, QThread::currentThread());
    QCOMPARE(target.chip, QByteArray("\x01\x02\x03", 3));
}

void TestQueuedObserver::messageBlocksWorkerUntilClosed()
{
    testsupport::RecordingObserver target;
    std::atomic<bool> workerPastMessage{false};
    bool pastWhileShown = true;
    target.onMessage = [&](const QString&) {
        // The user takes a while to close the message; the worker must still be waiting.
        QTest::qWait(50);
        pastWhileShown = workerPastMessage;
    };
    QObject context;
    QueuedObserver queued(&context, target);
    std::thread worker([&] {
        queued.setStatus(QStringLiteral("before"));
        queued.showMessage(QStringLiteral("BRAK KOMUNIKACJI !!"));
        workerPastMessage = true;
        queued.finished({});
    });
    QTRY_VERIFY(workerPastMessage);
    worker.join();
    QVERIFY(!pastWhileShown);
    QCOMPARE(target.events.value(0), QStringLiteral("status:before"));
    QVERIFY(target.events.value(1).contains(QStringLiteral("BRAK KOMUNIKACJI !!")));
}

void TestQueuedObserver::silencedMessageDoesNotBlock_data()
{
    QTest::addColumn<bool>("silenceWhileWaiting");
    QTest::newRow("silenced before the message") << false;
    QTest::newRow("silenced while the worker waits") << true;
}

void TestQueuedObserver::silencedMessageDoesNotBlock()
{
    QFETCH(bool, silenceWhileWaiting);
    testsupport::RecordingObserver target;
    QObject context;
    QueuedObserver queued(&context, target);
    if (!silenceWhileWaiting)
        queued.silence();
    std::atomic<bool> done{false};
    // The context thread processes no events here: only silencing can release the worker.
    std::thread worker([&] {
        queued.showMessage(QStringLiteral("never shown"));
        done = true;
    });
    if (silenceWhileWaiting) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QVERIFY(!done);
        queued.silence();
    }
    worker.join();
    QVERIFY(done);
    QCoreApplication::processEvents();
    QVERIFY(target.events.filter(QStringLiteral("never shown")).isEmpty());
}

void TestQueuedObserver::observerMayEndInAfterFinished()
{
    // The next transfer replaces the observer from the finished call itself (a slot that starts
    // another transfer): nothing of the old one may be touched afterwards (the asan preset sees
    // it if it is).
    testsupport::RecordingObserver target;
    QObject context;
    bool ended = false;
    std::unique_ptr<QueuedObserver> queued;
    queued = std::make_unique<QueuedObserver>(&context, target, [&] {
        queued.reset();
        ended = true;
    });
    QueuedObserver* raw = queued.get();
    std::thread worker([raw] {
        for (int i = 0; i < 20; ++i)
            raw->setProgress(i);
        raw->finished({});
    });
    QTRY_VERIFY(ended);
    worker.join();
    QVERIFY(!queued);
    QCOMPARE(target.events.size(), 21);
    QCoreApplication::processEvents();
}

void TestQueuedObserver::burstsFromSeveralTransfersKeepOrder()
{
    // Several observers one after another, each fed in bursts with pauses between them, so that
    // the queue empties and the wake-up is asked for again many times.
    QObject context;
    for (int run = 0; run < 5; ++run) {
        testsupport::RecordingObserver target;
        bool done = false;
        QueuedObserver queued(&context, target, [&] { done = true; });
        std::thread worker([&] {
            for (int burst = 0; burst < 20; ++burst) {
                for (int i = 0; i < 10; ++i)
                    queued.setProgress(burst * 10 + i);
                std::this_thread::sleep_for(std::chrono::microseconds(200 * (burst % 3)));
            }
            queued.finished({});
        });
        QTRY_VERIFY(done);
        worker.join();
        QCOMPARE(target.events.size(), 201);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(target.events.at(i), QStringLiteral("progress:%1").arg(i));
    }
}

QTEST_MAIN(TestQueuedObserver)
#include "tst_queuedobserver.moc"

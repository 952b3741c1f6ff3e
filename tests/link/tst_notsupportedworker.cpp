#include "fake_line.h"
#include "recording_observer.h"
#include "virtual_clock.h"
#include "workers.h"

#include <QtTest>

using namespace kestrel::link;
using namespace kestrel::testsupport;

class TestNotSupportedWorker : public QObject
{
    Q_OBJECT

private slots:
    void answersWithoutTouchingThePort_data();
    void answersWithoutTouchingThePort();
};

void TestNotSupportedWorker::answersWithoutTouchingThePort_data()
{
    QTest::addColumn<QString>("port");
    QTest::newRow("COM1") << "COM1";
    QTest::newRow("typed port") << "/dev/ttyUSB0";
    QTest::newRow("empty") << "";
}

void TestNotSupportedWorker::answersWithoutTouchingThePort()
{
    QFETCH(QString, port);
    VirtualClock clock;
    FakeLine line(clock);
    RecordingObserver observer;
    TransferContext ctx{line, clock, observer, port, {}, nullptr};
    QCOMPARE(runTransfer(NotSupportedWorker, ctx), TransferResult::NotSupported);
    QCOMPARE(observer.events,
             (QStringList{"message:W wersji 1.0 układ nie jest obsługiwany", "finished"}));
    QCOMPARE(line.openCalls(), 0);
    QCOMPARE(line.closeCalls(), 0);
    QVERIFY(line.sent().isEmpty());
    QCOMPARE(clock.now().count(), 0);
}

QTEST_APPLESS_MAIN(TestNotSupportedWorker)
#include "tst_notsupportedworker.moc"

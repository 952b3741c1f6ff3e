#include "real_clock.h"

#include <QtTest>

#include <algorithm>
#include <vector>

using namespace kestrel::link;
using namespace std::chrono_literals;

class TestRealClock : public QObject
{
    Q_OBJECT

private slots:
    void pausesNeverEndEarly_data();
    void pausesNeverEndEarly();
    void emptyPauseReturnsAtOnce();
};

void TestRealClock::pausesNeverEndEarly_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("repeats");
    QTest::newRow("byte pause 2 ms") << 2 << 40;
    QTest::newRow("reply pause 8 ms") << 8 << 10;
    QTest::newRow("wait step 20 ms") << 20 << 5;
}

void TestRealClock::pausesNeverEndEarly()
{
    QFETCH(int, ms);
    QFETCH(int, repeats);
    RealClock clock;
    std::vector<qint64> overshootUs;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        clock.pauseMs(ms);
        const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        QVERIFY2(took >= std::chrono::milliseconds(ms), qPrintable(QString::number(took.count())));
        overshootUs.push_back((took - std::chrono::milliseconds(ms)).count());
    }
    std::sort(overshootUs.begin(), overshootUs.end());
    const qint64 median = overshootUs[overshootUs.size() / 2];
    qInfo("median overshoot %lld us, worst %lld us", static_cast<long long>(median),
          static_cast<long long>(overshootUs.back()));
    // Well under 0.1 ms when idle; the bound leaves room for a busy build machine.
    QVERIFY2(median < 1000, qPrintable(QString::number(median)));
}

void TestRealClock::emptyPauseReturnsAtOnce()
{
    RealClock clock;
    const auto start = clock.now();
    clock.pauseMs(0);
    clock.pauseMs(-5);
    QVERIFY(clock.now() - start < 5ms);
    QVERIFY(clock.now() >= start);
}

QTEST_APPLESS_MAIN(TestRealClock)
#include "tst_realclock.moc"

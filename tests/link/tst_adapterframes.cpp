#include "adapter.h"
#include "fake_line.h"
#include "virtual_clock.h"

#include <QtTest>

using namespace kestrel::link;
using namespace kestrel::testsupport;
using namespace std::chrono_literals;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// Gaps between the sent bytes, in microseconds, and the time after the last one.
QList<qint64> gaps(const FakeLine& line, std::chrono::microseconds end)
{
    QList<qint64> out;
    const auto& sent = line.sent();
    for (qsizetype i = 1; i < sent.size(); ++i)
        out << (sent[i].at - sent[i - 1].at).count();
    if (!sent.isEmpty())
        out << (end - sent.last().at).count();
    return out;
}

} // namespace

class TestAdapterFrames : public QObject
{
    Q_OBJECT

private slots:
    void portNames_data();
    void portNames();
    void frameBytesAndPauses_data();
    void frameBytesAndPauses();
    void sendStopsWhenLineBreaks();
    void openSendsBeginOnly();
    void openFailures_data();
    void openFailures();
    void connectionCheck_data();
    void connectionCheck();
    void staleReadyByteDoesNotPassSilentAdapter();
    void checkStopsOnCancel();
    void lateReadyDoesNotPassLaterTry_data();
    void lateReadyDoesNotPassLaterTry();
    void statusReplyDeadline_data();
    void statusReplyDeadline();
    void checkReportsBrokenLine();
    void closeSendsEndWhileLineWorks();
    void closeAfterBrokenLineSendsNothing();
};

void TestAdapterFrames::portNames_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("device");
#if defined(Q_OS_LINUX)
    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("COM2") << "COM2"
                          << "/dev/ttyS1";
    QTest::newRow("com1") << "com1"
                          << "/dev/ttyS0";
    QTest::newRow("Com2") << " Com2"
                          << "/dev/ttyS1";
    QTest::newRow("a device is named exactly") << "/dev/TTYUSB0"
                                               << "/dev/TTYUSB0";
#else
    QTest::newRow("COM1") << "COM1"
                          << "COM1";
    QTest::newRow("COM2") << "COM2"
                          << "COM2";
#endif
    QTest::newRow("typed USB") << "/dev/ttyUSB0"
                               << "/dev/ttyUSB0";
    QTest::newRow("typed COM5") << "COM5"
                                << "COM5";
    QTest::newRow("surrounding blanks") << " /dev/ttyACM0 "
                                        << "/dev/ttyACM0";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank") << "   "
                           << "";
}

void TestAdapterFrames::portNames()
{
    QFETCH(QString, selection);
    QFETCH(QString, device);
    QCOMPARE(portDeviceName(selection), device);
}

void TestAdapterFrames::frameBytesAndPauses_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lastPauseMs");
    QTest::newRow("CMD_BEGIN") << 0 << hex("5B00000000") << 40;
    QTest::newRow("CMD_PREPARE") << 1 << hex("2100000000") << 20;
    QTest::newRow("CMD_READ_STATUS") << 2 << hex("3701FF0000") << 8;
    QTest::newRow("CMD_WRITE_WORD") << 3 << hex("0B80083412") << 2;
    QTest::newRow("CMD_READ_WORD") << 4 << hex("16FE0F0000") << 4;
    QTest::newRow("CMD_RUN B32") << 5 << hex("4200000000") << 4;
    QTest::newRow("CMD_RUN D60") << 6 << hex("4D00000000") << 4;
    QTest::newRow("CMD_END") << 7 << hex("5C00000000") << 40;
}

void TestAdapterFrames::frameBytesAndPauses()
{
    QFETCH(int, which);
    QFETCH(QByteArray, bytes);
    QFETCH(int, lastPauseMs);
    const AdapterCommand commands[] = {
        BeginCommand,
        PrepareCommand,
        ReadStatusCommand,
        writeWordCommand(0x0880, 0x34, 0x12),
        readWordCommand(0x0FFE),
        plainCommand(CMD_RUN.b32, RunPauseMs),
        plainCommand(CMD_RUN.d60, RunPauseMs),
        EndCommand,
    };
    VirtualClock clock;
    FakeLine line(clock);
    QVERIFY(line.open(QStringLiteral("x"), 2) == OpenStatus::Opened);
    AdapterLink link(line, clock);
    QVERIFY(SendAdapterCommand(link, commands[which]));
    QCOMPARE(line.sentBytes(), bytes);
    const QList<qint64> expected{2000, 2000, 2000, 2000, lastPauseMs * 1000LL};
    QCOMPARE(gaps(line, clock.now()), expected);
}

void TestAdapterFrames::sendStopsWhenLineBreaks()
{
    VirtualClock clock;
    FakeLine line(clock);
    QVERIFY(line.open(QStringLiteral("x"), 2) == OpenStatus::Opened);
    line.breakAfterBytes(2);
    AdapterLink link(line, clock);
    QVERIFY(!SendAdapterCommand(link, PrepareCommand));
    QCOMPARE(line.sent().size(), 2);
    // Two bytes, two 2-ms pauses, nothing after the failed byte.
    QCOMPARE(clock.now(), 4ms);
}

void TestAdapterFrames::openSendsBeginOnly()
{
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("/dev/ttyUSB3"), 10) == OpenStatus::Opened);
    QCOMPARE(line.openedName(), QStringLiteral("/dev/ttyUSB3"));
    QCOMPARE(line.openedTimeout(), 10);
    QCOMPARE(line.sentBytes(), hex("5B00000000"));
    QCOMPARE(line.sent().first().at, 100ms); // the line settles before the first byte
    QCOMPARE(clock.now(), 148ms);
    QCOMPARE(link.readTimeoutMs, 10);
}

void TestAdapterFrames::openFailures_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<int>("lineStatus");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("openCalls");
    QTest::newRow("empty name") << "" << int(OpenStatus::Opened) << int(OpenStatus::Failed) << 0;
    QTest::newRow("port missing or held")
        << "COM2" << int(OpenStatus::Failed) << int(OpenStatus::Failed) << 1;
    QTest::newRow("speed refused") << "/dev/ttyUSB0" << int(OpenStatus::SpeedUnsupported)
                                   << int(OpenStatus::SpeedUnsupported) << 1;
}

void TestAdapterFrames::openFailures()
{
    QFETCH(QString, selection);
    QFETCH(int, lineStatus);
    QFETCH(int, expected);
    QFETCH(int, openCalls);
    VirtualClock clock;
    FakeLine line(clock);
    line.setOpenStatus(static_cast<OpenStatus>(lineStatus));
    AdapterLink link(line, clock);
    QCOMPARE(int(OpenAdapterPort(link, selection, 2)), expected);
    QCOMPARE(line.openCalls(), openCalls);
    QVERIFY(line.sent().isEmpty());
    CloseAdapterPort(link); // nothing was opened: nothing to send or close
    QVERIFY(line.sent().isEmpty());
    QCOMPARE(line.closeCalls(), 0);
}

void TestAdapterFrames::connectionCheck_data()
{
    QTest::addColumn<QList<QByteArray>>("replies"); // one per status query, last repeats
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("pairs");
    const int passed = int(CheckResult::Passed);
    const int failed = int(CheckResult::Failed);
    QTest::newRow("C0 00") << QList<QByteArray>{hex("C000")} << passed << 1;
    QTest::newRow("C0 FF") << QList<QByteArray>{hex("C0FF")} << passed << 1;
    QTest::newRow("C0 5A") << QList<QByteArray>{hex("C05A")} << passed << 1;
    QTest::newRow("40") << QList<QByteArray>{hex("4000")} << failed << 3;
    QTest::newRow("80") << QList<QByteArray>{hex("80C0")} << failed << 3;
    QTest::newRow("C1") << QList<QByteArray>{hex("C100")} << failed << 3;
    QTest::newRow("ready on 2nd try") << QList<QByteArray>{hex("0000"), hex("C000")} << passed << 2;
    QTest::newRow("ready on 3rd try")
        << QList<QByteArray>{hex("0000"), hex("4000"), hex("C000")} << passed << 3;
    QTest::newRow("ready on 4th try is too late")
        << QList<QByteArray>{hex("0000"), hex("0000"), hex("0000"), hex("C000")} << failed << 3;
    QTest::newRow("silent") << QList<QByteArray>{QByteArray()} << failed << 3;
    QTest::newRow("short C0") << QList<QByteArray>{hex("C0")} << failed << 3;
    QTest::newRow("short, then whole") << QList<QByteArray>{hex("C0"), hex("C000")} << passed << 2;
}

void TestAdapterFrames::connectionCheck()
{
    QFETCH(QList<QByteArray>, replies);
    QFETCH(int, expected);
    QFETCH(int, pairs);
    VirtualClock clock;
    FakeLine line(clock);
    int queries = 0;
    line.setResponder([&](const Frame& f) {
        if (f[0] != CMD_READ_STATUS)
            return QByteArray();
        const auto i = std::min<qsizetype>(queries++, replies.size() - 1);
        return replies[i];
    });
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    QCOMPARE(int(CheckAdapterConnection(link)), expected);

    const QList<Frame> frames = line.frames();
    QCOMPARE(frames.size(), 1 + 2 * pairs);
    for (int p = 0; p < pairs; ++p) {
        QCOMPARE(frameText(frames[1 + 2 * p]), QStringLiteral("21 00 00 00 00"));
        QCOMPARE(frameText(frames[2 + 2 * p]), QStringLiteral("37 01 FF 00 00"));
    }
}

void TestAdapterFrames::staleReadyByteDoesNotPassSilentAdapter()
{
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    link.ReplyBuffer = {0xC0, 0x00}; // left by an earlier reply
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    line.queueInput(hex("C0")); // a late byte still on the line
    QCOMPARE(CheckAdapterConnection(link), CheckResult::Failed);
    QCOMPARE(line.frames().size(), 7);
}

void TestAdapterFrames::checkStopsOnCancel()
{
    VirtualClock clock;
    FakeLine line(clock);
    std::atomic<bool> cancel{false};
    line.setResponder([&](const Frame& f) {
        if (f[0] == CMD_READ_STATUS)
            cancel = true; // requested while the first status reply is awaited
        return QByteArray();
    });
    AdapterLink link(line, clock, &cancel);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    QCOMPARE(CheckAdapterConnection(link), CheckResult::Cancelled);
    QCOMPARE(line.frames().size(), 3);
}

void TestAdapterFrames::lateReadyDoesNotPassLaterTry_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("lateMs");
    QTest::addColumn<int>("expected");
    QTest::newRow("T 2, 3 ms late: within T + 2T") << 2 << 3 << int(CheckResult::Passed);
    QTest::newRow("T 2, 40 ms late") << 2 << 40 << int(CheckResult::Failed);
    QTest::newRow("T 10, 25 ms late: within T + 2T") << 10 << 25 << int(CheckResult::Passed);
    QTest::newRow("T 10, 40 ms late") << 10 << 40 << int(CheckResult::Failed);
}

void TestAdapterFrames::lateReadyDoesNotPassLaterTry()
{
    QFETCH(int, t);
    QFETCH(int, lateMs);
    QFETCH(int, expected);
    VirtualClock clock;
    FakeLine line(clock);
    line.setResponder(
        [](const Frame& f) { return f[0] == CMD_READ_STATUS ? hex("C000") : QByteArray(); });
    line.setReplyDelay(std::chrono::milliseconds(lateMs));
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), t) == OpenStatus::Opened);
    // Each late answer comes in while the next try's frames go out: it is not that try's answer.
    QCOMPARE(int(CheckAdapterConnection(link)), expected);
}

void TestAdapterFrames::statusReplyDeadline_data()
{
    QTest::addColumn<int>("t");
    QTest::addColumn<int>("deadline");
    // The status reply is awaited as long as a read's reply, whatever T: a USB-serial chip may
    // hold a short reply for its 16-ms latency timer.
    QTest::newRow("programming") << ProgramReadTimeoutMs << 30;
    QTest::newRow("reading") << ReadReadTimeoutMs << 30;
}

void TestAdapterFrames::statusReplyDeadline()
{
    QFETCH(int, t);
    QFETCH(int, deadline);
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), t) == OpenStatus::Opened);
    QCOMPARE(CheckAdapterConnection(link), CheckResult::Failed);
    QCOMPARE(line.readTimeouts(), (QList<int>{deadline, deadline, deadline}));
    // Settling 100, BEGIN 48, then three pairs of 28 + 16 ms and a full wait each.
    QCOMPARE(clock.now(), std::chrono::milliseconds(100 + 48 + 3 * (28 + 16 + deadline)));
}

void TestAdapterFrames::checkReportsBrokenLine()
{
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    line.breakAfterBytes(5 + 7);
    QCOMPARE(CheckAdapterConnection(link), CheckResult::Broken);
    QCOMPARE(line.sent().size(), 12);
}

void TestAdapterFrames::closeSendsEndWhileLineWorks()
{
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    CloseAdapterPort(link);
    QCOMPARE(line.sentBytes(), hex("5B000000005C00000000"));
    QCOMPARE(line.closeCalls(), 1);
    QVERIFY(!line.isOpen());
    CloseAdapterPort(link); // a second close does nothing
    QCOMPARE(line.closeCalls(), 1);
    QCOMPARE(line.sent().size(), 10);
}

void TestAdapterFrames::closeAfterBrokenLineSendsNothing()
{
    VirtualClock clock;
    FakeLine line(clock);
    AdapterLink link(line, clock);
    QVERIFY(OpenAdapterPort(link, QStringLiteral("p"), 2) == OpenStatus::Opened);
    line.breakAt(clock.now());
    CloseAdapterPort(link);
    QCOMPARE(line.sent().size(), 5);
    QCOMPARE(line.closeCalls(), 1);
}

QTEST_APPLESS_MAIN(TestAdapterFrames)
#include "tst_adapterframes.moc"

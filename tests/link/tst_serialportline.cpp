#include "adapter.h"
#include "chip_workers.h"
#include "line_speed.h"
#include "messages.h"
#include "pty_peer.h"
#include "qserialport_line.h"
#include "real_clock.h"
#include "recording_observer.h"
#include "workers.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

using namespace kestrel::link;
using namespace kestrel::testsupport;
using namespace std::chrono_literals;

namespace {

QByteArray readyOrWord(const PtyPeer::Frame& f)
{
    if (f[0] == CMD_READ_STATUS)
        return QByteArray::fromHex("C000");
    if (f[0] == CMD_READ_WORD)
        return QByteArray::fromHex("3412");
    return {};
}

bool sendFrame(SerialLine& line, const AdapterCommand& command)
{
    for (std::uint8_t b : command.bytes)
        if (!line.sendByte(b))
            return false;
    return true;
}

} // namespace

// The production line over a pseudo-terminal pair, with a thread playing the adapter.
class TestSerialPortLine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensAt12800();
    void speedRule_data();
    void speedRule();
    void secondOpenIsRefused();
    void missingPortFails();
    void staleInputIsCleared();
    void replyWithinDeadline_data();
    void replyWithinDeadline();
    void silentPeerTimesOut();
    void gathersPartialReplies();
    void hangUpDuringReadIsBrokenLine();
    void hangUpSeenWithoutReading();
    void hangUpDetectedByWorkerWithinOneFrame();

private:
    std::unique_ptr<PtyPeer> peer;
};

void TestSerialPortLine::init()
{
    // The previous peer's thread may still run its script, which reads `peer`: stop and join it
    // before the member is replaced.
    peer.reset();
    peer = std::make_unique<PtyPeer>();
    if (!peer->isValid())
        QSKIP("no pseudo-terminals here");
}

void TestSerialPortLine::cleanup()
{
    peer.reset();
}

void TestSerialPortLine::opensAt12800()
{
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), 2), OpenStatus::Opened);
    const std::optional<LineSpeed> speed = readLineSpeed(peer->slaveFd());
    QVERIFY(speed.has_value());
    QCOMPARE(speed->output, 12800u);
    QVERIFY(!line.broken());
    line.close();
}

// The speed the driver reports back, within 1 % of 12800 in both directions, or what the port
// claims when the driver tells nothing; the refusal names what the driver set.
void TestSerialPortLine::speedRule_data()
{
    QTest::addColumn<int>("output"); // -1: the driver reports nothing
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("claimed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("12800") << 12800 << 12800 << 0 << true;
    QTest::newRow("PL2303, 12820") << 12820 << 0 << 0 << true;
    QTest::newRow("1 % slow, 12672") << 12672 << 12672 << 0 << true;
    QTest::newRow("1 % fast, 12928") << 12928 << 0 << 0 << true;
    QTest::newRow("just past 1 %, 12929") << 12929 << 0 << 0 << false;
    QTest::newRow("14400") << 14400 << 0 << 0 << false;
    QTest::newRow("12000") << 12000 << 12000 << 0 << false;
    QTest::newRow("input off") << 12800 << 9600 << 0 << false;
    QTest::newRow("none reported, port claims 12800") << -1 << 0 << 12800 << true;
    QTest::newRow("none reported, port claims 9600") << -1 << 0 << 9600 << false;
}

void TestSerialPortLine::speedRule()
{
    QFETCH(int, output);
    QFETCH(int, input);
    QFETCH(int, claimed);
    QFETCH(bool, accepted);
    std::optional<LineSpeed> reported;
    if (output >= 0)
        reported = LineSpeed{unsigned(input), unsigned(output)};
    QCOMPARE(lineSpeedAccepted(reported, unsigned(claimed)), accepted);
    if (!accepted && output > 0)
        QCOMPARE(speedUnsupportedMessage(unsigned(output)),
                 QStringLiteral("Port nie obsługuje prędkości 12800 bodów (sterownik ustawił %1 "
                                "bodów)")
                     .arg(output));
}

void TestSerialPortLine::secondOpenIsRefused()
{
    QSerialPortLine first;
    QSerialPortLine second;
    QCOMPARE(first.open(peer->slaveName(), 2), OpenStatus::Opened);
    QCOMPARE(second.open(peer->slaveName(), 2), OpenStatus::Failed);
    first.close();
    QCOMPARE(second.open(peer->slaveName(), 2), OpenStatus::Opened);
}

void TestSerialPortLine::missingPortFails()
{
    QSerialPortLine line;
    QCOMPARE(line.open(QStringLiteral("/dev/kestrel-no-such-port"), 2), OpenStatus::Failed);
    std::uint8_t buffer[2];
    QVERIFY(!line.sendByte(0x5B));
    QVERIFY(line.read(buffer, 2, 0).broken);
}

void TestSerialPortLine::staleInputIsCleared()
{
    // A pseudo-terminal keeps what its master wrote even with nobody reading the slave.
    peer->inject(QByteArray::fromHex("C000C000"));
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), 2), OpenStatus::Opened);
    std::uint8_t buffer[4];
    const ReadResult r = line.read(buffer, 4, 20);
    QCOMPARE(r.count, 0);
    QVERIFY(!r.broken);
}

void TestSerialPortLine::replyWithinDeadline_data()
{
    QTest::addColumn<int>("t");
    QTest::newRow("programming, T = 2") << ProgramReadTimeoutMs;
    QTest::newRow("reading, T = 10") << ReadReadTimeoutMs;
}

void TestSerialPortLine::replyWithinDeadline()
{
    QFETCH(int, t);
    peer->setScript(readyOrWord);
    peer->start();
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), t), OpenStatus::Opened);
    // The peer is a thread on a possibly busy machine: one of ten tries must make it, and
    // a slow try (the peer or the reader woken late) only costs a try.
    qint64 best = -1;
    QStringList tries;
    for (int attempt = 0; attempt < 10 && best < 0; ++attempt) {
        QVERIFY(sendFrame(line, ReadStatusCommand));
        std::uint8_t buffer[2] = {};
        QElapsedTimer timer;
        timer.start();
        const ReadResult r = line.read(buffer, 2, replyDeadlineMs(t));
        const qint64 elapsed = timer.elapsed();
        QVERIFY(!r.broken);
        // A read never waits far past its deadline: not the 1 s of a wrong time-out, however busy
        // the machine.
        QVERIFY2(elapsed < replyDeadlineMs(t) + 500, qPrintable(QString::number(elapsed)));
        tries << QStringLiteral("%1 bytes in %2 ms").arg(r.count).arg(elapsed);
        // A few ms of slack for a busy machine waking the reader late.
        if (r.count == 2 && elapsed <= replyDeadlineMs(t) + 5) {
            QCOMPARE(buffer[0], 0xC0);
            best = elapsed;
        } else {
            std::this_thread::sleep_for(50ms); // let a late answer pass, then drop it
            (void)line.read(buffer, 2, 0);
        }
    }
    QVERIFY2(best >= 0, qPrintable("no whole reply within T + 2T in ten tries: " +
                                   tries.join(QStringLiteral(", "))));
}

void TestSerialPortLine::silentPeerTimesOut()
{
    peer->start();
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), ReadReadTimeoutMs), OpenStatus::Opened);
    QVERIFY(sendFrame(line, ReadStatusCommand));
    std::uint8_t buffer[2] = {};
    QElapsedTimer timer;
    timer.start();
    const ReadResult r = line.read(buffer, 2, 30);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(r.count, 0);
    QVERIFY(!r.broken);
    // Never before the time-out; after it, soon (the upper bound only guards a hang).
    QVERIFY2(elapsed >= 29 && elapsed < 2000, qPrintable(QString::number(elapsed)));
}

void TestSerialPortLine::gathersPartialReplies()
{
    PtyPeer* far = peer.get();
    peer->setScript([far](const PtyPeer::Frame&) {
        far->inject(QByteArray::fromHex("C0"));
        std::this_thread::sleep_for(5ms);
        return QByteArray::fromHex("5A");
    });
    peer->start();
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), ReadReadTimeoutMs), OpenStatus::Opened);
    QVERIFY(sendFrame(line, ReadStatusCommand));
    std::uint8_t buffer[2] = {};
    const ReadResult r = line.read(buffer, 2, 30);
    QCOMPARE(r.count, 2);
    QCOMPARE(buffer[0], 0xC0);
    QCOMPARE(buffer[1], 0x5A);
}

void TestSerialPortLine::hangUpDuringReadIsBrokenLine()
{
    peer->hangUpAtFrame(1);
    peer->start();
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), ReadReadTimeoutMs), OpenStatus::Opened);
    QVERIFY(sendFrame(line, ReadStatusCommand));
    std::uint8_t buffer[2] = {};
    QElapsedTimer timer;
    timer.start();
    // Seen as a hang-up, not waited out: the time-out is far longer than any busy machine's
    // delay in waking the reader.
    const ReadResult r = line.read(buffer, 2, 10000);
    QVERIFY(r.broken);
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(line.broken());
    QVERIFY(!line.sendByte(0x5C));
}

void TestSerialPortLine::hangUpSeenWithoutReading()
{
    // As during the programming run's fixed wait: nothing is sent or read, and no event loop
    // runs on the worker's thread.
    peer->hangUpAtFrame(1);
    peer->start();
    QSerialPortLine line;
    QCOMPARE(line.open(peer->slaveName(), ProgramReadTimeoutMs), OpenStatus::Opened);
    QVERIFY(sendFrame(line, BeginCommand));
    for (int i = 0; i < 100 && !peer->hungUp(); ++i)
        std::this_thread::sleep_for(5ms);
    QVERIFY(peer->hungUp());
    QVERIFY(line.broken());
}

void TestSerialPortLine::hangUpDetectedByWorkerWithinOneFrame()
{
    // CMD_BEGIN, the check's two frames, then ten words; the peer goes away on the 14th frame.
    peer->setScript(readyOrWord);
    peer->hangUpAtFrame(14);
    peer->start();
    QSerialPortLine line;
    RealClock clock;
    RecordingObserver observer;
    TransferContext ctx{line, clock, observer, peer->slaveName(), {}, nullptr};
    const TransferResult result = ReadWorkerB32(ctx);
    QVERIFY(peer->hungUp());
    QCOMPARE(result, TransferResult::LineBroken);
    QCOMPARE(
        observer.events.mid(observer.events.size() - 3),
        (QStringList{"status:Przerwano",
                     "message:Utracono połączenie z portem – operacja przerwana", "finished"}));
    QCOMPARE(observer.imageCalls, 0);
    // Ten words at most were stored before the line went (fewer if the peer was slow).
    QVERIFY(observer.events.filter("progress:").last().mid(9).toInt() <= 9);
}

QTEST_GUILESS_MAIN(TestSerialPortLine)
#include "tst_serialportline.moc"

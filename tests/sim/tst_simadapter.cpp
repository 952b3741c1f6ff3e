#include "sim_adapter.h"
#include "simulator.h"

#include <QTemporaryDir>
#include <QtTest>

#include <random>

using namespace kestrel::sim;

namespace {

// Feeds frames given as hex texts ("5B00000000"), bytes gapUs apart and frames 10 ms apart.
class Feeder
{
public:
    explicit Feeder(Adapter& adapter) : adapter_(adapter) {}
    std::vector<ReplyByte> frame(const char* hex, std::int64_t gapUs = 2000)
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        std::vector<ReplyByte> out;
        for (int i = 0; i < bytes.size(); ++i) {
            if (i > 0)
                now += gapUs;
            adapter_.receive(static_cast<std::uint8_t>(bytes[i]), now, out);
        }
        lastByte = now;
        now += 10'000;
        return out;
    }
    std::int64_t now = 1'000'000;
    std::int64_t lastByte = 0;

private:
    Adapter& adapter_;
};

QByteArray values(const std::vector<ReplyByte>& reply)
{
    QByteArray out;
    for (const ReplyByte& r : reply)
        out.append(static_cast<char>(r.value));
    return out;
}

} // namespace

class TestSimAdapter : public QObject
{
    Q_OBJECT

private slots:
    void commands();
    void violations_data();
    void violations();
    void pacingThroughADelayingLine_data();
    void pacingThroughADelayingLine();
    void transcript();
    void replyFaults_data();
    void replyFaults();
    void lateReply();
    void wordReplyFaults_data();
    void wordReplyFaults();
    void hangUp();
    void stuckCells();
    void randomMissingReplies();
    void simulatorLine();
};

void TestSimAdapter::commands()
{
    Target t(ChipKind::B32);
    Adapter a(t, {});
    Feeder f(a);
    QVERIFY(f.frame("5B00000000").empty());
    QCOMPARE(values(f.frame("3701FF0000")), QByteArray::fromHex("0000")); // not halted yet
    QVERIFY(f.frame("2100000000").empty());
    const auto status = f.frame("3701FF0000");
    QCOMPARE(values(status), QByteArray::fromHex("C000"));
    QCOMPARE(status[0].atUs, f.lastByte + ByteTimeUs);
    QCOMPARE(status[1].atUs, f.lastByte + 2 * ByteTimeUs);
    // WRITE_WORD: argument 4 to the address, argument 3 to the address + 1.
    QVERIFY(f.frame("0B8008A1B2").empty());
    QCOMPARE(t.read8(0x0880), std::uint8_t{0xB2});
    QCOMPARE(t.read8(0x0881), std::uint8_t{0xA1});
    // READ_WORD: the byte at address + 1 first.
    QCOMPARE(values(f.frame("1680080000")), QByteArray::fromHex("A1B2"));
    QCOMPARE(values(f.frame("16FE0F0000")), QByteArray::fromHex("FFFF"));
    // RUN 0x42 starts at 0x0800: here a JMP to itself, a final loop at once.
    QVERIFY(f.frame("0B00080806").empty());
    QVERIFY(f.frame("0B02080000").empty());
    QVERIFY(f.frame("4200000000").empty());
    QCOMPARE(a.runs().size(), std::size_t{1});
    QCOMPARE(a.runs()[0].start, std::uint16_t{0x0800});
    QCOMPARE(a.runs()[0].stop, RunReport::Stop::FinalLoop);
    QCOMPARE(values(f.frame("3701FF0000")), QByteArray::fromHex("8000")); // running
    QVERIFY(f.frame("2100000000").empty());
    QVERIFY(f.frame("4D00000000").empty()); // 0x0200 is unmapped on this chip
    QCOMPARE(a.runs()[1].start, std::uint16_t{0x0200});
    QCOMPARE(a.runs()[1].stop, RunReport::Stop::UnknownOpcode);
    QVERIFY(f.frame("5C00000000").empty());
    QVERIFY(a.violations().empty());
    QCOMPARE(a.frames().size(), std::size_t{14});
    QVERIFY(!a.inSession());
}

void TestSimAdapter::violations_data()
{
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<int>("gapUs");
    QTest::addColumn<int>("frame");    // 1-based frame of the one violation, 0: none expected
    QTest::addColumn<QString>("what"); // part of its text
    QTest::addColumn<int>("cell0880"); // RAM byte after the frames

    const QString begin = "5B00000000", prep = "2100000000", end = "5C00000000";
    QTest::newRow("clean") << QStringList{begin, prep, "0B80080102", end} << 2000 << 0 << ""
                           << 0x02;
    QTest::newRow("gap of exactly 1.5 ms") << QStringList{begin, end} << 1500 << 0 << "" << 0;
    QTest::newRow("bytes 1.4 ms apart") << QStringList{begin} << 1400 << 1 << "1400 us apart" << 0;
    QTest::newRow("unknown command")
        << QStringList{begin, "9900000000", end} << 2000 << 2 << "unknown command" << 0;
    QTest::newRow("before CMD_BEGIN")
        << QStringList{"0B80080102"} << 2000 << 1 << "before CMD_BEGIN" << 0;
    QTest::newRow("after CMD_END")
        << QStringList{begin, prep, end, "0B80080102"} << 2000 << 4 << "after CMD_END" << 0;
    QTest::newRow("arguments of a plain command")
        << QStringList{begin, "2100000100"} << 2000 << 2 << "arguments" << 0;
    QTest::newRow("memory before CMD_PREPARE")
        << QStringList{begin, "0B80080102"} << 2000 << 2 << "not halted" << 0x02;
    QTest::newRow("status query elsewhere")
        << QStringList{begin, prep, "3702FF0000"} << 2000 << 3 << "37 01 FF 00 00" << 0;
    QTest::newRow("CMD_BEGIN twice") << QStringList{begin, begin} << 2000 << 2 << "inside" << 0;
}

void TestSimAdapter::violations()
{
    QFETCH(QStringList, frames);
    QFETCH(int, gapUs);
    QFETCH(int, frame);
    QFETCH(QString, what);
    Target t(ChipKind::B32);
    Adapter a(t, {});
    Feeder f(a);
    for (const QString& fr : frames)
        f.frame(fr.toLatin1().constData(), gapUs);
    if (frame == 0) {
        QVERIFY(a.violations().empty());
    } else {
        QCOMPARE(a.violations().size(), std::size_t{1});
        const Violation& v = a.violations().front();
        QCOMPARE(static_cast<int>(v.frame), frame);
        QVERIFY2(QString::fromStdString(v.what).contains(what), v.what.c_str());
        QCOMPARE(v.timeUs, a.frames()[static_cast<std::size_t>(frame - 1)].lastUs);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(v.bytes.data()), 5),
                 QByteArray::fromHex(frames[frame - 1].toLatin1()));
    }
    QTEST(static_cast<int>(t.read8(0x0880)), "cell0880");
}

// Seeded random sessions. With exact stamps (the line stamps the sending), a host that keeps its
// pauses is never judged early, and a frame sent as a burst among such frames always is. With
// delivered stamps (a pseudo-terminal, which jitters every byte and now and then stalls, for up
// to 0.9 s as seen on a loaded machine), an honest host and a single burst frame are never judged,
// and a host that sends every frame too fast is judged on every frame.
enum class Host
{
    Honest,
    OneBurst,
    EveryFrameAtOnce,
    EveryByte1ms,
};
Q_DECLARE_METATYPE(Host)
Q_DECLARE_METATYPE(Stamps)

void TestSimAdapter::pacingThroughADelayingLine_data()
{
    QTest::addColumn<Stamps>("stamps");
    QTest::addColumn<Host>("host");
    QTest::newRow("exact, honest") << Stamps::Exact << Host::Honest;
    QTest::newRow("exact, one burst frame") << Stamps::Exact << Host::OneBurst;
    QTest::newRow("exact, frames in one go") << Stamps::Exact << Host::EveryFrameAtOnce;
    QTest::newRow("exact, bytes 1 ms apart") << Stamps::Exact << Host::EveryByte1ms;
    QTest::newRow("delivered, honest") << Stamps::Delivered << Host::Honest;
    QTest::newRow("delivered, one burst frame") << Stamps::Delivered << Host::OneBurst;
    QTest::newRow("delivered, frames in one go") << Stamps::Delivered << Host::EveryFrameAtOnce;
    QTest::newRow("delivered, bytes 1 ms apart") << Stamps::Delivered << Host::EveryByte1ms;
}

void TestSimAdapter::pacingThroughADelayingLine()
{
    QFETCH(Stamps, stamps);
    QFETCH(Host, host);
    const bool pty = stamps == Stamps::Delivered;
    const bool tooFast = host == Host::EveryFrameAtOnce || host == Host::EveryByte1ms;
    const QByteArray session[] = {"5B00000000", "2100000000", "3701FF0000"};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        auto uniform = [&](int lo, int hi) {
            return std::uniform_int_distribution(lo, hi)(random);
        };
        const int frames = uniform(20, 120);
        const int burst = host == Host::OneBurst ? uniform(3, frames - 1) : -1;
        Target t(ChipKind::B32);
        Adapter a(t, {});
        a.setStamps(stamps);
        std::vector<ReplyByte> out;
        std::int64_t sent = 1'000'000, delivered = 0, stallEnd = 0;
        for (int n = 0; n < frames; ++n) {
            QByteArray frame = n < 3           ? QByteArray::fromHex(session[n])
                               : uniform(0, 1) ? QByteArray::fromHex("16000D0000")
                                               : QByteArray::fromHex("0B80080102");
            for (int i = 0; i < 5; ++i) {
                if (i > 0) {
                    if (host == Host::EveryFrameAtOnce || n == burst)
                        sent += uniform(0, 500);
                    else if (host == Host::EveryByte1ms)
                        sent += 1000;
                    else
                        sent += BytePauseUs + uniform(0, 50);
                }
                // Delivery: prompt (up to 100 us; a pseudo-terminal up to 300 us, or up to 2 ms
                // for the hosts it must never judge), and on a pseudo-terminal for the honest
                // host now and then after the first frame (the verdict needs one byte that
                // came on time) held back by a stall that releases every byte sent meanwhile.
                const bool stalls = pty && host == Host::Honest;
                if (stalls && n > 0 && sent >= stallEnd && uniform(1, 40) == 1)
                    stallEnd = sent + (uniform(1, 4) == 1 ? uniform(100'000, 900'000)
                                                          : uniform(1'000, 60'000));
                const int jitter = !pty      ? uniform(0, 100)
                                   : tooFast ? uniform(0, 300)
                                             : uniform(0, 2000);
                const std::int64_t at = sent < stallEnd ? stallEnd : sent + jitter;
                delivered = std::max(delivered, at);
                a.receive(static_cast<std::uint8_t>(frame[i]), delivered, out);
            }
            sent += owedPauseAfterUs(static_cast<std::uint8_t>(frame[0])) + uniform(0, 50);
        }
        QString seen;
        for (const Violation& v : a.violations())
            seen += QStringLiteral("frame %1: %2; ").arg(v.frame).arg(v.what.c_str());
        const QString why = QStringLiteral("seed %1: %2").arg(seed).arg(seen);
        switch (host) {
        case Host::Honest:
            QVERIFY2(a.violations().empty(), qPrintable(why));
            break;
        case Host::OneBurst:
            if (pty) {
                QVERIFY2(a.violations().empty(), qPrintable(why));
            } else {
                QCOMPARE(a.violations().size(), std::size_t{1});
                QVERIFY2(static_cast<int>(a.violations().front().frame) == burst + 1,
                         qPrintable(why));
            }
            break;
        case Host::EveryFrameAtOnce:
        case Host::EveryByte1ms:
            QVERIFY2(a.violations().size() == static_cast<std::size_t>(frames), qPrintable(why));
            for (int n = 0; n < frames; ++n)
                QCOMPARE(a.violations()[static_cast<std::size_t>(n)].frame,
                         static_cast<std::size_t>(n + 1));
            break;
        }
    }
}

void TestSimAdapter::transcript()
{
    Target t(ChipKind::D60);
    Adapter a(t, {});
    Feeder f(a);
    f.frame("5B00000000");
    f.frame("2100000000");
    f.frame("3701FF0000");
    f.frame("16000C0000", 500);
    f.frame("5C00000000");
    QTemporaryDir dir;
    const QString path = dir.filePath("transcript.txt");
    QVERIFY(a.writeTranscript(path.toStdString()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QVERIFY(lines[0].contains("0.000 ms") && lines[0].contains("5B 00 00 00 00  CMD_BEGIN"));
    QVERIFY(lines[2].contains("37 01 FF 00 00  CMD_READ_STATUS  reply C0 00"));
    QVERIFY(lines[3].contains("#4") && lines[3].contains("reply FF FF"));
    QVERIFY(lines[4].contains("!! violation") && lines[4].contains("500 us apart"));
    QVERIFY(lines[5].contains("CMD_END"));
    // Each frame at the time of its first byte, from the first frame on: frames take 8 ms
    // plus 10 ms between them, the fourth 2 ms.
    QCOMPARE(lines[1].section("ms", 0, 0).trimmed(), QStringLiteral("18.000"));
    QCOMPARE(lines[5].section("ms", 0, 0).trimmed(), QStringLiteral("66.000"));
    QVERIFY(!a.writeTranscript(dir.filePath("missing/dir/file.txt").toStdString()));
}

void TestSimAdapter::replyFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("frames"); // after BEGIN and PREPARE
    QTest::addColumn<QStringList>("replies");

    const QString st = "3701FF0000";
    const QString w0 = "1600"
                       "0D0000",
                  w1 = "16020D0000", w2 = "16040D0000";
    QTest::newRow("none") << "" << QStringList{st, w0, w1} << QStringList{"C000", "FFFF", "FFFF"};
    QTest::newRow("silent") << "silent" << QStringList{st, w0} << QStringList{"", ""};
    QTest::newRow("ready on try 3")
        << "ready3" << QStringList{st, st, st, st} << QStringList{"8000", "8000", "C000", "C000"};
    QTest::newRow("status byte 40")
        << "status40" << QStringList{st, st} << QStringList{"4000", "4000"};
    QTest::newRow("short word 1") << "short1" << QStringList{w0, w1, w1, w2}
                                  << QStringList{"FFFF", "FF", "FF", "FFFF"};
    QTest::newRow("missing word 2")
        << "missing2" << QStringList{w2, w2, w0} << QStringList{"", "", "FFFF"};
    QTest::newRow("every 2nd short")
        << "shortEvery2" << QStringList{w0, w0, w0, w0} << QStringList{"FFFF", "FF", "FFFF", "FF"};
    QTest::newRow("every 3rd missing") << "missingEvery3" << QStringList{w0, w1, w2, w0, w1, w2}
                                       << QStringList{"FFFF", "FFFF", "", "FFFF", "FFFF", ""};
}

void TestSimAdapter::replyFaults()
{
    QFETCH(QString, fault);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, replies);
    Faults faults;
    faults.silent = fault == "silent";
    if (fault == "ready3")
        faults.readyOnTry = 3;
    if (fault == "status40")
        faults.statusByte = 0x40;
    if (fault == "short1")
        faults.shortWord = 1;
    if (fault == "missing2")
        faults.missingWord = 2;
    if (fault == "shortEvery2")
        faults.shortEvery = 2;
    if (fault == "missingEvery3")
        faults.missingEvery = 3;
    Target t(ChipKind::B32);
    Adapter a(t, faults);
    Feeder f(a);
    f.frame("5B00000000");
    f.frame("2100000000");
    for (int i = 0; i < frames.size(); ++i)
        QCOMPARE(values(f.frame(frames[i].toLatin1().constData())).toHex().toUpper(),
                 replies[i].toLatin1());
    QVERIFY(a.violations().empty());
}

void TestSimAdapter::lateReply()
{
    Faults faults;
    faults.lateMs = 40;
    Target t(ChipKind::B32);
    Adapter a(t, faults);
    Feeder f(a);
    f.frame("5B00000000");
    f.frame("2100000000");
    const auto reply = f.frame("3701FF0000");
    QCOMPARE(reply.size(), std::size_t{2});
    QCOMPARE(reply[0].atUs, f.lastByte + 40'000 + ByteTimeUs);
}

// The faults of single word replies: which bytes go out, when, after which frame.
void TestSimAdapter::wordReplyFaults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("first");  // reply bytes after the faulty request
    QTest::addColumn<int>("secondLateMs");  // of its second byte, beyond the wire time
    QTest::addColumn<QByteArray>("second"); // after the next request
    const QByteArray w0 = QByteArray::fromHex("3412"), w1 = QByteArray::fromHex("7856");
    QTest::newRow("none") << int(ReplyFault::None) << w0 << 0 << w1;
    QTest::newRow("split") << int(ReplyFault::Split) << w0 << 25 << w1;
    QTest::newRow("held") << int(ReplyFault::Held) << QByteArray::fromHex("34") << 0
                          << QByteArray::fromHex("12") + w1;
    QTest::newRow("extra") << int(ReplyFault::Extra) << w0 + QByteArray::fromHex("A5") << 0 << w1;
    QTest::newRow("dropped") << int(ReplyFault::Dropped) << QByteArray::fromHex("34") << 0 << w1;
    QTest::newRow("missing") << int(ReplyFault::Missing) << QByteArray() << 0 << w1;
}

void TestSimAdapter::wordReplyFaults()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, first);
    QFETCH(int, secondLateMs);
    Faults faults;
    faults.replyFaults[1] = {static_cast<ReplyFault>(kind), 25};
    Target t(ChipKind::B32);
    QVERIFY(t.loadEeprom({0x12, 0x34, 0x56, 0x78}));
    Adapter a(t, faults);
    Feeder f(a);
    f.frame("5B00000000");
    f.frame("2100000000");
    const auto one = f.frame("16000D0000");
    QCOMPARE(values(one), first);
    if (one.size() > 1)
        QCOMPARE(one[1].atUs - one[0].atUs, ByteTimeUs + 1000 * secondLateMs);
    const auto two = f.frame("16020D0000");
    QTEST(values(two), "second");
    QCOMPARE(two.front().atUs, f.lastByte + ByteTimeUs);
}

void TestSimAdapter::hangUp()
{
    Faults faults;
    faults.hangUpAfterFrames = 3;
    Simulator sim(ChipKind::B32, faults);
    QVERIFY(sim.attach(0));
    std::int64_t now = 0;
    auto send = [&](const char* hex) {
        bool ok = true;
        for (char c : QByteArray::fromHex(hex)) {
            now += 2000;
            ok = sim.receive(static_cast<std::uint8_t>(c), now) && ok;
        }
        return ok;
    };
    QVERIFY(send("5B00000000"));
    QVERIFY(send("2100000000"));
    QVERIFY(!sim.hungUp());
    QVERIFY(send("3701FF0000")); // the third frame goes out, its reply never comes
    QVERIFY(sim.hungUp());
    QVERIFY(!sim.nextReplyAt());
    QVERIFY(!sim.receive(0x5C, now + 2000));
    QCOMPARE(sim.frameCount(), std::size_t{3});
    sim.detach();
    QVERIFY(!sim.attach(now + 5000)); // the device is gone
}

void TestSimAdapter::stuckCells()
{
    Faults faults;
    faults.stuck = {{0x0D10, 0x5A}, {0x0800, 0x11}}; // RAM is no EEPROM cell: ignored
    Simulator sim(ChipKind::B32, faults);
    const auto e = sim.eeprom();
    QCOMPARE(e[0x10], std::uint8_t{0x5A});
    QCOMPARE(std::count(e.begin(), e.end(), 0xFF), 767);

    Faults random;
    random.randomStuck = 5;
    random.seed = 42;
    auto stuckOf = [](const Simulator& s) {
        std::vector<std::pair<std::uint16_t, std::uint8_t>> out;
        s.inspect([&](const Target&, const Adapter& a) { out = a.faults().stuck; });
        return out;
    };
    Simulator r1(ChipKind::D60, random);
    Simulator r2(ChipKind::D60, random);
    random.seed = 43;
    Simulator r3(ChipKind::D60, random);
    QCOMPARE(stuckOf(r1).size(), std::size_t{5});
    QVERIFY(stuckOf(r1) == stuckOf(r2));
    QVERIFY(stuckOf(r1) != stuckOf(r3));
    for (const auto& [address, value] : stuckOf(r1)) {
        QVERIFY(address >= 0x0C00 && address <= 0x0FFF);
        QCOMPARE(r1.eeprom()[address - 0x0C00u], value);
    }
}

void TestSimAdapter::randomMissingReplies()
{
    auto pattern = [](std::uint32_t seed) {
        Faults faults;
        faults.missingRate = 0.5;
        faults.seed = seed;
        Target t(ChipKind::B32);
        Adapter a(t, faults);
        Feeder f(a);
        f.frame("5B00000000");
        f.frame("2100000000");
        QString out;
        for (int i = 0; i < 40; ++i)
            out += f.frame("1600"
                           "0D0000")
                           .empty()
                       ? QLatin1Char('-')
                       : QLatin1Char('R');
        return out;
    };
    const QString a = pattern(5);
    QCOMPARE(pattern(5), a);
    QVERIFY(pattern(6) != a);
    QVERIFY(a.count('-') > 5 && a.count('R') > 5);
}

// Attach is exclusive; a reattach drops a partial frame (recorded) and stale replies.
void TestSimAdapter::simulatorLine()
{
    Simulator sim(ChipKind::B32);
    QVERIFY(sim.attach(0));
    QVERIFY(!sim.attach(0));
    std::int64_t now = 0;
    for (char c : QByteArray::fromHex("5B0000000021000000003701FF0000")) {
        now += 2000;
        QVERIFY(sim.receive(static_cast<std::uint8_t>(c), now));
    }
    std::uint8_t buf[4] = {};
    QCOMPARE(sim.takeReplies(buf, 4, now), 0);
    QCOMPARE(*sim.nextReplyAt(), now + ByteTimeUs);
    QCOMPARE(sim.takeReplies(buf, 4, now + ByteTimeUs), 1);
    QVERIFY(sim.receive(0x5C, now + 5000));
    sim.detach();
    QVERIFY(sim.attach(now + 10'000));
    QVERIFY(!sim.nextReplyAt());
    const auto v = sim.violations();
    QCOMPARE(v.size(), std::size_t{1});
    QVERIFY(v[0].what.find("incomplete frame of 1 byte") != std::string::npos);
}

QTEST_APPLESS_MAIN(TestSimAdapter)
#include "tst_simadapter.moc"

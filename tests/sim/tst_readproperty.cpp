// The read workers against the simulated adapter under seeded random reply faults, in virtual
// time: the image handed over is always the chip's, or the read ends with its failure message
// and hands nothing over.

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

Q_DECLARE_METATYPE(kestrel::sim::Faults)

namespace {

struct Schedule
{
    bool d60 = false;
    std::map<int, ReplyFaultAt> faults;
};

// Faults of single replies at random places, any kind and any mix.
Schedule randomSchedule(unsigned seed)
{
    std::mt19937 random(seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(random); };
    Schedule s;
    s.d60 = seed % 2 == 1;
    const int words = s.d60 ? 512 : 384;
    const int count = uniform(0, 3) == 0 ? uniform(4, 16) : uniform(0, 3);
    // Anywhere, near the end, or clustered so that the faults meet the words asked again.
    const int centre = uniform(1, words);
    const int spread = uniform(0, 2);
    for (int i = 0; i < count; ++i) {
        const int n = spread == 0   ? uniform(1, words + 10)
                      : spread == 1 ? words - uniform(0, 4)
                                    : std::max(1, centre + uniform(-8, 8));
        ReplyFaultAt f;
        f.kind = static_cast<ReplyFault>(uniform(1, 6));
        if (f.kind == ReplyFault::Late || f.kind == ReplyFault::Split)
            f.ms = uniform(0, 80);
        s.faults[n] = f;
    }
    return s;
}

QString describe(const Schedule& s)
{
    static const char* names[] = {"none", "late", "split", "held", "extra", "dropped", "missing"};
    QString out = s.d60 ? QStringLiteral("68HC12D60:") : QStringLiteral("68HC12B32:");
    for (const auto& [n, f] : s.faults)
        out += QStringLiteral(" %1=%2").arg(n).arg(names[static_cast<int>(f.kind)]) +
               (f.ms ? QStringLiteral("/%1").arg(f.ms) : QString());
    return out;
}

std::vector<std::uint8_t> randomContent(bool d60, unsigned seed)
{
    std::vector<std::uint8_t> content(d60 ? 1024 : 768);
    std::mt19937 random(seed);
    for (auto& b : content)
        b = static_cast<std::uint8_t>(random());
    return content;
}

// Runs one read, or with `verify` a verify against the chip's content with one byte changed;
// empty when the outcome keeps the promise (the chip's bytes, or a failure that hands nothing
// over), else what went wrong.
QString check(const Faults& faults, bool d60, unsigned contentSeed, bool verify = false,
              bool* done = nullptr)
{
    Simulator sim(d60 ? ChipKind::D60 : ChipKind::B32, faults);
    const std::vector<std::uint8_t> content = randomContent(d60, contentSeed);
    if (!sim.modify([&](Target& t) { return t.loadEeprom(content); }))
        return QStringLiteral("EEPROM not loaded");
    EepromBufferType image{};
    for (std::size_t k = 0; k < content.size(); ++k)
        image[k + 1] = content[k];
    const std::size_t changed = contentSeed % content.size();
    image[changed + 1] ^= 0x5A;
    VirtualClock clock;
    RecordingObserver o;
    SimLine line(sim, clock);
    link::TransferContext ctx{line, clock, o, QStringLiteral("SYMULATOR"),
                              bufferBytes(image, EepromLastEntry), nullptr};
    const auto worker = verify ? (d60 ? link::VerifyWorkerD60 : link::VerifyWorkerB32)
                               : (d60 ? link::ReadWorkerD60 : link::ReadWorkerB32);
    const TransferResult result = worker(ctx);
    if (!sim.violations().empty())
        return QStringLiteral("protocol violation: %1")
            .arg(QString::fromStdString(sim.violations().front().what));
    if (o.finishedCalls != 1)
        return QStringLiteral("finished %1 times").arg(o.finishedCalls);
    if (result == TransferResult::Done && !verify) {
        if (o.imageCalls != 1 || o.statuses().last() != link::statusDone())
            return QStringLiteral("done without one image and \"Gotowe\"");
        for (std::size_t k = 0; k < content.size(); ++k)
            if (static_cast<std::uint8_t>(o.image[static_cast<qsizetype>(k)]) != content[k])
                return QStringLiteral("wrong byte at offset %1").arg(k);
    }
    if (result == TransferResult::Done && verify)
        return QStringLiteral("verify found no difference");
    if (result == TransferResult::Mismatch) {
        const int first = (d60 ? 0x0C00 : 0x0D00) + int(changed);
        const QString expected = link::verifyDifferentMessage(
            1, first, content[changed], static_cast<std::uint8_t>(image[changed + 1]));
        if (!verify || o.messages() != QStringList{expected})
            return QStringLiteral("wrong verdict: %1").arg(o.messages().join('|'));
    }
    if (result == TransferResult::Done || result == TransferResult::Mismatch) {
        if (done)
            *done = true;
        return {};
    }
    if (o.imageCalls != 0)
        return QStringLiteral("a failed read handed an image over");
    // Replies all too late fail the connection check already.
    if (result == TransferResult::NoAdapter && o.messages() == QStringList{link::readNoAdapterMessage()})
        return {};
    if (result != TransferResult::ReadAborted)
        return QStringLiteral("unexpected result %1").arg(int(result));
    if (o.messages().size() != 1 || !o.messages()[0].startsWith("Odczyt przerwany: ") ||
        o.statuses().last() != link::statusReadAborted())
        return QStringLiteral("abort without its message: %1").arg(o.messages().join('|'));
    return {};
}

QString check(const Schedule& s, unsigned contentSeed, bool* done = nullptr)
{
    Faults faults;
    faults.replyFaults = s.faults;
    return check(faults, s.d60, contentSeed, false, done);
}

// The faults kestrel-sim injects every n-th word reply, by option name.
using EveryFault = int Faults::*;
const std::pair<const char*, EveryFault> everyFaults[] = {
    {"short", &Faults::shortEvery},     {"missing", &Faults::missingEvery},
    {"split", &Faults::splitEvery},     {"held", &Faults::heldEvery},
    {"extra", &Faults::extraEvery},     {"dropped", &Faults::droppedEvery},
    {"late", &Faults::lateEvery},
};

} // namespace

class TestReadProperty : public QObject
{
    Q_OBJECT

private slots:
    void fixedSchedules_data();
    void fixedSchedules();
    void randomSchedules();
    void faultMatrix_data();
    void faultMatrix();
    void lossyLine_data();
    void lossyLine();
};

// Schedules that found faults, and the reply held past the next request's discard: the word
// must not be stored with its bytes swapped.
void TestReadProperty::fixedSchedules_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<QList<int>>("held");    // replies whose second byte is held
    QTest::addColumn<QList<int>>("missing"); // replies that never come
    QTest::addColumn<int>("late");           // a reply 78 ms late; negative: split, 15 ms
    for (int word : {0, 5, 100, 383})
        QTest::addRow("B32 held at word %d", word)
            << false << QList<int>{word + 1} << QList<int>{} << 0;
    QTest::addRow("D60 held at the last word") << true << QList<int>{512} << QList<int>{} << 0;
    QTest::addRow("B32 held twice apart") << false << QList<int>{10, 20} << QList<int>{} << 0;
    // Out of step from word 10 on, word 20's reply so late that it comes after the quiet line's
    // first request, for word 10, whose own reply is lost: only waiting out the late replies
    // keeps word 20's bytes out of word 10.
    // A held byte taken by the next request, whose own second byte comes split past the next
    // discard: two words out of step, found only at the third.
    QTest::addRow("held, then split") << false << QList<int>{11} << QList<int>{} << -12;
    QTest::addRow("late reply after the quiet line")
        << false << QList<int>{} << QList<int>{11, 23} << 22;
}

void TestReadProperty::fixedSchedules()
{
    QFETCH(bool, d60);
    QFETCH(QList<int>, held);
    QFETCH(QList<int>, missing);
    QFETCH(int, late);
    Schedule s;
    s.d60 = d60;
    for (int n : held)
        s.faults[n] = {ReplyFault::Held, 0};
    for (int n : missing)
        s.faults[n] = {ReplyFault::Missing, 0};
    if (late > 0)
        s.faults[late] = {ReplyFault::Late, 78};
    if (late < 0)
        s.faults[-late] = {ReplyFault::Split, 15};
    const QString problem = check(s, 7);
    QVERIFY2(problem.isEmpty(), qPrintable(describe(s) + ": " + problem));
}

void TestReadProperty::randomSchedules()
{
    const unsigned first = qEnvironmentVariableIntValue("KESTREL_READ_SEED");
    const unsigned count = first ? 1 : 3000;
    unsigned completed = 0;
    for (unsigned seed = first ? first : 1; seed < (first ? first : 1) + count; ++seed) {
        const Schedule s = randomSchedule(seed);
        bool done = false;
        const QString problem = check(s, seed, &done);
        completed += done ? 1 : 0;
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("seed %1 (KESTREL_READ_SEED=%1 "
                                                              "replays it), %2: %3")
                                                   .arg(seed)
                                                   .arg(describe(s), problem)));
    }
    // The schedules must exercise both outcomes.
    qInfo("%u of %u reads completed", completed, count);
    if (!first)
        QVERIFY(completed > count / 2 && completed < count);
}

// Every fault alone at every-n rates and in pairs, the random rates over seeds, and the whole
// line late or split: a read and a verify give the chip's bytes (and the one difference) or fail.
void TestReadProperty::faultMatrix_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<bool>("d60");
    for (const auto& [name, field] : everyFaults)
        for (int n : {1, 2, 3, 4, 5, 7, 50, 150}) {
            Faults f;
            f.*field = n;
            QTest::addRow("%s-every %d", name, n) << f << (n % 2 == 0);
        }
    const std::pair<int, int> rates[] = {{1, 1}, {1, 2}, {2, 2}, {2, 3}, {3, 1}, {5, 7}};
    for (std::size_t a = 0; a < std::size(everyFaults); ++a)
        for (std::size_t b = a + 1; b < std::size(everyFaults); ++b)
            for (const auto& [na, nb] : rates) {
                Faults f;
                f.*everyFaults[a].second = na;
                f.*everyFaults[b].second = nb;
                QTest::addRow("%s-every %d, %s-every %d", everyFaults[a].first, na,
                              everyFaults[b].first, nb)
                    << f << false;
            }
    for (unsigned seed = 1; seed <= 4; ++seed)
        for (double rate : {0.01, 0.1, 0.5}) {
            Faults f;
            f.seed = seed;
            f.missingRate = rate;
            QTest::addRow("missing-rate %.2f seed %u", rate, seed) << f << (seed % 2 == 0);
            f.missingRate = 0.0;
            f.lateRate = rate;
            QTest::addRow("late-rate %.2f seed %u", rate, seed) << f << (seed % 2 == 1);
            f.missingRate = rate;
            f.heldEvery = int(seed) + 1;
            QTest::addRow("both rates %.2f, held-every %u", rate, seed + 1) << f << false;
        }
    for (int ms : {14, 29, 31, 40, 200}) {
        Faults f;
        f.lateMs = ms;
        QTest::addRow("every reply %d ms late", ms) << f << false;
        f.lateMs = 0;
        f.splitEvery = 3;
        f.splitMs = ms;
        QTest::addRow("split-every 3 by %d ms", ms) << f << true;
    }
}

void TestReadProperty::faultMatrix()
{
    QFETCH(Faults, faults);
    QFETCH(bool, d60);
    for (bool verify : {false, true}) {
        const QString problem = check(faults, d60, 11, verify);
        QVERIFY2(problem.isEmpty(), qPrintable((verify ? "verify: " : "read: ") + problem));
    }
}

// A line that loses or delays about one reply in a hundred reads right every time.
void TestReadProperty::lossyLine_data()
{
    QTest::addColumn<Faults>("faults");
    for (unsigned seed = 1; seed <= 20; ++seed) {
        Faults f;
        f.seed = seed;
        f.missingRate = 0.01;
        QTest::addRow("missing-rate 0.01 seed %u", seed) << f;
        f.missingRate = 0.0;
        f.lateRate = 0.01;
        QTest::addRow("late-rate 0.01 seed %u", seed) << f;
    }
    for (const auto& [name, field] : everyFaults)
        if (std::string_view(name) != "extra" && std::string_view(name) != "held")
            for (int n : {100, 150}) {
                Faults f;
                f.*field = n;
                QTest::addRow("%s-every %d", name, n) << f;
            }
}

void TestReadProperty::lossyLine()
{
    QFETCH(Faults, faults);
    for (bool d60 : {false, true}) {
        bool done = false;
        const QString problem = check(faults, d60, 3, false, &done);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(done, d60 ? "68HC12D60 read failed" : "68HC12B32 read failed");
    }
}

QTEST_APPLESS_MAIN(TestReadProperty)
#include "tst_readproperty.moc"

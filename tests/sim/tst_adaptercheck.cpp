// The adapter check against the simulated adapter with each fault it must recognise, in virtual
// time: one diagnosis, the transfers' result, and nothing sent but the check's frames.

#include "adapter_check.h"
#include "recording_observer.h"
#include "sim_line.h"
#include "virtual_clock.h"

#include <QtTest>

using namespace kestrel;
using namespace kestrel::sim;
using kestrel::link::CheckDiagnosis;
using kestrel::link::TransferResult;

Q_DECLARE_METATYPE(kestrel::sim::Faults)
Q_DECLARE_METATYPE(kestrel::link::CheckDiagnosis)
Q_DECLARE_METATYPE(kestrel::link::TransferResult)

class TestAdapterCheck : public QObject
{
    Q_OBJECT
private slots:
    void diagnoses_data();
    void diagnoses();
};

void TestAdapterCheck::diagnoses_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<CheckDiagnosis>("diagnosis");
    QTest::addColumn<TransferResult>("result");
    const auto row = [](const char* name, auto set, CheckDiagnosis d, TransferResult r) {
        Faults f;
        set(f);
        QTest::newRow(name) << f << d << r;
    };
    const auto ready = CheckDiagnosis::Ready;
    const auto noAdapter = TransferResult::NoAdapter;
    row("no fault", [](Faults&) {}, ready, TransferResult::Done);
    row("USB latency 16 ms", [](Faults& f) { f.usbLatencyMs = 16; }, ready, TransferResult::Done);
    row("silent", [](Faults& f) { f.silent = true; }, CheckDiagnosis::NoBytes, noAdapter);
    row("echo", [](Faults& f) { f.echo = true; }, CheckDiagnosis::Echo, noAdapter);
    row("status 80", [](Faults& f) { f.statusByte = 0x80; }, CheckDiagnosis::NotReady, noAdapter);
    row("replies 40 ms late", [](Faults& f) { f.lateMs = 40; }, CheckDiagnosis::LateReplies,
        noAdapter);
    row("USB latency 64 ms", [](Faults& f) { f.usbLatencyMs = 64; }, CheckDiagnosis::LateReplies,
        noAdapter);
    row("word replies short", [](Faults& f) { f.shortEvery = 2; }, CheckDiagnosis::Unreliable,
        noAdapter);
    row("word reply missing", [](Faults& f) { f.missingEvery = 1; }, CheckDiagnosis::Unreliable,
        noAdapter);
    row("hang-up", [](Faults& f) { f.hangUpAfterFrames = 4; }, CheckDiagnosis::LineBroken,
        TransferResult::LineBroken);
}

void TestAdapterCheck::diagnoses()
{
    QFETCH(Faults, faults);
    QFETCH(CheckDiagnosis, diagnosis);
    QFETCH(TransferResult, result);
    Simulator sim(ChipKind::B32, faults);
    std::vector<std::uint8_t> content(768);
    for (std::size_t k = 0; k < content.size(); ++k)
        content[k] = static_cast<std::uint8_t>(k * 13 + 1);
    QVERIFY(sim.modify([&](Target& t) { return t.loadEeprom(content); }));
    testsupport::VirtualClock clock;
    testsupport::RecordingObserver observer;
    SimLine line(sim, clock);
    link::TransferContext ctx{line, clock, observer, QStringLiteral("SYMULATOR"), {}, nullptr};
    ctx.chip = link::chipRecord("68HC12B32");
    link::AdapterCheckReport report;
    QCOMPARE(link::runAdapterCheck(ctx, report), result);
    QCOMPARE(report.diagnosis, diagnosis);
    QVERIFY(report.statusReplies.size() >= 1 && report.statusReplies.size() <= 3);
    if (diagnosis == CheckDiagnosis::Ready) {
        QCOMPARE(report.words.size(), std::size_t{2});
        QCOMPARE(report.words[0].bytes, QByteArray::fromHex("0E01")); // bytes at 0D01, 0D00
    }
    const QStringList lines = link::reportLines(report);
    QCOMPARE(lines.last(), QStringLiteral("Diagnoza: ") + link::diagnosisText(report));
    // Nothing but the check's frames, nothing written to the chip, no protocol violation.
    QVERIFY(sim.eeprom() == content);
    QVERIFY(sim.violations().empty());
    if (!faults.echo && diagnosis != CheckDiagnosis::LineBroken) {
        const auto frames = sim.inspect([](const Target&, const Adapter& a) {
            QStringList names;
            for (const auto& f : a.frames())
                names << QString::number(f.bytes[0], 16);
            return names;
        });
        const QStringList words = report.ready ? QStringList{"16", "16"} : QStringList{};
        QStringList expected{"5b"};
        for (std::size_t k = 0; k < report.statusReplies.size(); ++k)
            expected << "21" << "37";
        QCOMPARE(frames, expected + words + QStringList{"5c"});
    }
}

QTEST_APPLESS_MAIN(TestAdapterCheck)
#include "tst_adaptercheck.moc"

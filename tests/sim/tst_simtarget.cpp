#include "sim_target.h"
#include "target_routines.h"

#include <QtTest>

#include <random>

using namespace kestrel;
using namespace kestrel::sim;

Q_DECLARE_METATYPE(kestrel::sim::ChipKind)

namespace {

int anomalyCount(const Target& t, AnomalyKind kind)
{
    int n = 0;
    for (const Anomaly& a : t.anomalies())
        n += a.kind == kind;
    return n;
}

QStringList anomalyNames(const Target& t)
{
    static const char* names[] = {
        "UnmappedWrite",       "FlashWrite",       "EepromWriteUnlatched", "EepromWriteBusy",
        "ProgramWithoutLatch", "ProgramSameWrite", "ControlChangeBusy",    "Protected",
        "BulkProtected",       "UnsupportedErase", "UnknownOpcode"};
    QStringList out;
    for (const Anomaly& a : t.anomalies())
        out << QString::fromLatin1(names[static_cast<int>(a.kind)]);
    return out;
}

// "ADDR=VV" writes, hexadecimal.
void applyWrites(Target& t, const QString& script)
{
    for (const QString& w : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto parts = w.split(QLatin1Char('='));
        QVERIFY2(parts.size() == 2, qPrintable(w));
        t.write8(static_cast<std::uint16_t>(parts[0].toUInt(nullptr, 16)),
                 static_cast<std::uint8_t>(parts[1].toUInt(nullptr, 16)));
    }
}

struct RoutineCase
{
    ChipKind kind;
    const link::TargetRoutineBlock* routine;
    std::uint16_t load;
    std::uint16_t staging;
    std::uint16_t finalLoop;
};

} // namespace

class TestSimTarget : public QObject
{
    Q_OBJECT

private slots:
    void memoryMap_data();
    void memoryMap();
    void resetState();
    void eepromControl_data();
    void eepromControl();
    void watchdogCount_data();
    void watchdogCount();
    void routineProgramsStagingArea_data();
    void routineProgramsStagingArea();
    void wrongStartStopsOnUnknownOpcode();
    void budgetEndsEndlessWork();
};

void TestSimTarget::memoryMap_data()
{
    QTest::addColumn<ChipKind>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("readBefore");
    QTest::addColumn<int>("readAfterWrite"); // after writing 0x5A
    QTest::addColumn<QString>("anomaly");    // empty: none

    const auto B = ChipKind::B32;
    const auto D = ChipKind::D60;
    QTest::newRow("B32 register") << B << 0x0010 << 0x00 << 0x5A << "";
    QTest::newRow("B32 RAM first") << B << 0x0800 << 0x00 << 0x5A << "";
    QTest::newRow("B32 RAM last") << B << 0x0BFF << 0x00 << 0x5A << "";
    QTest::newRow("B32 below EEPROM") << B << 0x0CFF << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("B32 EEPROM first") << B << 0x0D00 << 0xFF << 0xFF << "EepromWriteUnlatched";
    QTest::newRow("B32 EEPROM last") << B << 0x0FFF << 0xFF << 0xFF << "EepromWriteUnlatched";
    QTest::newRow("B32 above EEPROM") << B << 0x1000 << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("B32 below RAM") << B << 0x0200 << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("B32 below flash") << B << 0x7FFF << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("B32 flash") << B << 0x8000 << 0xFF << 0xFF << "FlashWrite";
    QTest::newRow("B32 flash last") << B << 0xFFFF << 0xFF << 0xFF << "FlashWrite";
    QTest::newRow("D60 register last") << D << 0x01FF << 0x00 << 0x5A << "";
    QTest::newRow("D60 RAM first") << D << 0x0200 << 0x00 << 0x5A << "";
    QTest::newRow("D60 RAM last") << D << 0x07FF << 0x00 << 0x5A << "";
    QTest::newRow("D60 above RAM") << D << 0x0800 << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("D60 below EEPROM") << D << 0x0BFF << 0x00 << 0x00 << "UnmappedWrite";
    QTest::newRow("D60 EEPROM first") << D << 0x0C00 << 0xFF << 0xFF << "EepromWriteUnlatched";
    QTest::newRow("D60 flash first") << D << 0x1000 << 0xFF << 0xFF << "FlashWrite";
}

void TestSimTarget::memoryMap()
{
    QFETCH(ChipKind, kind);
    QFETCH(int, address);
    QFETCH(QString, anomaly);
    Target t(kind);
    const auto a = static_cast<std::uint16_t>(address);
    QTEST(static_cast<int>(t.read8(a)), "readBefore");
    t.write8(a, 0x5A);
    QTEST(static_cast<int>(t.read8(a)), "readAfterWrite");
    QCOMPARE(anomalyNames(t), anomaly.isEmpty() ? QStringList{} : QStringList{anomaly});
    if (!anomaly.isEmpty())
        QCOMPARE(static_cast<int>(t.anomalies().front().address), address);
}

void TestSimTarget::resetState()
{
    Target b(ChipKind::B32);
    QCOMPARE(b.read8(RegEEPROT), std::uint8_t{0xFF});
    QCOMPARE(b.eeprom(), std::vector<std::uint8_t>(768, 0xFF));
    Target d(ChipKind::D60);
    QCOMPARE(d.eeprom(), std::vector<std::uint8_t>(1024, 0xFF));
    QVERIFY(d.loadEeprom({1, 2, 3}));
    QCOMPARE(d.read8(0x0C00), std::uint8_t{1});
    QCOMPARE(d.read8(0x0C02), std::uint8_t{3});
    QCOMPARE(d.read8(0x0C03), std::uint8_t{0xFF});
    QVERIFY(!b.loadEeprom(std::vector<std::uint8_t>(769, 0)));
}

void TestSimTarget::eepromControl_data()
{
    QTest::addColumn<int>("cellIn"); // 0x0D10 before
    QTest::addColumn<QString>("writes");
    QTest::addColumn<int>("cellOut"); // 0x0D10 after
    QTest::addColumn<int>("nextOut"); // 0x0D11 after (0x3C before)
    QTest::addColumn<int>("erases");
    QTest::addColumn<int>("programs");
    QTest::addColumn<QStringList>("anomalies");

    const QStringList none;
    // clang-format off
    QTest::newRow("program")
        << 0xF0 << "F1=00 F3=02 0D10=A5 F3=03 F3=00" << 0xA0 << 0x3C << 0 << 1 << none;
    QTest::newRow("program only clears bits")
        << 0x0F << "F1=00 F3=02 0D10=F0 F3=03 F3=00" << 0x00 << 0x3C << 0 << 1 << none;
    QTest::newRow("program while protected")
        << 0xF0 << "F3=02 0D10=00 F3=03 F3=00" << 0xF0 << 0x3C << 0 << 0 << QStringList{"Protected"};
    QTest::newRow("protection set while programming")
        << 0xF0 << "F1=00 F3=02 0D10=00 F3=03 F1=01 F3=00" << 0xF0 << 0x3C << 0 << 0 << QStringList{"Protected"};
    QTest::newRow("bulk erase")
        << 0x12 << "F1=00 F3=06 0D00=06 F3=07 F3=00" << 0xFF << 0xFF << 1 << 0 << none;
    QTest::newRow("bulk erase while protected")
        << 0x12 << "F3=06 0D00=06 F3=07 F3=00" << 0x12 << 0x3C << 0 << 0 << QStringList{"Protected"};
    QTest::newRow("bulk erase with BULKP")
        << 0x12 << "F1=00 F3=86 0D00=06 F3=87 F3=80" << 0x12 << 0x3C << 0 << 0 << QStringList{"BulkProtected"};
    QTest::newRow("byte erase")
        << 0x12 << "F1=00 F3=16 0D10=00 F3=17 F3=00" << 0xFF << 0x3C << 1 << 0 << none;
    QTest::newRow("row erase not modelled")
        << 0x12 << "F1=00 F3=0E 0D10=00 F3=0F F3=00" << 0x12 << 0x3C << 0 << 0 << QStringList{"UnsupportedErase"};
    QTest::newRow("EEPGM with EELAT in one write")
        << 0xF0 << "F1=00 F3=03 0D10=00 F3=00" << 0xF0 << 0x3C << 0 << 0
        << QStringList{"ProgramSameWrite"};
    QTest::newRow("EEPGM without latch")
        << 0xF0 << "F1=00 F3=02 F3=03 F3=00" << 0xF0 << 0x3C << 0 << 0 << QStringList{"ProgramWithoutLatch"};
    QTest::newRow("EELAT clear drops latch")
        << 0xF0 << "F1=00 F3=02 0D10=00 F3=00 F3=02 F3=03 F3=00" << 0xF0 << 0x3C << 0 << 0
        << QStringList{"ProgramWithoutLatch"};
    QTest::newRow("EEPROM read-only without EELAT")
        << 0xF0 << "F1=00 0D10=00" << 0xF0 << 0x3C << 0 << 0 << QStringList{"EepromWriteUnlatched"};
    QTest::newRow("write while EEPGM set")
        << 0xFF << "F1=00 F3=02 0D10=0F F3=03 0D11=00 F3=00" << 0x0F << 0x3C << 0 << 1
        << QStringList{"EepromWriteBusy"};
    QTest::newRow("mode change while EEPGM set")
        << 0xFF << "F1=00 F3=02 0D10=00 F3=03 F3=07 F3=00" << 0x00 << 0x3C << 0 << 1
        << QStringList{"ControlChangeBusy"};
    QTest::newRow("latest latch wins")
        << 0xFF << "F1=00 F3=02 0D11=00 0D10=55 F3=03 F3=00" << 0x55 << 0x3C << 0 << 1 << none;
    // clang-format on
}

void TestSimTarget::eepromControl()
{
    QFETCH(int, cellIn);
    QFETCH(QString, writes);
    std::vector<std::uint8_t> image(768, 0xFF);
    image[0x10] = static_cast<std::uint8_t>(cellIn);
    image[0x11] = 0x3C;
    Target t(ChipKind::B32);
    QVERIFY(t.loadEeprom(image));
    applyWrites(t, writes);
    QTEST(static_cast<int>(t.read8(0x0D10)), "cellOut");
    QTEST(static_cast<int>(t.read8(0x0D11)), "nextOut");
    QTEST(t.erases(), "erases");
    QTEST(t.programs(), "programs");
    QTEST(anomalyNames(t), "anomalies");
    // The rest of the EEPROM was erased and stays so, whatever the writes did.
    const auto after = t.eeprom();
    for (std::size_t i = 0; i < after.size(); ++i)
        if (i != 0x10 && i != 0x11)
            QCOMPARE(after[i], std::uint8_t{0xFF});
}

void TestSimTarget::watchdogCount_data()
{
    QTest::addColumn<QString>("writes");
    QTest::addColumn<int>("services");
    QTest::addColumn<int>("stray");
    QTest::newRow("pair") << "17=55 17=AA" << 1 << 0;
    QTest::newRow("two pairs") << "17=55 17=AA 17=55 17=AA" << 2 << 0;
    QTest::newRow("55 twice") << "17=55 17=55 17=AA" << 1 << 1;
    QTest::newRow("AA alone") << "17=AA" << 0 << 1;
    QTest::newRow("55 over and over") << "17=55 17=55 17=55" << 0 << 2;
    QTest::newRow("other value") << "17=55 17=00 17=AA" << 0 << 2;
}

void TestSimTarget::watchdogCount()
{
    QFETCH(QString, writes);
    Target t(ChipKind::D60);
    applyWrites(t, writes);
    QTEST(t.copServices(), "services");
    QTEST(t.copStray(), "stray");
    QVERIFY(t.anomalies().empty());
}

void TestSimTarget::routineProgramsStagingArea_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("68HC12B32") << 0;
    QTest::newRow("68HC12D60") << 1;
}

void TestSimTarget::routineProgramsStagingArea()
{
    QFETCH(int, which);
    const RoutineCase c =
        which == 0 ? RoutineCase{ChipKind::B32, &link::TargetRoutineB32, 0x0800, 0x0880, 0x086A}
                   : RoutineCase{ChipKind::D60, &link::TargetRoutineD60, 0x0200, 0x0300, 0x026A};
    Target t(c.kind);
    const ChipModel& m = t.model();
    const int size = m.eepromSize();

    // An EEPROM of zeros: only a real erase lets the 1 bits of the image through.
    QVERIFY(t.loadEeprom(std::vector<std::uint8_t>(static_cast<std::size_t>(size), 0x00)));
    for (int i = 0; i < 2 * link::TargetRoutineWords; ++i)
        t.write8(static_cast<std::uint16_t>(c.load + i), (*c.routine)[static_cast<std::size_t>(i)]);
    std::mt19937 random(static_cast<unsigned>(which + 11));
    std::vector<std::uint8_t> image(static_cast<std::size_t>(size));
    for (auto& b : image)
        b = static_cast<std::uint8_t>(random());
    image[0] = 0xFF;
    image[static_cast<std::size_t>(size - 1)] = 0x80;
    for (int i = 0; i < size; ++i)
        t.write8(static_cast<std::uint16_t>(c.staging + i), image[static_cast<std::size_t>(i)]);
    const auto below = static_cast<std::uint16_t>(m.eeprom.first - 1);
    const auto above = static_cast<std::uint16_t>(m.eeprom.last + 1);
    const std::uint8_t belowBefore = t.read8(below);
    const std::uint8_t aboveBefore = t.read8(above);
    QVERIFY(t.anomalies().empty());

    const RunReport r = t.run(c.load);

    QCOMPARE(r.stop, RunReport::Stop::FinalLoop);
    QCOMPARE(static_cast<int>(r.stopAddress), static_cast<int>(c.finalLoop));
    QCOMPARE(t.eeprom(), image);
    QCOMPARE(t.read8(RegEEPROT), std::uint8_t{0x00});
    QCOMPARE(t.read8(below), belowBefore);
    QCOMPARE(t.read8(above), aboveBefore);
    QCOMPARE(r.erases, 1);
    QCOMPARE(r.programs, size); // the two edge passes latch nothing
    // The edge passes: a store outside the EEPROM (0x1000 is flash on the 68HC12D60), then
    // EEPGM with nothing latched.
    QCOMPARE(anomalyCount(t, AnomalyKind::UnmappedWrite) + anomalyCount(t, AnomalyKind::FlashWrite),
             2);
    QCOMPARE(anomalyCount(t, AnomalyKind::ProgramWithoutLatch), 2);
    QCOMPARE(static_cast<int>(t.anomalyCount()), 4);
    QCOMPARE(static_cast<int>(t.anomalies().front().address), static_cast<int>(below));
    QCOMPARE(static_cast<int>(t.anomalies()[2].address), static_cast<int>(above));
    // 65279 erase-delay passes and 3856 per copy pass, each servicing the watchdog once.
    const int delayServices = 65279 + (size + 2) * 3856;
    if (c.kind == ChipKind::B32) {
        QCOMPARE(r.copServices, delayServices);
        QVERIFY(r.copStray > 0); // its final loop writes 0x55 only
    } else {
        QVERIFY(r.copServices >= delayServices && r.copServices <= delayServices + 3);
        QCOMPARE(r.copStray, 0);
    }
    QVERIFY(r.eraseCycles > 65279ull * 13);
    QVERIFY(r.copyCycles > static_cast<std::uint64_t>(size + 2) * 3856 * 13);
    QCOMPARE(r.eraseCycles + r.copyCycles, r.cycles);
    QVERIFY(r.fitsHostWait());
    QVERIFY(r.minProgramPulse >= 3856ull * 13);
}

void TestSimTarget::wrongStartStopsOnUnknownOpcode()
{
    // 0x0800 is unmapped on the 68HC12D60: it reads 0x00 (BGND), outside the set.
    Target t(ChipKind::D60);
    const RunReport r = t.run(0x0800);
    QCOMPARE(r.stop, RunReport::Stop::UnknownOpcode);
    QCOMPARE(static_cast<int>(r.stopAddress), 0x0800);
    QCOMPARE(r.instructions, std::uint64_t{0});
    QCOMPARE(anomalyNames(t), QStringList{"UnknownOpcode"});
    QCOMPARE(static_cast<int>(t.anomalies().front().address), 0x0800);
}

void TestSimTarget::budgetEndsEndlessWork()
{
    // INX; JMP back: the state changes on every pass, so it is no final loop.
    Target t(ChipKind::B32);
    applyWrites(t, "0800=08 0801=06 0802=08 0803=00");
    const RunReport r = t.run(0x0800, 1000);
    QCOMPARE(r.stop, RunReport::Stop::Budget);
    QCOMPARE(r.instructions, std::uint64_t{1000});
    QCOMPARE(static_cast<int>(t.cpu().x), 500);
    // The same with the X register untouched is a final loop.
    Target u(ChipKind::B32);
    applyWrites(u, "0800=06 0801=08 0802=00");
    QCOMPARE(u.run(0x0800, 1000).stop, RunReport::Stop::FinalLoop);
}

QTEST_APPLESS_MAIN(TestSimTarget)
#include "tst_simtarget.moc"

#include "cpu12.h"

#include <QtTest>

#include <array>

using namespace kestrel::sim;

namespace {

struct FlatBus
{
    std::array<std::uint8_t, 0x10000> m{};
    int writes = 0;
    [[nodiscard]] std::uint8_t read8(std::uint16_t a) const { return m[a]; }
    void write8(std::uint16_t a, std::uint8_t v)
    {
        m[a] = v;
        ++writes;
    }
};

constexpr std::uint16_t Code = 0x4000;

} // namespace

class TestCpu12 : public QObject
{
    Q_OBJECT

private slots:
    void instruction_data();
    void instruction();
    void unknownOpcodeStops_data();
    void unknownOpcodeStops();
    void delayLoopCycles();
};

void TestCpu12::instruction_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("ccrIn");
    QTest::addColumn<int>("aIn");
    QTest::addColumn<int>("xIn");
    QTest::addColumn<int>("yIn");
    QTest::addColumn<int>("memAddr"); // -1: none
    QTest::addColumn<int>("memIn");
    QTest::addColumn<int>("aOut");
    QTest::addColumn<int>("xOut");
    QTest::addColumn<int>("yOut");
    QTest::addColumn<int>("spOut");
    QTest::addColumn<int>("pcOut");
    QTest::addColumn<int>("ccrOut");
    QTest::addColumn<int>("memOut");
    QTest::addColumn<int>("cycles");

    auto row = [](const char* name, QByteArray code, int ccrIn, int aIn, int xIn, int yIn,
                  int memAddr, int memIn, int aOut, int xOut, int yOut, int spOut, int pcOut,
                  int ccrOut, int memOut, int cycles) {
        QTest::newRow(name) << code << ccrIn << aIn << xIn << yIn << memAddr << memIn << aOut
                            << xOut << yOut << spOut << pcOut << ccrOut << memOut << cycles;
    };
    const int sp = 0x1111;
    // clang-format off
    //                                 code                         ccr   a     x       y       addr    mem   a'    x'      y'      sp'     pc'           ccr'  mem'  cyc
    row("ORCC sets I",            QByteArray::fromHex("1410"),      0x00, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     Code + 2,     0x10, 0,    1);
    row("ORCC keeps bits",        QByteArray::fromHex("1401"),      0xD0, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     Code + 2,     0xD1, 0,    1);
    row("LDS clears V",           QByteArray::fromHex("CF0BFA"),    0x07, 0,    0,      0,      -1,     0,    0,    0,      0,      0x0BFA, Code + 3,     0x01, 0,    2);
    row("LDS negative",           QByteArray::fromHex("CF8000"),    0x00, 0,    0,      0,      -1,     0,    0,    0,      0,      0x8000, Code + 3,     0x08, 0,    2);
    row("LDS zero",               QByteArray::fromHex("CF0000"),    0x00, 0,    0,      0,      -1,     0,    0,    0,      0,      0x0000, Code + 3,     0x04, 0,    2);
    row("LDAA zero keeps C",      QByteArray::fromHex("8600"),      0x03, 0x55, 0,      0,      -1,     0,    0x00, 0,      0,      sp,     Code + 2,     0x05, 0,    1);
    row("LDAA negative",          QByteArray::fromHex("8680"),      0x04, 0,    0,      0,      -1,     0,    0x80, 0,      0,      sp,     Code + 2,     0x08, 0,    1);
    row("LDAA positive",          QByteArray::fromHex("867F"),      0x0E, 0,    0,      0,      -1,     0,    0x7F, 0,      0,      sp,     Code + 2,     0x00, 0,    1);
    row("STAA direct",            QByteArray::fromHex("5AF3"),      0x06, 0x5A, 0,      0,      0x00F3, 0x11, 0x5A, 0,      0,      sp,     Code + 2,     0x00, 0x5A, 2);
    row("STAA direct zero",       QByteArray::fromHex("5A17"),      0x00, 0x00, 0,      0,      0x0017, 0x11, 0x00, 0,      0,      sp,     Code + 2,     0x04, 0x00, 2);
    row("STAA extended",          QByteArray::fromHex("7A0BF0"),    0x00, 0x81, 0,      0,      0x0BF0, 0x00, 0x81, 0,      0,      sp,     Code + 3,     0x08, 0x81, 3);
    row("DEC extended",           QByteArray::fromHex("730BF0"),    0x00, 0,    0,      0,      0x0BF0, 0x10, 0,    0,      0,      sp,     Code + 3,     0x00, 0x0F, 4);
    row("DEC to zero",            QByteArray::fromHex("730BF1"),    0x00, 0,    0,      0,      0x0BF1, 0x01, 0,    0,      0,      sp,     Code + 3,     0x04, 0x00, 4);
    row("DEC wraps negative",     QByteArray::fromHex("7307F0"),    0x04, 0,    0,      0,      0x07F0, 0x00, 0,    0,      0,      sp,     Code + 3,     0x08, 0xFF, 4);
    row("DEC overflow",           QByteArray::fromHex("7307F0"),    0x00, 0,    0,      0,      0x07F0, 0x80, 0,    0,      0,      sp,     Code + 3,     0x02, 0x7F, 4);
    row("DEC keeps C",            QByteArray::fromHex("7307F0"),    0x01, 0,    0,      0,      0x07F0, 0x05, 0,    0,      0,      sp,     Code + 3,     0x01, 0x04, 4);
    row("BNE taken backward",     QByteArray::fromHex("26F3"),      0x00, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     Code + 2 - 13, 0x00, 0,   3);
    row("BNE taken forward",      QByteArray::fromHex("2605"),      0x08, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     Code + 7,     0x08, 0,    3);
    row("BNE not taken",          QByteArray::fromHex("26F3"),      0x04, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     Code + 2,     0x04, 0,    1);
    row("LDX zero",               QByteArray::fromHex("CE0000"),    0x0A, 0,    0x1234, 0,      -1,     0,    0,    0x0000, 0,      sp,     Code + 3,     0x04, 0,    2);
    row("LDX value",              QByteArray::fromHex("CE1234"),    0x04, 0,    0,      0,      -1,     0,    0,    0x1234, 0,      sp,     Code + 3,     0x00, 0,    2);
    row("LDY negative",           QByteArray::fromHex("CD8302"),    0x00, 0,    0,      0,      -1,     0,    0,    0,      0x8302, sp,     Code + 3,     0x08, 0,    2);
    row("LDAA idx16 from X",      QByteArray::fromHex("A6E2087F"),  0x06, 0,    0x0001, 0,      0x0880, 0xC3, 0xC3, 0x0001, 0,      sp,     Code + 4,     0x08, 0xC3, 4);
    row("LDAA idx16 zero",        QByteArray::fromHex("A6E202FF"),  0x00, 0x77, 0x0401, 0,      0x0700, 0x00, 0x00, 0x0401, 0,      sp,     Code + 4,     0x04, 0x00, 4);
    row("LDAA idx16 wraps",       QByteArray::fromHex("A6E20001"),  0x00, 0,    0xFFFF, 0,      0x0000, 0x42, 0x42, 0xFFFF, 0,      sp,     Code + 4,     0x00, 0x42, 4);
    row("STAA idx16 to X",        QByteArray::fromHex("6AE20CFF"),  0x02, 0x3C, 0x0001, 0,      0x0D00, 0xFF, 0x3C, 0x0001, 0,      sp,     Code + 4,     0x00, 0x3C, 3);
    row("INX to zero",            QByteArray::fromHex("08"),        0x08, 0,    0xFFFF, 0,      -1,     0,    0,    0x0000, 0,      sp,     Code + 1,     0x0C, 0,    1);
    row("INX clears Z",           QByteArray::fromHex("08"),        0x04, 0,    0x0000, 0,      -1,     0,    0,    0x0001, 0,      sp,     Code + 1,     0x00, 0,    1);
    row("DEY to zero",            QByteArray::fromHex("03"),        0x01, 0,    0,      0x0001, -1,     0,    0,    0,      0x0000, sp,     Code + 1,     0x05, 0,    1);
    row("DEY wraps",              QByteArray::fromHex("03"),        0x06, 0,    0,      0x0000, -1,     0,    0,    0,      0xFFFF, sp,     Code + 1,     0x02, 0,    1);
    row("JMP extended",           QByteArray::fromHex("06086A"),    0x0F, 0,    0,      0,      -1,     0,    0,    0,      0,      sp,     0x086A,       0x0F, 0,    3);
    // clang-format on
}

void TestCpu12::instruction()
{
    QFETCH(QByteArray, code);
    QFETCH(int, ccrIn);
    QFETCH(int, aIn);
    QFETCH(int, xIn);
    QFETCH(int, yIn);
    QFETCH(int, memAddr);
    QFETCH(int, memIn);

    FlatBus bus;
    for (int i = 0; i < code.size(); ++i)
        bus.m[static_cast<std::size_t>(Code + i)] = static_cast<std::uint8_t>(code[i]);
    if (memAddr >= 0)
        bus.m[static_cast<std::size_t>(memAddr)] = static_cast<std::uint8_t>(memIn);
    Cpu12<FlatBus> cpu;
    cpu.s.ccr = static_cast<std::uint8_t>(ccrIn);
    cpu.s.a = static_cast<std::uint8_t>(aIn);
    cpu.s.b = 0x99;
    cpu.s.x = static_cast<std::uint16_t>(xIn);
    cpu.s.y = static_cast<std::uint16_t>(yIn);
    cpu.s.sp = 0x1111;
    cpu.s.pc = Code;

    const int n = cpu.step(bus);

    QTEST(n, "cycles");
    QCOMPARE(static_cast<int>(cpu.cycles), n);
    QCOMPARE(cpu.instructions, std::uint64_t{1});
    QTEST(static_cast<int>(cpu.s.a), "aOut");
    QCOMPARE(static_cast<int>(cpu.s.b), 0x99);
    QTEST(static_cast<int>(cpu.s.x), "xOut");
    QTEST(static_cast<int>(cpu.s.y), "yOut");
    QTEST(static_cast<int>(cpu.s.sp), "spOut");
    QTEST(static_cast<int>(cpu.s.pc), "pcOut");
    QTEST(static_cast<int>(cpu.s.ccr), "ccrOut");
    if (memAddr >= 0)
        QTEST(static_cast<int>(bus.m[static_cast<std::size_t>(memAddr)]), "memOut");
    // Only stores and DEC write, and exactly once.
    const auto op = static_cast<std::uint8_t>(code[0]);
    const bool writes = op == 0x5A || op == 0x7A || op == 0x73 || op == 0x6A;
    QCOMPARE(bus.writes, writes ? 1 : 0);
}

void TestCpu12::unknownOpcodeStops_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::newRow("BGND") << QByteArray::fromHex("00");
    QTest::newRow("CLRA") << QByteArray::fromHex("87");
    QTest::newRow("LDAA with 5-bit offset") << QByteArray::fromHex("A600");
    QTest::newRow("STAA indexed by Y") << QByteArray::fromHex("6AEA0000");
    QTest::newRow("BEQ") << QByteArray::fromHex("27F3");
}

void TestCpu12::unknownOpcodeStops()
{
    QFETCH(QByteArray, code);
    FlatBus bus;
    for (int i = 0; i < code.size(); ++i)
        bus.m[static_cast<std::size_t>(Code + i)] = static_cast<std::uint8_t>(code[i]);
    Cpu12<FlatBus> cpu;
    cpu.s.pc = Code;
    cpu.s.a = 0x12;
    const Cpu12State before = cpu.s;
    QCOMPARE(cpu.step(bus), 0);
    QVERIFY(cpu.s == before);
    QCOMPARE(cpu.cycles, std::uint64_t{0});
    QCOMPARE(cpu.instructions, std::uint64_t{0});
    QCOMPARE(bus.writes, 0);
}

// The routines' delay: LDAA #$55, STAA COPRST, LDAA #$AA, STAA COPRST, DEC lo, BNE: 13 cycles
// a pass, the last pass 11 (BNE not taken).
void TestCpu12::delayLoopCycles()
{
    FlatBus bus;
    const QByteArray loop = QByteArray::fromHex("86555A1786AA5A17730BF026F3");
    for (int i = 0; i < loop.size(); ++i)
        bus.m[static_cast<std::size_t>(Code + i)] = static_cast<std::uint8_t>(loop[i]);
    bus.m[0x0BF0] = 10;
    Cpu12<FlatBus> cpu;
    cpu.s.pc = Code;
    while (cpu.s.pc != Code + loop.size())
        QVERIFY(cpu.step(bus) > 0);
    QCOMPARE(cpu.cycles, std::uint64_t{10 * 13 - 2});
    QCOMPARE(cpu.instructions, std::uint64_t{60});
    QCOMPARE(bus.m[0x0BF0], std::uint8_t{0});
}

QTEST_APPLESS_MAIN(TestCpu12)
#include "tst_cpu12.moc"

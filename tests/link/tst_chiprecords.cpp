// The chip records: every supported chip's numbers fit together, so that a new record that
// places the routine or the staged image wrongly is caught before it reaches a chip.

#include "chip_catalogue.h"
#include "workers.h"

#include <QtTest>

using namespace kestrel::link;

class TestChipRecords : public QObject
{
    Q_OBJECT
private slots:
    void recordsFit_data();
    void recordsFit();
};

void TestChipRecords::recordsFit_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < ChipCount; ++i)
        QTest::newRow(ChipTable[static_cast<std::size_t>(i)].name) << i;
}

void TestChipRecords::recordsFit()
{
    QFETCH(int, index);
    const ChipRow& chip = ChipTable[static_cast<std::size_t>(index)];
    QCOMPARE(chipRecord(chip.name), &chip);
    QCOMPARE(findChip(QString::fromLatin1(chip.name)), &chip);
    QVERIFY(chip.EepromSize > 0 && chip.EepromSize % 16 == 0);
    QVERIFY(chip.eepromLast() <= 0xFFFF);
    if (!chipSupported(chip)) {
        QVERIFY(workerFor(chip, Operation::Program) == &NotSupportedWorker);
        return;
    }
    const ChipProgramming& p = chip.programming;
    const ChipMemory& m = chip.memory;
    QVERIFY(p.routine != nullptr && p.runCommand != 0);
    QVERIFY(!loadingStatus(chip).isEmpty());
    // The routine and the staged image lie in target RAM, one after the other.
    const int routineEnd = p.routineAddress + 2 * TargetRoutineWords;
    QVERIFY(p.routineAddress >= m.ram.first);
    QVERIFY(routineEnd <= p.stagingBase);
    QVERIFY(p.stagingBase + chip.EepromSize <= m.ram.last + 1);
    // The EEPROM is apart from the registers, the RAM and the flash.
    for (const AddressRange& range : {m.registers, m.ram, m.flash})
        QVERIFY(chip.eepromLast() < range.first || chip.EepromBase > range.last);
}

QTEST_APPLESS_MAIN(TestChipRecords)
#include "tst_chiprecords.moc"

#pragma once

#include "cpu12.h"
#include "sim_chip.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::sim {

// Something the target was asked to do that the chip would not do, or did differently.
enum class AnomalyKind
{
    UnmappedWrite,        // write outside every mapped range: ignored
    FlashWrite,           // write to flash: ignored
    EepromWriteUnlatched, // EEPROM write with EELAT clear: ignored
    EepromWriteBusy,      // EEPROM write while EEPGM is set: ignored
    ProgramWithoutLatch,  // EEPGM set with EELAT set but no address latched: nothing done
    ProgramSameWrite,     // EEPGM set in the same write as EELAT from zero: nothing done
    ControlChangeBusy,    // EEPROG mode bits changed while EEPGM is set: ignored
    Protected,            // erase or program completed while EEPROT is not 0: nothing changed
    BulkProtected,        // bulk or row erase with BULKP set: nothing changed
    UnsupportedErase,     // row erase: not modelled, nothing changed
    UnknownOpcode,        // the CPU stopped on an instruction outside its set
};

struct Anomaly
{
    AnomalyKind kind;
    std::uint16_t address; // memory address, or the instruction's address
    std::uint8_t value;    // data written, or the opcode
    std::uint64_t cycle;   // CPU cycle count when it happened
};

[[nodiscard]] std::string describe(const Anomaly& anomaly);

struct EepromOperation
{
    enum class Kind
    {
        BulkErase,
        ByteErase,
        Program,
    };
    Kind kind;
    std::uint16_t address; // latched address
    std::uint8_t data;     // latched data
    std::uint64_t startCycle;
    std::uint64_t endCycle;
    bool applied; // false when protection stopped it
};

inline constexpr double BusHz = 8.0e6;
inline constexpr double HostWaitSeconds = link::ProgramWaitSteps * link::ProgramWaitStepMs / 1000.0;

struct RunReport
{
    enum class Stop
    {
        FinalLoop,     // reached a loop that repeats one state with nothing left to do
        UnknownOpcode, // an instruction outside the supported set
        Budget,        // the instruction budget ran out
    };
    std::uint16_t start = 0;
    Stop stop = Stop::Budget;
    std::uint16_t stopAddress = 0; // pc where the run stopped
    std::uint64_t instructions = 0;
    std::uint64_t cycles = 0;
    std::uint64_t eraseCycles = 0;     // from the start to the end of the last erase
    std::uint64_t copyCycles = 0;      // from the end of the erase to the stop
    std::uint64_t minProgramPulse = 0; // shortest EEPGM time of a programming operation
    int erases = 0;
    int programs = 0;
    int copServices = 0;
    int copStray = 0; // COPRST writes outside a 0x55, 0xAA pair
    Cpu12State finalState;

    [[nodiscard]] static double seconds(std::uint64_t c) { return static_cast<double>(c) / BusHz; }
    [[nodiscard]] bool fitsHostWait() const { return seconds(cycles) <= HostWaitSeconds; }
    [[nodiscard]] std::string summary() const;
};

// One 68HC12 chip: memory map, EEPROM module, watchdog register and CPU.
class Target
{
public:
    static constexpr std::uint64_t DefaultBudget = 200'000'000;
    static constexpr std::size_t MaxAnomalies = 10'000;

    explicit Target(ChipKind kind);

    [[nodiscard]] const ChipModel& model() const { return model_; }

    // Bus access, from the CPU and from the background debug interface alike.
    [[nodiscard]] std::uint8_t read8(std::uint16_t address) const
    {
        switch (region_[address]) {
        case Region::Unmapped:
            return 0x00;
        case Region::Flash:
            return 0xFF;
        case Region::Stuck:
            return stuckValue_[address - model_.eeprom.first];
        default:
            return mem_[address];
        }
    }
    void write8(std::uint16_t address, std::uint8_t value)
    {
        if (region_[address] == Region::Ram) {
            if (mem_[address] != value) {
                mem_[address] = value;
                ++writeGeneration_;
            }
            return;
        }
        writeSlow(address, value);
    }

    // Runs the CPU from pc until the final loop, an unknown opcode or the budget.
    RunReport run(std::uint16_t pc, std::uint64_t budget = DefaultBudget);

    // EEPROM content as read (stuck cells show their value).
    [[nodiscard]] std::vector<std::uint8_t> eeprom() const;
    // Loads the EEPROM from bytes; missing bytes stay 0xFF. False when there are too many.
    [[nodiscard]] bool loadEeprom(const std::vector<std::uint8_t>& bytes);
    void eraseEeprom();
    // An EEPROM cell that always reads value. Ignored outside the EEPROM.
    void setStuck(std::uint16_t address, std::uint8_t value);

    [[nodiscard]] const std::vector<Anomaly>& anomalies() const { return anomalies_; }
    [[nodiscard]] std::uint64_t anomalyCount() const { return anomalyCount_; }
    [[nodiscard]] const std::vector<EepromOperation>& operations() const { return operations_; }
    [[nodiscard]] int erases() const { return erases_; }
    [[nodiscard]] int programs() const { return programs_; }
    [[nodiscard]] int copServices() const { return copServices_; }
    [[nodiscard]] int copStray() const { return copStray_; }
    [[nodiscard]] const Cpu12State& cpu() const { return cpu_; }
    [[nodiscard]] std::uint64_t cycles() const { return now_; }

private:
    enum class Region : std::uint8_t
    {
        Unmapped,
        Registers,
        Ram,
        Eeprom,
        Stuck, // EEPROM cell with a stuck read value
        Flash,
    };

    void writeSlow(std::uint16_t address, std::uint8_t value);
    void writeRegister(std::uint16_t address, std::uint8_t value);
    void writeEeprom(std::uint16_t address, std::uint8_t value);
    void writeEeprog(std::uint8_t value);
    void completeOperation();
    void record(AnomalyKind kind, std::uint16_t address, std::uint8_t value);
    [[nodiscard]] bool inEeprom(std::uint16_t address) const
    {
        return address >= model_.eeprom.first && address <= model_.eeprom.last;
    }

    const ChipModel& model_;
    std::array<std::uint8_t, 0x10000> mem_{};
    std::array<Region, 0x10000> region_{};
    std::vector<std::uint8_t> stuckValue_;
    Cpu12State cpu_;
    std::uint64_t now_ = 0;             // CPU cycles since power-up
    std::uint64_t writeGeneration_ = 0; // bumped on every change of state but COPRST

    bool latched_ = false;
    std::uint16_t latchAddress_ = 0;
    std::uint8_t latchData_ = 0;
    std::uint8_t operationMode_ = 0; // EEPROG when EEPGM was set
    std::uint64_t operationStart_ = 0;
    std::uint64_t lastEraseEnd_ = 0;
    bool copArmed_ = false; // 0x55 written, 0xAA expected

    std::vector<Anomaly> anomalies_;
    std::uint64_t anomalyCount_ = 0;
    std::vector<EepromOperation> operations_;
    int erases_ = 0;
    int programs_ = 0;
    int copServices_ = 0;
    int copStray_ = 0;
};

} // namespace kestrel::sim

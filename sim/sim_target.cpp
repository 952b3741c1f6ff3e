#include "sim_target.h"

#include <cstdio>

namespace kestrel::sim {

namespace {

std::string hex4(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", v & 0xFFFFu);
    return buf;
}

std::string hex2(unsigned v)
{
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFFu);
    return buf;
}

} // namespace

std::string describe(const Anomaly& a)
{
    const std::string at = hex4(a.address);
    const std::string v = hex2(a.value);
    switch (a.kind) {
    case AnomalyKind::UnmappedWrite:
        return "write of " + v + " to unmapped address " + at + " ignored";
    case AnomalyKind::FlashWrite:
        return "write of " + v + " to flash at " + at + " ignored";
    case AnomalyKind::EepromWriteUnlatched:
        return "write of " + v + " to EEPROM at " + at + " with EELAT clear ignored";
    case AnomalyKind::EepromWriteBusy:
        return "write of " + v + " to EEPROM at " + at + " while EEPGM is set ignored";
    case AnomalyKind::ProgramWithoutLatch:
        return "EEPGM set (EEPROG " + v + ") with no address latched: nothing done";
    case AnomalyKind::ProgramSameWrite:
        return "EEPGM set in the same write as EELAT (EEPROG " + v + "): nothing done";
    case AnomalyKind::ControlChangeBusy:
        return "EEPROG changed to " + v + " while EEPGM is set: ignored";
    case AnomalyKind::Protected:
        return "EEPROM operation at " + at + " while EEPROT is " + v + ": nothing changed";
    case AnomalyKind::BulkProtected:
        return "erase at " + at + " with BULKP set: nothing changed";
    case AnomalyKind::UnsupportedErase:
        return "row erase at " + at + " is not modelled: nothing changed";
    case AnomalyKind::UnknownOpcode:
        return "unknown opcode " + v + " at " + at + ": CPU stopped";
    }
    return "?";
}

std::string RunReport::summary() const
{
    const char* why = stop == Stop::FinalLoop       ? "final loop"
                      : stop == Stop::UnknownOpcode ? "unknown opcode"
                                                    : "instruction budget";
    char buf[512];
    std::snprintf(buf, sizeof buf,
                  "run from %04X: stopped at %04X (%s) after %llu instructions, %llu cycles "
                  "(%.3f s at 8 MHz); erase %llu cycles (%.3f s), copy %llu cycles (%.3f s); "
                  "%d erase(s), %d byte(s) programmed (shortest pulse %.2f ms); %s the host's "
                  "%.2f s wait",
                  start, stopAddress, why, static_cast<unsigned long long>(instructions),
                  static_cast<unsigned long long>(cycles), seconds(cycles),
                  static_cast<unsigned long long>(eraseCycles), seconds(eraseCycles),
                  static_cast<unsigned long long>(copyCycles), seconds(copyCycles), erases,
                  programs, seconds(minProgramPulse) * 1000.0,
                  fitsHostWait() ? "fits" : "DOES NOT fit", HostWaitSeconds);
    return buf;
}

Target::Target(ChipKind kind)
    : model_(chipModel(kind)), stuckValue_(static_cast<std::size_t>(model_.eepromSize()), 0)
{
    auto mark = [this](link::AddressRange range, Region r) {
        for (unsigned a = range.first; a <= range.last; ++a)
            region_[a] = r;
    };
    mark(model_.registers, Region::Registers);
    mark(model_.ram, Region::Ram);
    mark(model_.eeprom, Region::Eeprom);
    mark(model_.flash, Region::Flash);
    eraseEeprom();
    mem_[RegEEPROT] = 0xFF;
    mem_[RegEEPROG] = BULKP;
}

void Target::eraseEeprom()
{
    for (unsigned a = model_.eeprom.first; a <= model_.eeprom.last; ++a)
        mem_[a] = 0xFF;
}

bool Target::loadEeprom(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.size() > static_cast<std::size_t>(model_.eepromSize()))
        return false;
    eraseEeprom();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        mem_[model_.eeprom.first + i] = bytes[i];
    return true;
}

std::vector<std::uint8_t> Target::eeprom() const
{
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(model_.eepromSize()));
    for (unsigned a = model_.eeprom.first; a <= model_.eeprom.last; ++a)
        out.push_back(read8(static_cast<std::uint16_t>(a)));
    return out;
}

void Target::setStuck(std::uint16_t address, std::uint8_t value)
{
    if (!inEeprom(address))
        return;
    region_[address] = Region::Stuck;
    stuckValue_[address - model_.eeprom.first] = value;
}

void Target::record(AnomalyKind kind, std::uint16_t address, std::uint8_t value)
{
    ++anomalyCount_;
    if (anomalies_.size() < MaxAnomalies)
        anomalies_.push_back({kind, address, value, now_});
}

void Target::writeSlow(std::uint16_t address, std::uint8_t value)
{
    switch (region_[address]) {
    case Region::Registers:
        writeRegister(address, value);
        break;
    case Region::Eeprom:
    case Region::Stuck:
        writeEeprom(address, value);
        break;
    case Region::Flash:
        record(AnomalyKind::FlashWrite, address, value);
        break;
    case Region::Unmapped:
        record(AnomalyKind::UnmappedWrite, address, value);
        break;
    case Region::Ram:
        write8(address, value);
        break;
    }
}

void Target::writeRegister(std::uint16_t address, std::uint8_t value)
{
    switch (address) {
    case RegCOPRST:
        // The watchdog is serviced by 0x55 followed by 0xAA; nothing is stored.
        if (value == 0x55) {
            if (copArmed_)
                ++copStray_;
            copArmed_ = true;
        } else if (value == 0xAA && copArmed_) {
            ++copServices_;
            copArmed_ = false;
        } else {
            ++copStray_;
            copArmed_ = false;
        }
        return;
    case RegEEPROG:
        writeEeprog(value);
        return;
    default:
        if (mem_[address] != value) {
            mem_[address] = value;
            ++writeGeneration_;
        }
        return;
    }
}

void Target::writeEeprom(std::uint16_t address, std::uint8_t value)
{
    const std::uint8_t eeprog = mem_[RegEEPROG];
    if (eeprog & EEPGM) {
        record(AnomalyKind::EepromWriteBusy, address, value);
    } else if (eeprog & EELAT) {
        latched_ = true;
        latchAddress_ = address;
        latchData_ = value;
        ++writeGeneration_;
    } else {
        record(AnomalyKind::EepromWriteUnlatched, address, value);
    }
}

void Target::writeEeprog(std::uint8_t value)
{
    const std::uint8_t old = mem_[RegEEPROG];
    if (old & EEPGM) {
        if ((value & EEPGM) == 0) {
            completeOperation();
        } else if (value != old) {
            record(AnomalyKind::ControlChangeBusy, RegEEPROG, value);
            return;
        }
    } else if (value & EEPGM) {
        if ((old & EELAT) == 0) {
            record((value & EELAT) ? AnomalyKind::ProgramSameWrite
                                   : AnomalyKind::ProgramWithoutLatch,
                   RegEEPROG, value);
            value = static_cast<std::uint8_t>(value & ~EEPGM);
        } else if (!latched_) {
            record(AnomalyKind::ProgramWithoutLatch, RegEEPROG, value);
            value = static_cast<std::uint8_t>(value & ~EEPGM);
        } else {
            operationMode_ = value;
            operationStart_ = now_;
        }
    }
    if ((value & EELAT) == 0)
        latched_ = false;
    if (mem_[RegEEPROG] != value)
        ++writeGeneration_;
    mem_[RegEEPROG] = value;
}

void Target::completeOperation()
{
    EepromOperation op{
        EepromOperation::Kind::Program, latchAddress_, latchData_, operationStart_, now_, false};
    const bool erase = operationMode_ & ERASE;
    if (erase)
        op.kind = (operationMode_ & BYTE) ? EepromOperation::Kind::ByteErase
                                          : EepromOperation::Kind::BulkErase;
    const std::uint8_t protect = mem_[RegEEPROT];
    if (protect != 0) {
        record(AnomalyKind::Protected, latchAddress_, protect);
    } else if (erase && (operationMode_ & BULKP) && !(operationMode_ & BYTE)) {
        record(AnomalyKind::BulkProtected, latchAddress_, operationMode_);
    } else if (erase && (operationMode_ & BYTE)) {
        mem_[latchAddress_] = 0xFF;
        op.applied = true;
        ++erases_;
    } else if (erase && (operationMode_ & ROW)) {
        record(AnomalyKind::UnsupportedErase, latchAddress_, operationMode_);
    } else if (erase) {
        eraseEeprom();
        op.applied = true;
        ++erases_;
    } else {
        mem_[latchAddress_] &= latchData_;
        op.applied = true;
        ++programs_;
    }
    if (erase)
        lastEraseEnd_ = now_;
    operations_.push_back(op);
}

RunReport Target::run(std::uint16_t pc, std::uint64_t budget)
{
    RunReport report;
    report.start = pc;
    const int erasesBefore = erases_;
    const int programsBefore = programs_;
    const int servicesBefore = copServices_;
    const int strayBefore = copStray_;
    const std::size_t opsBefore = operations_.size();
    const std::uint64_t runStart = now_;
    const std::uint64_t eraseEndBefore = lastEraseEnd_;

    Cpu12<Target> cpu;
    cpu.s = cpu_;
    cpu.s.pc = pc;
    Cpu12State loopState;
    std::uint64_t loopGeneration = 0;
    bool haveLoop = false;
    while (cpu.instructions < budget) {
        now_ = runStart + cpu.cycles;
        if (cpu.step(*this) == 0) {
            report.stop = RunReport::Stop::UnknownOpcode;
            record(AnomalyKind::UnknownOpcode, cpu.s.pc, read8(cpu.s.pc));
            break;
        }
        if (cpu.jumpedBack) {
            if (haveLoop && loopGeneration == writeGeneration_ && loopState == cpu.s &&
                !(mem_[RegEEPROG] & EEPGM)) {
                report.stop = RunReport::Stop::FinalLoop;
                break;
            }
            loopState = cpu.s;
            loopGeneration = writeGeneration_;
            haveLoop = true;
        }
    }
    now_ = runStart + cpu.cycles;
    cpu_ = cpu.s;

    report.stopAddress = cpu.s.pc;
    report.instructions = cpu.instructions;
    report.cycles = cpu.cycles;
    report.erases = erases_ - erasesBefore;
    report.programs = programs_ - programsBefore;
    report.copServices = copServices_ - servicesBefore;
    report.copStray = copStray_ - strayBefore;
    report.finalState = cpu.s;
    const bool erased = lastEraseEnd_ != eraseEndBefore;
    report.eraseCycles = erased ? lastEraseEnd_ - runStart : 0;
    report.copyCycles = now_ - (erased ? lastEraseEnd_ : runStart);
    for (std::size_t i = opsBefore; i < operations_.size(); ++i) {
        const auto& op = operations_[i];
        if (op.kind != EepromOperation::Kind::Program)
            continue;
        const std::uint64_t pulse = op.endCycle - op.startCycle;
        if (report.minProgramPulse == 0 || pulse < report.minProgramPulse)
            report.minProgramPulse = pulse;
    }
    return report;
}

} // namespace kestrel::sim

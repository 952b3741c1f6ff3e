#pragma once

#include <cstdint>

namespace kestrel::sim {

// CCR bits.
inline constexpr std::uint8_t CcrS = 0x80;
inline constexpr std::uint8_t CcrX = 0x40;
inline constexpr std::uint8_t CcrH = 0x20;
inline constexpr std::uint8_t CcrI = 0x10;
inline constexpr std::uint8_t CcrN = 0x08;
inline constexpr std::uint8_t CcrZ = 0x04;
inline constexpr std::uint8_t CcrV = 0x02;
inline constexpr std::uint8_t CcrC = 0x01;

struct Cpu12State
{
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint16_t sp = 0;
    std::uint16_t pc = 0;
    std::uint8_t ccr = CcrS | CcrX | CcrI; // as out of reset

    friend bool operator==(const Cpu12State&, const Cpu12State&) = default;
};

// Interpreter of the CPU12 instructions that the EEPROM routines use. Bus provides
// std::uint8_t read8(std::uint16_t) and void write8(std::uint16_t, std::uint8_t).
//
// Cycle counts are the M68HC12 figures of the CPU12 Reference Manual's instruction glossary
// (access detail column; each letter one bus cycle):
//   ORCC #      P     1      LDAA #      P     1      LDS/LDX/LDY #  OP   2
//   STAA dir    Pw    2      STAA ext    wOP   3      DEC ext        rOPw 4
//   LDAA IDX2   frPP  4      STAA IDX2   PwP   3      INX, DEY       O    1
//   BNE         PPP   3 taken, P 1 not taken          JMP ext        PPP  3
template <class Bus> class Cpu12
{
public:
    Cpu12State s;
    std::uint64_t cycles = 0;
    std::uint64_t instructions = 0;
    // Set by a taken branch or jump to an address at or below the instruction's own.
    bool jumpedBack = false;

    // Executes one instruction. Returns its cycles, or 0 for an opcode (or indexed postbyte)
    // outside the supported set; then nothing changes and pc stays at the instruction.
    int step(Bus& bus)
    {
        const std::uint16_t at = s.pc;
        const std::uint8_t op = bus.read8(at);
        int n = 0;
        jumpedBack = false;
        switch (op) {
        case 0x14: // ORCC #imm
            s.ccr = static_cast<std::uint8_t>(s.ccr | bus.read8(at + 1));
            s.pc = at + 2;
            n = 1;
            break;
        case 0xCF: // LDS #imm16
        case 0xCE: // LDX #imm16
        case 0xCD: // LDY #imm16
            (op == 0xCF ? s.sp : op == 0xCE ? s.x : s.y) = load16(bus, at + 1);
            s.pc = at + 3;
            n = 2;
            break;
        case 0x86: // LDAA #imm
            s.a = bus.read8(at + 1);
            nz8(s.a);
            s.pc = at + 2;
            n = 1;
            break;
        case 0x5A: // STAA direct
            bus.write8(bus.read8(at + 1), s.a);
            nz8(s.a);
            s.pc = at + 2;
            n = 2;
            break;
        case 0x7A: // STAA extended
            bus.write8(word(bus, at + 1), s.a);
            nz8(s.a);
            s.pc = at + 3;
            n = 3;
            break;
        case 0x73: { // DEC extended
            const std::uint16_t ea = word(bus, at + 1);
            const std::uint8_t m = bus.read8(ea);
            const auto r = static_cast<std::uint8_t>(m - 1);
            bus.write8(ea, r);
            nz8(r);
            if (m == 0x80)
                s.ccr |= CcrV;
            s.pc = at + 3;
            n = 4;
            break;
        }
        case 0x26: { // BNE rel8
            const auto rel = static_cast<std::int8_t>(bus.read8(at + 1));
            const auto next = static_cast<std::uint16_t>(at + 2);
            if (s.ccr & CcrZ) {
                s.pc = next;
                n = 1;
            } else {
                s.pc = static_cast<std::uint16_t>(next + rel);
                jumpedBack = s.pc <= at;
                n = 3;
            }
            break;
        }
        case 0xA6: // LDAA oprx16,X
        case 0x6A: // STAA oprx16,X
            if (bus.read8(at + 1) != 0xE2)
                return 0;
            {
                const auto ea = static_cast<std::uint16_t>(s.x + word(bus, at + 2));
                if (op == 0xA6) {
                    s.a = bus.read8(ea);
                    n = 4;
                } else {
                    bus.write8(ea, s.a);
                    n = 3;
                }
                nz8(s.a);
                s.pc = at + 4;
            }
            break;
        case 0x08: // INX
            ++s.x;
            setZ(s.x == 0);
            s.pc = at + 1;
            n = 1;
            break;
        case 0x03: // DEY
            --s.y;
            setZ(s.y == 0);
            s.pc = at + 1;
            n = 1;
            break;
        case 0x06: // JMP extended
            s.pc = word(bus, at + 1);
            jumpedBack = s.pc <= at;
            n = 3;
            break;
        default:
            return 0;
        }
        cycles += static_cast<std::uint64_t>(n);
        ++instructions;
        return n;
    }

private:
    static std::uint16_t word(Bus& bus, std::uint16_t at)
    {
        return static_cast<std::uint16_t>(bus.read8(at) << 8 | bus.read8(at + 1));
    }
    std::uint16_t load16(Bus& bus, std::uint16_t at)
    {
        const std::uint16_t v = word(bus, at);
        nz((v & 0x8000) != 0, v == 0);
        return v;
    }
    void nz8(std::uint8_t v) { nz((v & 0x80) != 0, v == 0); }
    // N and Z as given, V cleared.
    void nz(bool negative, bool zero)
    {
        s.ccr = static_cast<std::uint8_t>(s.ccr & ~(CcrN | CcrZ | CcrV));
        if (negative)
            s.ccr |= CcrN;
        if (zero)
            s.ccr |= CcrZ;
    }
    void setZ(bool z) { s.ccr = static_cast<std::uint8_t>(z ? (s.ccr | CcrZ) : (s.ccr & ~CcrZ)); }
};

} // namespace kestrel::sim

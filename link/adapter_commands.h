#pragma once

// The adapter's command bytes, the line's speed, the pauses after each byte of a frame and the
// status reply, in standard C++ alone, so that the simulated adapter takes the same numbers. The
// command that starts the target routine depends on the chip: CMD_RUN in chip_records.h.

#include <array>
#include <cstdint>

namespace kestrel::link {

inline constexpr std::uint8_t CMD_BEGIN = 0x5B;
inline constexpr std::uint8_t CMD_PREPARE = 0x21;
inline constexpr std::uint8_t CMD_READ_STATUS = 0x37;
inline constexpr std::uint8_t CMD_WRITE_WORD = 0x0B;
inline constexpr std::uint8_t CMD_READ_WORD = 0x16;
inline constexpr std::uint8_t CMD_END = 0x5C;

// The line's speed, 8 data bits, no parity, one stop bit.
inline constexpr unsigned LineBaudRate = 12800;
inline constexpr int LineBitsPerByte = 10; // with the start and stop bits

// Pause after each of the first four bytes of a frame.
inline constexpr int BytePauseMs = 2;
// Pause after the fifth byte, per command.
inline constexpr int BeginPauseMs = 40;
inline constexpr int PreparePauseMs = 20;
inline constexpr int ReadStatusPauseMs = 8;
inline constexpr int WriteWordPauseMs = 2;
inline constexpr int ReadWordPauseMs = 4;
inline constexpr int RunPauseMs = 4;
inline constexpr int EndPauseMs = 40;

// The status query: CMD_READ_STATUS of the status at address 0xFF01.
inline constexpr std::array<std::uint8_t, 5> ReadStatusFrame{CMD_READ_STATUS, 0x01, 0xFF, 0, 0};
// First byte of its two-byte reply. Only StatusReady passes the connection check; the adapter
// answers StatusRunning while the target runs the loaded routine and StatusIdle before the
// first CMD_PREPARE.
inline constexpr std::uint8_t StatusReady = 0xC0;
inline constexpr std::uint8_t StatusRunning = 0x80;
inline constexpr std::uint8_t StatusIdle = 0x00;

} // namespace kestrel::link

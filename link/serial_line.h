#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kestrel::link {

enum class OpenStatus
{
    Opened,
    Failed,           // no such port, held by another program, or no name
    PermissionDenied, // the device exists but this user may not open it
    SpeedUnsupported, // the driver did not set 12800 baud exactly; port closed again
};

struct ReadResult
{
    int count = 0;       // bytes delivered
    bool broken = false; // the line broke (hang-up, device gone) rather than timing out
};

// One serial line to the adapter: 12800 baud, 8N1, no flow control, DTR and RTS off.
// Used from one thread at a time.
class SerialLine
{
public:
    virtual ~SerialLine() = default;

    // Opens the named port exclusively with the line settings and clears its buffers.
    // readTimeoutMs is the adapter's T; callers read with a deadline of T + 2T.
    [[nodiscard]] virtual OpenStatus open(const QString& portName, int readTimeoutMs) = 0;
    // Hands one byte to the line. False when the line is broken.
    [[nodiscard]] virtual bool sendByte(std::uint8_t byte) = 0;
    // Reads up to maxBytes into buffer, gathering partial reads, until maxBytes came or
    // timeoutMs passed.
    [[nodiscard]] virtual ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) = 0;
    virtual void close() = 0;
    // True once the line has reported an error or hang-up.
    [[nodiscard]] virtual bool broken() const = 0;
    // The speed the driver set, in baud, as the last open found it (also after a refused
    // speed); empty for a line that has none to tell.
    [[nodiscard]] virtual std::optional<unsigned> reportedSpeed() const { return std::nullopt; }
};

} // namespace kestrel::link

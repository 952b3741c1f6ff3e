#pragma once

#include "clock.h"
#include "serial_line.h"
#include "simulator.h"

#include <memory>
#include <string_view>

namespace kestrel::sim {

// A serial line that leads straight to a simulator, stamping each byte with the clock's time.
// A reply can be read once its time has come; reads wait on the clock (so a virtual clock
// advances and a real one sleeps) until the bytes are there or the time-out ends. A hung-up
// simulator makes the line broken, as a pulled cable does.
class SimLine final : public link::SerialLine
{
public:
    SimLine(Simulator& simulator, link::Clock& clock);
    ~SimLine() override;
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    [[nodiscard]] link::OpenStatus open(const QString& portName, int readTimeoutMs) override;
    [[nodiscard]] bool sendByte(std::uint8_t byte) override;
    [[nodiscard]] link::ReadResult read(std::uint8_t* buffer, int maxBytes, int timeoutMs) override;
    void close() override;
    [[nodiscard]] bool broken() const override;

    [[nodiscard]] Simulator& simulator() { return simulator_; }

private:
    [[nodiscard]] std::int64_t nowUs() const;

    Simulator& simulator_;
    link::Clock& clock_;
    bool open_ = false;
    bool broken_ = false;
};

// The line of the window's simulator port: a SimLine to the registry's simulator of the named
// chip ("68HC12B32", "68HC12D60"), or, for any other chip, a line that never opens.
[[nodiscard]] std::unique_ptr<link::SerialLine> makeSimulatorLine(std::string_view chipName,
                                                                  link::Clock& clock);

} // namespace kestrel::sim

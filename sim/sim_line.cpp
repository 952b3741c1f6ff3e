#include "sim_line.h"

#include <algorithm>

namespace kestrel::sim {

SimLine::SimLine(Simulator& simulator, link::Clock& clock) : simulator_(simulator), clock_(clock) {}

SimLine::~SimLine()
{
    close();
}

std::int64_t SimLine::nowUs() const
{
    return clock_.now().count();
}

link::OpenStatus SimLine::open(const QString& portName, int readTimeoutMs)
{
    Q_UNUSED(portName);
    Q_UNUSED(readTimeoutMs);
    if (open_)
        return link::OpenStatus::Failed;
    if (!simulator_.attach(nowUs()))
        return link::OpenStatus::Failed;
    open_ = true;
    broken_ = false;
    return link::OpenStatus::Opened;
}

bool SimLine::sendByte(std::uint8_t byte)
{
    if (!open_ || broken())
        return false;
    if (!simulator_.receive(byte, nowUs())) {
        broken_ = true;
        return false;
    }
    return true;
}

link::ReadResult SimLine::read(std::uint8_t* buffer, int maxBytes, int timeoutMs)
{
    link::ReadResult result;
    if (!open_)
        return result;
    const std::int64_t deadline = nowUs() + static_cast<std::int64_t>(timeoutMs) * 1000;
    for (;;) {
        if (broken()) {
            result.broken = true;
            return result;
        }
        const std::int64_t now = nowUs();
        result.count += simulator_.takeReplies(buffer + result.count, maxBytes - result.count, now);
        if (result.count >= maxBytes || now >= deadline)
            return result;
        std::int64_t until = deadline;
        if (const auto next = simulator_.nextReplyAt())
            until = std::min(until, *next);
        const auto waitMs = static_cast<int>(std::max<std::int64_t>(1, (until - now + 999) / 1000));
        clock_.pauseMs(waitMs);
    }
}

void SimLine::close()
{
    if (!open_)
        return;
    open_ = false;
    simulator_.detach();
}

bool SimLine::broken() const
{
    return broken_ || (open_ && simulator_.hungUp());
}

namespace {

// No simulated chip of that kind: like a port that does not exist.
class AbsentLine final : public link::SerialLine
{
public:
    [[nodiscard]] link::OpenStatus open(const QString&, int) override
    {
        return link::OpenStatus::Failed;
    }
    [[nodiscard]] bool sendByte(std::uint8_t) override { return false; }
    [[nodiscard]] link::ReadResult read(std::uint8_t*, int, int) override { return {0, true}; }
    void close() override {}
    [[nodiscard]] bool broken() const override { return true; }
};

} // namespace

std::unique_ptr<link::SerialLine> makeSimulatorLine(std::string_view chipName, link::Clock& clock)
{
    if (Simulator* simulator = SimulatorRegistry::instance().chip(chipName))
        return std::make_unique<SimLine>(*simulator, clock);
    return std::make_unique<AbsentLine>();
}

} // namespace kestrel::sim

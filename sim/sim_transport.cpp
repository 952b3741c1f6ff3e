#include "sim_transport.h"

#include "sim_line.h"

#include <mutex>
#include <vector>

namespace kestrel::sim {

namespace {

link::Transport simulatorTransport(link::LineMaker makeLine)
{
    return {QString::fromLatin1(SimulatorPortName),
            QStringLiteral("wbudowany symulator adaptera"),
            {},
            std::move(makeLine)};
}

} // namespace

void registerSimulatorTransport(link::Transports& transports)
{
    transports.add(simulatorTransport([](const link::LineRequest& request, link::Clock& clock) {
        return makeSimulatorLine(request.chipName, clock);
    }));
}

struct PortSimulators::Adapters
{
    std::mutex mutex;
    std::vector<std::unique_ptr<Simulator>> byPort;

    std::unique_ptr<link::SerialLine> makeLine(const link::LineRequest& request, link::Clock& clock)
    {
        const auto kind = chipByName(request.chipName);
        const auto index = static_cast<std::size_t>(request.portIndex);
        std::lock_guard lock(mutex);
        if (byPort.size() <= index)
            byPort.resize(index + 1);
        byPort[index] = kind ? std::make_unique<Simulator>(*kind) : nullptr;
        if (!byPort[index])
            return makeSimulatorLine(request.chipName, clock);
        return std::make_unique<SimLine>(*byPort[index], clock);
    }
};

PortSimulators::PortSimulators() : adapters_(std::make_shared<Adapters>()) {}

void PortSimulators::registerTransport(link::Transports& transports) const
{
    transports.add(simulatorTransport(
        [adapters = adapters_](const link::LineRequest& request, link::Clock& clock) {
            return adapters->makeLine(request, clock);
        }));
}

Simulator* PortSimulators::simulatorOf(int portIndex) const
{
    std::lock_guard lock(adapters_->mutex);
    if (portIndex < 0 || static_cast<std::size_t>(portIndex) >= adapters_->byPort.size())
        return nullptr;
    return adapters_->byPort[static_cast<std::size_t>(portIndex)].get();
}

} // namespace kestrel::sim

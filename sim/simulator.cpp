#include "simulator.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>

namespace kestrel::sim {

Simulator::Simulator(ChipKind kind, Faults faults) : target_(std::make_unique<Target>(kind))
{
    for (const auto& [address, value] : faults.stuck)
        target_->setStuck(address, value);
    if (faults.randomStuck > 0) {
        const ChipModel& m = target_->model();
        std::mt19937 random(faults.seed ^ 0x5EEDu);
        std::uniform_int_distribution<int> cell(m.eeprom.first, m.eeprom.last);
        std::uniform_int_distribution<int> byte(0, 255);
        std::set<int> chosen;
        const int count = std::min(faults.randomStuck, m.eepromSize());
        while (static_cast<int>(chosen.size()) < count) {
            const int address = cell(random);
            if (!chosen.insert(address).second)
                continue;
            const auto value = static_cast<std::uint8_t>(byte(random));
            target_->setStuck(static_cast<std::uint16_t>(address), value);
            faults.stuck.emplace_back(static_cast<std::uint16_t>(address), value);
        }
    }
    adapter_ = std::make_unique<Adapter>(*target_, std::move(faults));
}

bool Simulator::attach(std::int64_t nowUs)
{
    std::lock_guard lock(mutex_);
    if (attached_ || adapter_->hungUp())
        return false;
    attached_ = true;
    pending_.clear();
    adapter_->lineOpened(nowUs);
    return true;
}

void Simulator::detach()
{
    std::lock_guard lock(mutex_);
    attached_ = false;
}

bool Simulator::receive(std::uint8_t byte, std::int64_t nowUs)
{
    std::lock_guard lock(mutex_);
    if (adapter_->hungUp())
        return false;
    const Faults& faults = adapter_->faults();
    std::vector<ReplyByte> out;
    if (faults.echo)
        out.push_back({byte, nowUs + ByteTimeUs}); // a loop-back: no adapter sees the byte
    else
        adapter_->receive(byte, nowUs, out);
    if (adapter_->hungUp()) {
        pending_.clear();
        return true; // the byte itself went out
    }
    // A USB-serial chip hands received bytes over in packets, when its latency timer runs out.
    if (faults.usbLatencyMs > 0) {
        const std::int64_t tickUs = std::int64_t{faults.usbLatencyMs} * 1000;
        for (ReplyByte& b : out)
            b.atUs = (b.atUs + tickUs - 1) / tickUs * tickUs;
    }
    pending_.insert(pending_.end(), out.begin(), out.end());
    return true;
}

int Simulator::takeReplies(std::uint8_t* buffer, int max, std::int64_t nowUs)
{
    std::lock_guard lock(mutex_);
    int n = 0;
    while (n < max && !pending_.empty() && pending_.front().atUs <= nowUs) {
        buffer[n++] = pending_.front().value;
        pending_.pop_front();
    }
    return n;
}

std::optional<std::int64_t> Simulator::nextReplyAt() const
{
    std::lock_guard lock(mutex_);
    if (pending_.empty())
        return std::nullopt;
    return pending_.front().atUs;
}

bool Simulator::hungUp() const
{
    std::lock_guard lock(mutex_);
    return adapter_->hungUp();
}

void Simulator::setStamps(Stamps stamps, bool realtime)
{
    std::lock_guard lock(mutex_);
    adapter_->setStamps(stamps);
    realtime_ = realtime;
}

std::vector<std::uint8_t> Simulator::eeprom() const
{
    std::lock_guard lock(mutex_);
    return target_->eeprom();
}

std::vector<Violation> Simulator::violations() const
{
    std::lock_guard lock(mutex_);
    return adapter_->violations();
}

std::size_t Simulator::frameCount() const
{
    std::lock_guard lock(mutex_);
    return adapter_->frames().size();
}

std::string Simulator::summary() const
{
    std::lock_guard lock(mutex_);
    const Target& t = *target_;
    const Adapter& a = *adapter_;
    std::string out;
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s: %zu frames, %zu protocol violation(s)\n",
                  std::string(t.model().name).c_str(), a.frames().size(), a.violations().size());
    out += buf;
    // Times from the first frame, as in the transcript.
    const std::int64_t origin = a.frames().empty() ? 0 : a.frames().front().firstUs;
    for (const Violation& v : a.violations()) {
        std::snprintf(buf, sizeof buf, "  frame %zu at %.3f ms: ", v.frame,
                      static_cast<double>(v.timeUs - origin) / 1000.0);
        out += buf;
        out += v.what + '\n';
    }
    if (a.stamps() == Stamps::Delivered) {
        std::snprintf(buf, sizeof buf,
                      "pacing judged on runs of %d early frames (pseudo-terminal, read at %s): "
                      "%zu early frame(s) alone not judged\n",
                      EarlyRunFrames,
                      realtime_ ? "real-time priority" : "normal priority, real-time not allowed",
                      a.unjudgedEarlyFrames());
        out += buf;
    }
    std::snprintf(buf, sizeof buf,
                  "EEPROM: %d erase operation(s), %d byte(s) programmed; watchdog serviced %d "
                  "time(s), %d stray COPRST write(s)\n",
                  t.erases(), t.programs(), t.copServices(), t.copStray());
    out += buf;
    for (const RunReport& r : a.runs())
        out += r.summary() + '\n';
    std::snprintf(buf, sizeof buf, "%llu target anomal%s\n",
                  static_cast<unsigned long long>(t.anomalyCount()),
                  t.anomalyCount() == 1 ? "y" : "ies");
    out += buf;
    const std::size_t shown = std::min<std::size_t>(t.anomalies().size(), 20);
    for (std::size_t i = 0; i < shown; ++i)
        out += "  " + describe(t.anomalies()[i]) + '\n';
    if (t.anomalyCount() > shown)
        out += "  ...\n";
    if (a.faults().any())
        out += "faults:\n" + a.faults().describe();
    return out;
}

SimulatorRegistry& SimulatorRegistry::instance()
{
    static SimulatorRegistry registry;
    return registry;
}

Simulator* SimulatorRegistry::chip(std::string_view name)
{
    const auto kind = chipByName(name);
    if (!kind)
        return nullptr;
    std::lock_guard lock(mutex_);
    auto& slot = *kind == ChipKind::B32 ? b32_ : d60_;
    if (!slot)
        slot = std::make_unique<Simulator>(*kind);
    return slot.get();
}

} // namespace kestrel::sim

#pragma once

#include "sim_adapter.h"
#include "sim_target.h"

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

namespace kestrel::sim {

// An adapter with its chip, seen from the serial line: bytes in with their time, reply bytes
// out once their time has come. Every call locks, so a line on a worker thread and an
// inspector on another thread can share one simulator.
class Simulator
{
public:
    explicit Simulator(ChipKind kind, Faults faults = {});
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // A line opens: false when the device is gone (hung up) or already held by a line.
    // Stale replies are discarded and a partial frame is dropped.
    [[nodiscard]] bool attach(std::int64_t nowUs);
    void detach();
    // False when the line has hung up.
    [[nodiscard]] bool receive(std::uint8_t byte, std::int64_t nowUs);
    // Moves up to max reply bytes that are there by nowUs into buffer; returns the count.
    [[nodiscard]] int takeReplies(std::uint8_t* buffer, int max, std::int64_t nowUs);
    // When the next pending reply byte arrives, if one is pending.
    [[nodiscard]] std::optional<std::int64_t> nextReplyAt() const;
    [[nodiscard]] bool hungUp() const;
    // How the line stamps bytes, and whether it reads them at real-time priority; both go into
    // the summary.
    void setStamps(Stamps stamps, bool realtime);

    // Runs f(const Target&, const Adapter&) under the lock.
    template <class F> decltype(auto) inspect(F&& f) const
    {
        std::lock_guard lock(mutex_);
        return f(static_cast<const Target&>(*target_), static_cast<const Adapter&>(*adapter_));
    }
    // Runs f(Target&) under the lock, e.g. to load the EEPROM.
    template <class F> decltype(auto) modify(F&& f)
    {
        std::lock_guard lock(mutex_);
        return f(*target_);
    }

    // Shorthands.
    [[nodiscard]] std::vector<std::uint8_t> eeprom() const;
    [[nodiscard]] std::vector<Violation> violations() const;
    [[nodiscard]] std::size_t frameCount() const;
    // Frames, violations, EEPROM operations, runs and faults, as the front ends print them.
    [[nodiscard]] std::string summary() const;

private:
    mutable std::mutex mutex_;
    std::unique_ptr<Target> target_;
    std::unique_ptr<Adapter> adapter_;
    std::deque<ReplyByte> pending_;
    bool attached_ = false;
    bool realtime_ = false;
};

// One persistent simulator per chip for the whole program, erased at start.
class SimulatorRegistry
{
public:
    static SimulatorRegistry& instance();
    // The simulator of "68HC12B32" or "68HC12D60"; nullptr for any other name.
    [[nodiscard]] Simulator* chip(std::string_view name);

private:
    SimulatorRegistry() = default;
    std::mutex mutex_;
    std::unique_ptr<Simulator> b32_;
    std::unique_ptr<Simulator> d60_;
};

} // namespace kestrel::sim

#pragma once

#include "simulator.h"

#include <cstdint>
#include <string>
#include <thread>

namespace kestrel::sim {

// Serves a simulator on the master side of a pseudo-terminal pair. The host opens the slave
// path like a serial port; when it closes and opens it again, serving goes on. A pty carries
// no baud rate: bytes are stamped with the time they are read from the master.
class PtyServer
{
public:
    explicit PtyServer(Simulator& simulator);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pair in raw mode. False with a reason on failure.
    [[nodiscard]] bool open(std::string& error);
    [[nodiscard]] const std::string& slavePath() const { return slavePath_; }

    // The simulator is told that its stamps come from a pseudo-terminal, and whether the
    // calling thread reads at real-time priority (see raiseServingPriority).
    void markServing(bool realtime);
    // Serves until stopFd becomes readable, or the simulator hangs up (then the master is
    // closed, so the host sees a hang-up). Returns true when it stopped on stopFd.
    bool serve(int stopFd);
    void close();

private:
    void sendDueReplies();

    Simulator& simulator_;
    int master_ = -1;
    std::string slavePath_;
};

// A PtyServer serving on a thread of its own until stop() or destruction.
class BackgroundPtyServer
{
public:
    explicit BackgroundPtyServer(Simulator& simulator);
    ~BackgroundPtyServer();
    BackgroundPtyServer(const BackgroundPtyServer&) = delete;
    BackgroundPtyServer& operator=(const BackgroundPtyServer&) = delete;

    [[nodiscard]] bool start(std::string& error);
    [[nodiscard]] const std::string& slavePath() const { return server_.slavePath(); }
    void stop();

private:
    PtyServer server_;
    int stopPipe_[2] = {-1, -1};
    std::thread thread_;
};

// Asks for real-time scheduling of the calling thread (allowed for root or with an RTPRIO
// limit), so that the time stamps of arriving bytes do not depend on the machine's load.
// Without the right the thread keeps its priority and false is returned.
[[nodiscard]] bool raiseServingPriority();

// Microseconds of the steady clock.
[[nodiscard]] std::int64_t steadyNowUs();

} // namespace kestrel::sim

#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrel::testsupport {

// The far end of a pseudo-terminal pair, played by a thread: the program under test opens the
// slave device by name; every complete five-byte frame that arrives at the master is handed to
// the script, whose answer is written back at once.
class PtyPeer
{
public:
    using Frame = std::array<std::uint8_t, 5>;
    using Script = std::function<QByteArray(const Frame& frame)>;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    [[nodiscard]] bool isValid() const { return master_ >= 0; }
    [[nodiscard]] QString slaveName() const { return slaveName_; }
    // A descriptor of the slave held by the peer, for asking the driver about the line.
    [[nodiscard]] int slaveFd() const { return slave_; }

    // Before start(): the peer's thread runs the script.
    void setScript(Script script);
    // Closes the master (a hang-up seen by the slave) when this frame (1-based) has come in,
    // instead of answering it.
    void hangUpAtFrame(int frame) { hangUpAt_ = frame; }
    // Writes bytes to the slave's input now.
    void inject(const QByteArray& bytes);

    void start();
    void stop();

    [[nodiscard]] int framesReceived() const { return frames_.load(); }
    [[nodiscard]] bool hungUp() const { return hungUp_.load(); }
    // Arrival times of every byte, in the order they came.
    [[nodiscard]] std::vector<std::chrono::steady_clock::time_point> arrivals() const;
    [[nodiscard]] QByteArray received() const;

private:
    void run();

    std::atomic<int> master_{-1};
    int slave_ = -1;
    QString slaveName_;
    Script script_;
    std::atomic<int> hangUpAt_{0};
    std::atomic<int> frames_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> hungUp_{false};
    mutable std::mutex mutex_;
    QByteArray received_;
    std::vector<std::chrono::steady_clock::time_point> arrivals_;
    std::thread thread_;
};

} // namespace kestrel::testsupport

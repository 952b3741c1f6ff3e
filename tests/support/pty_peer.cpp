#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kestrel::testsupport {

PtyPeer::PtyPeer()
{
    char name[256] = {};
    int master = -1;
    if (::openpty(&master, &slave_, name, nullptr, nullptr) != 0) {
        slave_ = -1;
        return;
    }
    master_ = master;
    slaveName_ = QString::fromLocal8Bit(name);
    termios raw{};
    if (::tcgetattr(master_, &raw) == 0) {
        ::cfmakeraw(&raw);
        (void)::tcsetattr(master_, TCSANOW, &raw);
    }
}

PtyPeer::~PtyPeer()
{
    stop();
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

void PtyPeer::setScript(Script script)
{
    script_ = std::move(script);
}

void PtyPeer::inject(const QByteArray& bytes)
{
    if (master_ >= 0)
        (void)!::write(master_, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void PtyPeer::start()
{
    // A running thread is joined before the next one takes its place.
    stop();
    stop_ = false;
    thread_ = std::thread([this] { run(); });
}

void PtyPeer::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::vector<std::chrono::steady_clock::time_point> PtyPeer::arrivals() const
{
    std::lock_guard lock(mutex_);
    return arrivals_;
}

QByteArray PtyPeer::received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void PtyPeer::run()
{
    Frame frame{};
    int filled = 0;
    while (!stop_ && master_ >= 0) {
        pollfd fd{master_.load(), POLLIN, 0};
        if (::poll(&fd, 1, 5) <= 0 || (fd.revents & POLLIN) == 0)
            continue;
        std::uint8_t bytes[64];
        const ssize_t got = ::read(master_, bytes, sizeof bytes);
        if (got <= 0)
            continue;
        const auto now = std::chrono::steady_clock::now();
        for (ssize_t i = 0; i < got; ++i) {
            {
                std::lock_guard lock(mutex_);
                received_.append(static_cast<char>(bytes[i]));
                arrivals_.push_back(now);
            }
            frame[static_cast<std::size_t>(filled++)] = bytes[i];
            if (filled < 5)
                continue;
            filled = 0;
            const int count = ++frames_;
            if (hangUpAt_ > 0 && count >= hangUpAt_) {
                ::close(master_);
                master_ = -1;
                hungUp_ = true;
                return;
            }
            if (script_) {
                const QByteArray reply = script_(frame);
                if (!reply.isEmpty())
                    inject(reply);
            }
        }
    }
}

} // namespace kestrel::testsupport

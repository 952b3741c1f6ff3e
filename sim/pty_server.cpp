#include "pty_server.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace kestrel::sim {

std::int64_t steadyNowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

PtyServer::PtyServer(Simulator& simulator) : simulator_(simulator) {}

PtyServer::~PtyServer()
{
    close();
}

bool PtyServer::open(std::string& error)
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        error = std::string("grantpt/unlockpt: ") + std::strerror(errno);
        close();
        return false;
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        error = std::string("ptsname: ") + std::strerror(errno);
        close();
        return false;
    }
    slavePath_ = name;
    termios tio{};
    if (::tcgetattr(master_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master_, TCSANOW, &tio);
    }
    return true;
}

void PtyServer::close()
{
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyServer::sendDueReplies()
{
    std::uint8_t buf[64];
    for (;;) {
        const int n = simulator_.takeReplies(buf, static_cast<int>(sizeof buf), steadyNowUs());
        if (n <= 0)
            return;
        int done = 0;
        while (done < n) {
            const ssize_t w = ::write(master_, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return; // nobody listening: the reply is lost, as on a real line
            }
            done += static_cast<int>(w);
        }
    }
}

bool raiseServingPriority()
{
    sched_param param{};
    param.sched_priority = 10;
    return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param) == 0;
}

void PtyServer::markServing(bool realtime)
{
    simulator_.setStamps(Stamps::Delivered, realtime);
}

// Watches the slave path for opens, so that waiting for a host costs no wake-ups. Where the
// watch cannot be set, the master is looked at every millisecond instead.
class OpenWatch
{
public:
    explicit OpenWatch(const std::string& path)
    {
        fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ >= 0 && ::inotify_add_watch(fd_, path.c_str(), IN_OPEN) < 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~OpenWatch()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    [[nodiscard]] int fd() const { return fd_; }
    void drain() const
    {
        alignas(inotify_event) char buf[4096];
        while (fd_ >= 0 && ::read(fd_, buf, sizeof buf) > 0) {
        }
    }

private:
    int fd_ = -1;
};

bool PtyServer::serve(int stopFd)
{
    const OpenWatch watch(slavePath_);
    bool hostThere = false;
    for (;;) {
        if (simulator_.hungUp()) {
            close();
            return false;
        }
        if (!hostThere) {
            // Events are drained before the look, so an open after it still wakes the wait.
            watch.drain();
            pollfd probe{master_, POLLIN, 0};
            if (::poll(&probe, 1, 0) >= 0 && !(probe.revents & POLLHUP)) {
                hostThere = true;
                (void)simulator_.attach(steadyNowUs());
                continue;
            }
            pollfd fds[2] = {{stopFd, POLLIN, 0}, {watch.fd(), POLLIN, 0}};
            const bool watching = watch.fd() >= 0;
            const int r = ::poll(fds, watching ? 2 : 1, watching ? -1 : 1);
            if (r < 0 && errno != EINTR)
                return false;
            if (fds[0].revents & POLLIN)
                return true;
            continue;
        }

        sendDueReplies();
        std::int64_t timeoutUs = -1;
        if (const auto next = simulator_.nextReplyAt()) {
            const std::int64_t wait = *next - steadyNowUs();
            timeoutUs = wait <= 0 ? 0 : wait;
        }
        pollfd fds[2] = {{stopFd, POLLIN, 0}, {master_, POLLIN, 0}};
        timespec ts{static_cast<time_t>(timeoutUs / 1'000'000),
                    static_cast<long>(timeoutUs % 1'000'000) * 1000};
        const int r = ::ppoll(fds, 2, timeoutUs < 0 ? nullptr : &ts, nullptr);
        if (r < 0 && errno != EINTR)
            return false;
        if (fds[0].revents & POLLIN)
            return true;
        if (fds[1].revents & POLLIN) {
            std::uint8_t buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            // Stamped the moment the read returns: the bytes were on the line by then.
            const std::int64_t now = steadyNowUs();
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i)
                    if (!simulator_.receive(buf[i], now))
                        break;
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            hostThere = false; // EIO: the slave side was closed
            simulator_.detach();
            continue;
        }
        if (fds[1].revents & (POLLHUP | POLLERR)) {
            hostThere = false;
            simulator_.detach();
        }
    }
}

BackgroundPtyServer::BackgroundPtyServer(Simulator& simulator) : server_(simulator) {}

BackgroundPtyServer::~BackgroundPtyServer()
{
    stop();
}

bool BackgroundPtyServer::start(std::string& error)
{
    if (::pipe2(stopPipe_, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (!server_.open(error))
        return false;
    thread_ = std::thread([this] {
        server_.markServing(raiseServingPriority());
        server_.serve(stopPipe_[0]);
    });
    return true;
}

void BackgroundPtyServer::stop()
{
    if (thread_.joinable()) {
        const char c = 1;
        [[maybe_unused]] const auto r = ::write(stopPipe_[1], &c, 1);
        thread_.join();
    }
    server_.close();
    for (int& fd : stopPipe_) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace kestrel::sim

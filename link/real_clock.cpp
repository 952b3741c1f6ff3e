#include "real_clock.h"

#include <QtGlobal>

#include <thread>

#if defined(Q_OS_LINUX)
#include <sys/prctl.h>
#endif

#if defined(Q_OS_WIN)
// windows.h first: timeapi.h relies on its types.
// clang-format off
#include <windows.h>
#include <timeapi.h>
// clang-format on
#endif

namespace kestrel::link {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Time left to wait actively after sleeping; with the timer slack lowered it covers the wake-up
// latency of an idle system.
constexpr auto SpinMargin = std::chrono::microseconds(50);

#if defined(Q_OS_WIN)
// Windows sleeps in steps of its timer period (15.6 ms by default); a 1 ms period keeps a 2 ms
// pause near 2 ms. Asked for once, kept for the life of the process.
void useFineTimer()
{
    static const bool fine = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)fine;
}
#elif defined(Q_OS_LINUX)
// A sleeping thread is woken up to its timer slack (50 us by default) late; 1 ns keeps the
// wake-up within the short spin. Per thread: set once on each thread that pauses.
void useFineTimer()
{
    thread_local const bool fine = ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)fine;
}
#else
void useFineTimer() {}
#endif

} // namespace

void RealClock::pauseMs(int ms)
{
    if (ms <= 0)
        return;
    useFineTimer();
    waitUntil(SteadyClock::now() + std::chrono::milliseconds(ms));
}

std::chrono::microseconds RealClock::now() const
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
        SteadyClock::now().time_since_epoch());
}

void RealClock::waitUntil(std::chrono::steady_clock::time_point end)
{
    if (end - SteadyClock::now() > SpinMargin)
        std::this_thread::sleep_until(end - SpinMargin);
    // Not yielding here: on a busy machine a yield can hand the processor away past the end.
    while (SteadyClock::now() < end) {
    }
}

} // namespace kestrel::link

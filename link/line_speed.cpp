// Kept apart from every file that includes <termios.h>: the kernel's termbits header, which
// declares termios2, redefines the C library's termios structures.
#include "line_speed.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace kestrel::link {

std::optional<LineSpeed> readLineSpeed(int fd)
{
#if defined(__linux__) && defined(TCGETS2)
    struct termios2 settings
    {
    };
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return std::nullopt;
    return LineSpeed{settings.c_ispeed, settings.c_ospeed};
#else
    (void)fd;
    return std::nullopt;
#endif
}

namespace {

bool closeEnough(unsigned baud)
{
    const unsigned departure = baud > LineBaudRate ? baud - LineBaudRate : LineBaudRate - baud;
    return departure <= LineBaudTolerance;
}

} // namespace

bool lineSpeedAccepted(const std::optional<LineSpeed>& reported, unsigned claimed)
{
    if (!reported)
        return closeEnough(claimed);
    return closeEnough(reported->output) && (reported->input == 0 || closeEnough(reported->input));
}

bool requestLowLatency(int fd)
{
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return false;
    if ((serial.flags & ASYNC_LOW_LATENCY) != 0)
        return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    (void)fd;
    return false;
#endif
}

} // namespace kestrel::link

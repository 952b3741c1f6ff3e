// Kept apart from every file that includes <termios.h>: the kernel's termbits header, which
// declares termios2, redefines the C library's termios structures.
#include "line_speed.h"

#if defined(__linux__)
#include <asm/termbits.h>
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

} // namespace kestrel::link

#include "port_access.h"

#include "messages.h"

#include <QFile>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace kestrel::link {

QString portDevicePath(const QString& portName)
{
#if defined(Q_OS_UNIX)
    if (portName.isEmpty() || portName.startsWith(u'/'))
        return portName;
    return QStringLiteral("/dev/") + portName;
#else
    return portName;
#endif
}

bool deviceAccessDenied(const QString& devicePath)
{
#if defined(Q_OS_UNIX)
    const QByteArray path = QFile::encodeName(devicePath);
    return !path.isEmpty() && ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    (void)devicePath;
    return false;
#endif
}

DeviceGroup deviceGroup(const QString& devicePath)
{
    DeviceGroup out;
#if defined(Q_OS_UNIX)
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(devicePath).constData(), &info) != 0)
        return out;
    out.root = info.st_gid == 0;
    out.readWrite = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    // getgrgid is not reentrant and transfers run on threads of their own.
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 4096));
    group entry{};
    group* found = nullptr;
    int error = 0;
    while ((error = ::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (error == 0 && found != nullptr)
        out.name = QString::fromLocal8Bit(found->gr_name);
#else
    (void)devicePath;
#endif
    return out;
}

QString permissionDeniedMessageFor(const QString& portName)
{
    const QString device = portDevicePath(portName);
    const DeviceGroup group = deviceGroup(device);
    // Joining root's group, or one the device does not let in, would not help (or harm).
    if (group.root || !group.readWrite)
        return portAdminOnlyMessage(device);
    return portPermissionMessage(device, group.name);
}

} // namespace kestrel::link

#pragma once

#include <QString>

namespace kestrel::link {

// Telling a port the user may not open from one that is missing or busy.

// The device file a port name opens: the name itself when it is a path, else /dev/<name> on
// Unix; the name unchanged elsewhere.
[[nodiscard]] QString portDevicePath(const QString& portName);

// True when the device exists and this process may not open it for reading and writing
// (EACCES). Always false where that cannot be asked (Windows, which answers access denied for
// a port another program holds).
[[nodiscard]] bool deviceAccessDenied(const QString& devicePath);

// The group that owns the device file.
struct DeviceGroup
{
    QString name;           // empty when it cannot be told
    bool root = false;      // the group is root's (gid 0)
    bool readWrite = false; // the device's mode lets its group read and write
};
[[nodiscard]] DeviceGroup deviceGroup(const QString& devicePath);

// The message for a port the user may not open, with the device's owning group.
[[nodiscard]] QString permissionDeniedMessageFor(const QString& portName);

} // namespace kestrel::link

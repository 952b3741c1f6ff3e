#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kestrel {

// File names as the system holds them: bytes, in practice UTF-8, but any bytes but '/' and NUL.
// A name is decoded as UTF-8, every byte that is not part of valid UTF-8 kept as the lone
// surrogate U+DC80 + (byte - 0x80), and encoded back the same way, so that a name that is not
// UTF-8 still reaches the same file. (Qt's own decoding replaces such bytes with U+FFFD, which
// names another file.)
[[nodiscard]] QString fileNameFromSystem(QByteArrayView name);
[[nodiscard]] QByteArray fileNameToSystem(const QString& name);

// The program's arguments, decoded as file names are.
[[nodiscard]] QStringList argumentsFromSystem(int argc, const char* const* argv);

enum class FileKind
{
    Missing,   // nothing of that name (or it cannot be looked at)
    Regular,   // a regular file, or a link to one
    Directory, // a folder, or a link to one
    Other,     // a pipe, a device, a socket
};

// What the name leads to, symbolic links followed.
[[nodiscard]] FileKind fileKindOf(const QString& path);

// The file a name leads to once every symbolic link is followed: the absolute, clean name of the
// file or, when it does not exist (yet), of its folder with the last part added. Two names that
// lead to one file give the same text.
[[nodiscard]] QString resolvedFilePath(const QString& path);

} // namespace kestrel

#include "file_names.h"

#include <QDir>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace kestrel {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // bytes 0x80..0xFF become U+DC80..U+DCFF

bool continuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at data[i] and its code point, or 0.
int utf8Sequence(QByteArrayView data, qsizetype i, char32_t& code)
{
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(data[i + k]); };
    const unsigned char lead = byte(0);
    int length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (data.size() - i < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!continuation(byte(k)))
            return 0;
        code = (code << 6) | (byte(k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fileNameFromSystem(QByteArrayView name)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size();) {
        const auto lead = static_cast<unsigned char>(name[i]);
        char32_t code = lead;
        int length = lead < 0x80 ? 1 : utf8Sequence(name, i, code);
        if (length == 0) {
            out += QChar(char16_t(EscapeBase + lead));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += length;
    }
    return out;
}

QByteArray fileNameToSystem(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out += QString(name.constData() + i, 2).toUtf8();
            ++i;
        } else if (c >= EscapeBase + 0x80 && c <= EscapeBase + 0xFF) {
            out += char(c - EscapeBase);
        } else {
            out += QString(QChar(c)).toUtf8();
        }
    }
    return out;
}

QStringList argumentsFromSystem(int argc, const char* const* argv)
{
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << fileNameFromSystem(QByteArrayView(argv[i]));
    return out;
}

FileKind fileKindOf(const QString& path)
{
    struct stat info {};
    if (path.isEmpty() || ::stat(fileNameToSystem(path).constData(), &info) != 0)
        return FileKind::Missing;
    if (S_ISREG(info.st_mode))
        return FileKind::Regular;
    if (S_ISDIR(info.st_mode))
        return FileKind::Directory;
    return FileKind::Other;
}

namespace {

std::optional<QString> realPath(const QString& path)
{
    char* resolved = ::realpath(fileNameToSystem(path).constData(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    QString out = fileNameFromSystem(QByteArrayView(resolved));
    std::free(resolved);
    return out;
}

} // namespace

QString resolvedFilePath(const QString& path)
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    if (const std::optional<QString> whole = realPath(absolute))
        return *whole;
    const qsizetype slash = absolute.lastIndexOf(u'/');
    if (const std::optional<QString> folder = realPath(absolute.left(std::max<qsizetype>(slash, 1))))
        return QDir::cleanPath(*folder + u'/' + absolute.mid(slash + 1));
    return absolute;
}

} // namespace kestrel

#include "image_search.h"

#include "eeprom_image.h"
#include "image_messages.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>

namespace kestrel {

std::optional<QByteArray> parseHexBytes(QStringView text)
{
    QByteArray bytes;
    int high = -1;
    for (const QChar c : text) {
        if (c.isSpace())
            continue;
        const int digit = QStringView(&c, 1).toInt(nullptr, 16);
        const bool isDigit = c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f');
        if (!isDigit || c.unicode() > 0x7F)
            return std::nullopt;
        if (high < 0) {
            high = digit;
        } else {
            bytes.append(static_cast<char>(high << 4 | digit));
            high = -1;
        }
    }
    if (high >= 0 || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> textBytes(QStringView text)
{
    static const std::array<int, 65536> byteOf = [] {
        std::array<int, 65536> table{};
        table.fill(-1);
        for (int b = 255; b >= 0; --b)
            table[cp1250Char(b).unicode()] = b;
        return table;
    }();
    QByteArray bytes;
    for (const QChar c : text) {
        const int b = byteOf[c.unicode()];
        if (b < 0)
            return std::nullopt;
        bytes.append(static_cast<char>(b));
    }
    if (bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QString hexBytesText(QByteArrayView bytes)
{
    return QString::fromLatin1(QByteArray(bytes.data(), bytes.size()).toHex(' ').toUpper());
}

FoundBytes findBytes(QByteArrayView image, QByteArrayView needle, int from, bool forward)
{
    const qsizetype last = image.size() - needle.size(); // the last place a match can start
    if (needle.isEmpty() || last < 0)
        return {};
    auto matchAt = [&](qsizetype at) { return image.sliced(at, needle.size()) == needle; };
    const qsizetype start = std::clamp<qsizetype>(from, 0, image.size());
    if (forward) {
        for (qsizetype at = start; at <= last; ++at)
            if (matchAt(at))
                return {static_cast<int>(at), false};
        for (qsizetype at = 0; at < std::min(start, last + 1); ++at)
            if (matchAt(at))
                return {static_cast<int>(at), true};
    } else {
        for (qsizetype at = std::min(start - 1, last); at >= 0; --at)
            if (matchAt(at))
                return {static_cast<int>(at), false};
        for (qsizetype at = last; at >= start; --at)
            if (matchAt(at))
                return {static_cast<int>(at), true};
    }
    return {};
}

GotoTarget parseGotoTarget(QStringView text, int base, int size)
{
    QStringView t = text.trimmed();
    const bool relative = t.startsWith(u'+');
    if (relative)
        t = t.sliced(1).trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        t = t.sliced(2);
    bool ok = false;
    const qlonglong value = t.isEmpty() || t.size() > 8 ? 0 : t.toLongLong(&ok, 16);
    const QString allowed =
        QCoreApplication::translate("image", "%1 albo przesunięcie +0-+%2")
            .arg(windowText(ChipWindow{base, size}), QString::number(size - 1, 16).toUpper());
    if (!ok)
        return {
            -1,
            QCoreApplication::translate("image", "Niepoprawny adres. Podaj adres %1").arg(allowed)};
    const qlonglong offset = relative ? value : value - base;
    if (offset < 0 || offset >= size)
        return {-1, QCoreApplication::translate("image", "Adres spoza EEPROM układu: dozwolone %1")
                        .arg(allowed)};
    return {static_cast<int>(offset), {}};
}

} // namespace kestrel

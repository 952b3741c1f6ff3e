#include "record_reader.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace kestrel {

WindowCollector::Area::Area(qint64 firstAddress, int size)
    : first(firstAddress), bytes(std::max(size, 0), char(0xFF)),
      written(static_cast<std::size_t>(std::max(size, 0)), false)
{
}

void WindowCollector::Area::put(qint64 address, char value)
{
    const auto offset = static_cast<std::size_t>(address - first);
    if (written[offset] && bytes[qsizetype(offset)] != value) {
        if (conflict < 0)
            conflict = address;
        return;
    }
    bytes[qsizetype(offset)] = value;
    written[offset] = true;
    any = true;
}

WindowCollector::WindowCollector(int base, int size) : m_window(base, size), m_low(0, size) {}

namespace {

// The part [first, last) of [address, address + n) inside [areaFirst, areaFirst + size).
std::pair<qint64, qint64> overlap(qint64 address, qint64 n, qint64 areaFirst, qint64 size)
{
    const qint64 first = std::clamp<qint64>(areaFirst - address, 0, n);
    const qint64 last = std::clamp<qint64>(areaFirst + size - address, first, n);
    return {first, last};
}

} // namespace

bool WindowCollector::put(qint64 address, const unsigned char* data, qint64 n)
{
    const qint64 size = m_window.bytes.size();
    const auto [first, last] = overlap(address, n, m_window.first, size);
    for (qint64 i = first; i < last; ++i) {
        m_window.put(address + i, static_cast<char>(data[i]));
        if (m_window.conflict >= 0)
            return false;
    }
    // Outside the window: before it and after it.
    for (const auto& [from, to] : {std::pair<qint64, qint64>{0, first}, {last, n}}) {
        m_skipped += to - from;
        const auto [lowFirst, lowLast] = overlap(address + from, to - from, 0, size);
        m_beyondLow += (to - from) - (lowLast - lowFirst);
        for (qint64 i = from + lowFirst; i < from + lowLast; ++i)
            m_low.put(address + i, static_cast<char>(data[i]));
    }
    return true;
}

void WindowCollector::finish()
{
    if (m_offsetBased || m_window.any || !m_low.any || m_beyondLow > 0)
        return;
    m_offsetBased = true;
    std::swap(m_window, m_low);
    m_skipped = 0;
    // The conflict among the bytes taken stays the one offsetConflictAddress() names.
    m_low.conflict = std::exchange(m_window.conflict, -1);
}

namespace record {

QString conflict(qint64 address)
{
    return QCoreApplication::translate("image", "różne wartości pod adresem %1")
        .arg(QString::number(address, 16).toUpper().rightJustified(4, u'0'));
}

bool allHex(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return hexDigit(c) >= 0; });
}

void decodeHex(QByteArrayView text, unsigned char* out)
{
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        *out++ = static_cast<unsigned char>(hexDigit(text[i]) << 4 | hexDigit(text[i + 1]));
}

void appendHex(QByteArray& out, unsigned value)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    out.append(Digits[(value >> 4) & 0xF]);
    out.append(Digits[value & 0xF]);
}

} // namespace record

} // namespace kestrel

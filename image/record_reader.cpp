#include "record_reader.h"

#include <algorithm>

namespace kestrel {

WindowCollector::WindowCollector(int base, int size)
    : m_base(base), m_bytes(std::max(size, 0), char(0xFF)),
      m_written(static_cast<std::size_t>(std::max(size, 0)), false)
{
}

bool WindowCollector::put(qint64 address, const unsigned char* data, int n)
{
    const qint64 size = m_bytes.size();
    // The part of [address, address + n) inside the window.
    const qint64 first = std::clamp<qint64>(m_base - address, 0, n);
    const qint64 last = std::clamp<qint64>(m_base + size - address, first, n);
    m_skipped += n - (last - first);
    for (qint64 i = first; i < last; ++i) {
        const auto offset = static_cast<std::size_t>(address + i - m_base);
        const char value = static_cast<char>(data[i]);
        if (m_written[offset] && m_bytes[qsizetype(offset)] != value) {
            m_conflict = address + i;
            return false;
        }
        m_bytes[qsizetype(offset)] = value;
        m_written[offset] = true;
        m_any = true;
    }
    return true;
}

namespace record {

QString badRecord()
{
    return QStringLiteral("niepoprawny rekord");
}

QString notHex()
{
    return QStringLiteral("znak spoza cyfr szesnastkowych");
}

QString countMismatch()
{
    return QStringLiteral("liczba bajtów niezgodna z długością wiersza");
}

QString badChecksum()
{
    return QStringLiteral("zła suma kontrolna");
}

QString unknownType()
{
    return QStringLiteral("nieznany typ rekordu");
}

QString afterEnd()
{
    return QStringLiteral("dane po rekordzie końca");
}

QString lineTooLong()
{
    return QStringLiteral("wiersz dłuższy niż rekord");
}

QString recordCountMismatch()
{
    return QStringLiteral("zła liczba rekordów");
}

QString conflict(qint64 address)
{
    return QStringLiteral("różne wartości pod adresem %1")
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

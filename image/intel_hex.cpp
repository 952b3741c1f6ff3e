#include "intel_hex.h"

#include <array>

namespace kestrel {

namespace {

enum RecordType
{
    Data = 0,
    EndOfFile = 1,
    ExtendedSegment = 2,
    StartSegment = 3,
    ExtendedLinear = 4,
    StartLinear = 5,
};

void appendRecord(QByteArray& out, int type, unsigned offset, QByteArrayView data)
{
    unsigned sum = 0;
    const auto put = [&](unsigned byte) {
        sum += byte;
        record::appendHex(out, byte);
    };
    out.append(':');
    put(unsigned(data.size()));
    put((offset >> 8) & 0xFF);
    put(offset & 0xFF);
    put(unsigned(type));
    for (char c : data)
        put(static_cast<unsigned char>(c));
    record::appendHex(out, (0x100 - (sum & 0xFF)) & 0xFF);
    out.append("\r\n");
}

} // namespace

QString IntelHexReader::parseLine(QByteArrayView line)
{
    if (line.isEmpty() || line[0] != ':')
        return record::badRecord();
    const QByteArrayView digits = line.sliced(1);
    if (!record::allHex(digits))
        return record::notHex();
    // Count, address, type and checksum at least.
    if (digits.size() < 10)
        return record::badRecord();
    const int count = record::countByte(digits);
    if (digits.size() != 10 + 2 * qsizetype(count))
        return record::countMismatch();

    record::decodeHex(digits, m_bytes.data());
    unsigned sum = 0;
    for (int i = 0; i < 5 + count; ++i)
        sum += m_bytes[std::size_t(i)];
    if ((sum & 0xFF) != 0)
        return record::badChecksum();

    // The data count each type has.
    switch (m_bytes[3]) {
    case Data:
        break;
    case EndOfFile:
        if (count != 0)
            return record::badRecord();
        break;
    case ExtendedSegment:
    case ExtendedLinear:
        if (count != 2)
            return record::badRecord();
        break;
    case StartSegment:
    case StartLinear:
        if (count != 4)
            return record::badRecord();
        break;
    default:
        return record::unknownType();
    }
    return {};
}

QString IntelHexReader::takeRecord()
{
    const int count = m_bytes[0];
    const qint64 offset = m_bytes[1] << 8 | m_bytes[2];
    const unsigned char* data = m_bytes.data() + 4;
    const qint64 value16 = count == 2 ? (data[0] << 8 | data[1]) : 0;
    switch (m_bytes[3]) {
    case Data:
        if (!m_collector.put(m_base + offset, data, count))
            return record::conflict(m_collector.conflictAddress());
        break;
    case EndOfFile:
        m_ended = true;
        break;
    case ExtendedSegment:
        m_base = value16 << 4;
        break;
    case ExtendedLinear:
        m_base = value16 << 16;
        break;
    default: // start addresses say nothing about the image
        break;
    }
    return {};
}

QByteArray writeIntelHex(const QByteArray& bytes, qint64 base)
{
    QByteArray out;
    out.reserve(bytes.size() * 3 + 64);
    qint64 upper = 0; // upper 16 address bits the reader assumes
    for (qsizetype offset = 0; offset < bytes.size();) {
        const qint64 address = base + offset;
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const char value[2] = {char((upper >> 8) & 0xFF), char(upper & 0xFF)};
            appendRecord(out, ExtendedLinear, 0, QByteArrayView(value, 2));
        }
        // A record stays within its 64 KiB.
        const qsizetype n = std::min<qsizetype>(
            {16, bytes.size() - offset, qsizetype(0x10000 - (address & 0xFFFF))});
        appendRecord(out, Data, unsigned(address & 0xFFFF),
                     QByteArrayView(bytes).sliced(offset, n));
        offset += n;
    }
    appendRecord(out, EndOfFile, 0, {});
    return out;
}

} // namespace kestrel

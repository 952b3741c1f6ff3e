#include "srecord.h"

#include <array>

namespace kestrel {

namespace {

// Address bytes of each record type; 0 for the undefined S4.
constexpr std::array<int, 10> AddressBytes = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

void appendRecord(QByteArray& out, char type, qint64 address, int addressBytes, QByteArrayView data)
{
    const int count = addressBytes + int(data.size()) + 1;
    unsigned sum = unsigned(count);
    out.append('S');
    out.append(type);
    record::appendHex(out, unsigned(count));
    for (int i = addressBytes - 1; i >= 0; --i) {
        const unsigned byte = unsigned(address >> (8 * i)) & 0xFF;
        sum += byte;
        record::appendHex(out, byte);
    }
    for (char c : data) {
        sum += static_cast<unsigned char>(c);
        record::appendHex(out, static_cast<unsigned char>(c));
    }
    record::appendHex(out, ~sum & 0xFF);
    out.append("\r\n");
}

} // namespace

QString SRecordReader::parseLine(QByteArrayView line)
{
    if (line.size() < 2 || line[0] != 'S')
        return record::badRecord();
    if (line[1] < '0' || line[1] > '9' || line[1] == '4')
        return record::unknownType();
    const int type = line[1] - '0';
    const QByteArrayView digits = line.sliced(2);
    if (!record::allHex(digits))
        return record::notHex();
    if (digits.size() < 2)
        return record::badRecord();
    const int count = record::countByte(digits);
    if (digits.size() != 2 + 2 * qsizetype(count))
        return record::countMismatch();
    if (count == 0)
        return record::badRecord();

    // Address, data and checksum.
    record::decodeHex(digits.sliced(2), m_bytes.data());
    unsigned sum = unsigned(count);
    for (int i = 0; i + 1 < count; ++i)
        sum += m_bytes[std::size_t(i)];
    if ((~sum & 0xFF) != m_bytes[std::size_t(count - 1)])
        return record::badChecksum();

    const int addressBytes = AddressBytes[std::size_t(type)];
    const int dataBytes = count - addressBytes - 1;
    // Count and end records carry an address and nothing else.
    const bool addressOnly = type >= 5;
    if (dataBytes < 0 || (addressOnly && dataBytes != 0))
        return record::badRecord();
    qint64 address = 0;
    for (int i = 0; i < addressBytes; ++i)
        address = address << 8 | m_bytes[std::size_t(i)];
    m_type = type;
    m_address = address;
    m_dataBytes = dataBytes;
    return {};
}

QString SRecordReader::takeRecord()
{
    switch (m_type) {
    case 1:
    case 2:
    case 3:
        ++m_dataRecords;
        if (!m_collector.put(m_address, m_bytes.data() + AddressBytes[std::size_t(m_type)],
                             m_dataBytes))
            return record::conflict(m_collector.conflictAddress());
        break;
    case 5:
    case 6:
        if (m_address != m_dataRecords)
            return record::recordCountMismatch();
        break;
    case 7:
    case 8:
    case 9:
        m_ended = true;
        break;
    default: // S0: the header says nothing about the image
        break;
    }
    return {};
}

QByteArray writeSRecords(const QByteArray& bytes, qint64 base)
{
    const qint64 last = base + std::max<qint64>(bytes.size(), 1) - 1;
    const int addressBytes = last <= 0xFFFF ? 2 : last <= 0xFFFFFF ? 3 : 4;
    const char dataType = char('0' + addressBytes - 1); // S1, S2, S3
    const char endType = char('0' + 11 - addressBytes); // S9, S8, S7

    QByteArray out;
    out.reserve(bytes.size() * 3 + 128);
    appendRecord(out, '0', 0, 2, QByteArrayView("KESTREL"));
    qint64 records = 0;
    for (qsizetype offset = 0; offset < bytes.size(); offset += 16, ++records)
        appendRecord(
            out, dataType, base + offset, addressBytes,
            QByteArrayView(bytes).sliced(offset, std::min<qsizetype>(16, bytes.size() - offset)));
    if (records <= 0xFFFF)
        appendRecord(out, '5', records, 2, {});
    else
        appendRecord(out, '6', records, 3, {});
    appendRecord(out, endType, 0, addressBytes, {});
    return out;
}

} // namespace kestrel

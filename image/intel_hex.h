#pragma once

#include "record_reader.h"

#include <array>

namespace kestrel {

// Intel HEX: 00 data, 01 end, 02 and 04 extended segment and linear address (applied), 03 and 05
// start address (ignored).
class IntelHexReader : public RecordReader
{
public:
    using RecordReader::RecordReader;

    [[nodiscard]] QString parseLine(QByteArrayView line) override;
    [[nodiscard]] QString takeRecord() override;
    // ":", count, address, type, 255 data bytes and the checksum as hex.
    [[nodiscard]] int maxLineLength() const override { return 1 + 2 * (1 + 2 + 1 + 255 + 1); }

private:
    qint64 m_base = 0;
    // The current record: count, address, type, data and checksum as read.
    std::array<unsigned char, 5 + 255> m_bytes{};
};

// Type 00 records of 16 bytes from base on (type 04 where the upper address changes), one type
// 01 end record; CRLF line ends.
[[nodiscard]] QByteArray writeIntelHex(const QByteArray& bytes, qint64 base);

} // namespace kestrel

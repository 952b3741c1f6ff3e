#pragma once

#include "record_reader.h"

#include <array>

namespace kestrel {

// Motorola S-records: S0 header (ignored), S1/S2/S3 data with 16-, 24- and 32-bit addresses,
// S5/S6 data record count (checked), S7/S8/S9 end (start address ignored).
class SRecordReader : public RecordReader
{
public:
    using RecordReader::RecordReader;

    [[nodiscard]] QString parseLine(QByteArrayView line) override;
    [[nodiscard]] QString takeRecord() override;
    // "S", type, count and 255 counted bytes as hex.
    [[nodiscard]] int maxLineLength() const override { return 4 + 2 * 255; }

private:
    qint64 m_dataRecords = 0;
    // The current record: type, address and data bytes.
    int m_type = 0;
    qint64 m_address = 0;
    int m_dataBytes = 0;
    std::array<unsigned char, 255> m_bytes{}; // address, data and checksum as read
};

// S0 "KESTREL", S1 (S2, S3 when the addresses need them) records of 16 bytes from base on, the
// S5 (S6) count, S9 (S8, S7) end; CRLF line ends.
[[nodiscard]] QByteArray writeSRecords(const QByteArray& bytes, qint64 base);

} // namespace kestrel

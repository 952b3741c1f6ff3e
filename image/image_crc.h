#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace kestrel {

// CRC-32 of IEEE 802.3 (zlib's crc32), the value crc32 tools print.
[[nodiscard]] std::uint32_t crc32Of(QByteArrayView bytes);
// Eight lower-case hex digits, as crc32 tools print it: "cbf43926".
[[nodiscard]] QString crc32Text(std::uint32_t crc);

} // namespace kestrel

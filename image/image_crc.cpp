#include "image_crc.h"

#include <zlib.h>

#include <algorithm>

namespace kestrel {

std::uint32_t crc32Of(QByteArrayView bytes)
{
    uLong crc = ::crc32(0L, Z_NULL, 0);
    const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
    qsizetype left = bytes.size();
    while (left > 0) {
        const auto piece = static_cast<uInt>(std::min<qsizetype>(left, 1 << 30));
        crc = ::crc32(crc, data, piece);
        data += piece;
        left -= piece;
    }
    return static_cast<std::uint32_t>(crc);
}

QString crc32Text(std::uint32_t crc)
{
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0'));
}

} // namespace kestrel

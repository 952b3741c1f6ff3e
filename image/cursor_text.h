#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace kestrel {

// The editor's fourth status panel: the cursor's address and byte ("0D10: 5A = 90"), the 16-bit
// word there as the CPU reads it (big-endian; none at the last byte), the selection's length
// when one is made, and the image's CRC-32.
[[nodiscard]] QString cursorText(QByteArrayView image, int base, int offset, int selected,
                                 std::uint32_t crc);

} // namespace kestrel

#include "cursor_text.h"

#include "eeprom_image.h"
#include "image_crc.h"

#include <QCoreApplication>

namespace kestrel {

QString cursorText(QByteArrayView image, int base, int offset, int selected, std::uint32_t crc)
{
    QString text;
    if (offset >= 0 && offset < image.size()) {
        const auto byte = static_cast<std::uint8_t>(image[offset]);
        text = QStringLiteral("%1: %2 = %3").arg(addressLabel(base + offset), hexText(byte)).arg(byte);
        if (offset + 1 < image.size()) {
            const int word = byte << 8 | static_cast<std::uint8_t>(image[offset + 1]);
            text += QCoreApplication::translate("image", "  słowo %1").arg(addressLabel(word));
        }
    }
    if (selected > 0)
        text += QCoreApplication::translate("image", "  zaznaczono %1 B").arg(selected);
    text += QStringLiteral("  CRC-32 %1").arg(crc32Text(crc));
    return text.trimmed();
}

} // namespace kestrel

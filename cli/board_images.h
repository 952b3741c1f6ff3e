#pragma once

#include "image_formats.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrel::cli {

// Bytes written over the loaded image before programming (--set ADDR=HEX).
struct BytePatch
{
    int address = 0; // the chip's address of the first byte
    QByteArray bytes;
};

// A serial number per board (--serial ADDR:BYTES:FIRST): the boards in the order of their ports
// get FIRST, FIRST + 1, ... as a BYTES-byte number, most significant byte first, at ADDR.
struct SerialField
{
    int address = 0;
    int bytes = 0;
    std::uint64_t first = 0;

    // The largest number the field holds: 2^(8 * bytes) - 1.
    [[nodiscard]] constexpr std::uint64_t largest() const
    {
        return bytes >= 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * bytes)) - 1;
    }
};

// Parses "0D10=DEADBEEF[,0E00=01...]" into patches; every byte must lie in the window. Gives the
// usage error, or a null string.
[[nodiscard]] QString parsePatches(const QString& text, ChipWindow window,
                                   std::vector<BytePatch>& patches);
// Parses "0FF0:4:1000" (FIRST also as 0x...) for a run over `boards` boards: the field must lie
// in the window and every board's number fit in its bytes. Gives the usage error, or a null
// string.
[[nodiscard]] QString parseSerialField(const QString& text, ChipWindow window, int boards,
                                       SerialField& field);

// What each board of a run is programmed with.
class BoardImages
{
public:
    BoardImages(QByteArray image, ChipWindow window, std::vector<BytePatch> patches,
                std::optional<SerialField> serial);

    // The image of the board at `index` among the ports: the loaded image, the patches in their
    // order, then the board's serial number.
    [[nodiscard]] QByteArray image(int index) const;
    [[nodiscard]] std::optional<std::uint64_t> serial(int index) const;
    // The registry's numbers: the first board gets `first`, the next first + 1, ...
    void setFirstSerial(std::uint64_t first);

private:
    QByteArray m_patched;
    ChipWindow m_window;
    std::optional<SerialField> m_serial;
};



} // namespace kestrel::cli

#pragma once

// What every input must give, whatever its bytes: a decoded image of exactly the window's size
// or a refusal naming its line and reason; the same result however the file is split into pieces;
// and an image that the writer turns into a file decoding to the same bytes.

#include "image_formats.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace fuzzing {

inline void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "violated: %s\n", what);
        std::abort();
    }
}

inline void check(const std::uint8_t* data, std::size_t size, kestrel::ImageFormat format)
{
    using namespace kestrel;
    const QByteArray file =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    // The 68HC12B32's EEPROM, and a window across a 64 KiB boundary.
    for (const ChipWindow window : {ChipWindow{0x0D00, 768}, ChipWindow{0xFFF0, 48}}) {
        const DecodedImage whole = decodeImage(file, format, window);
        if (whole.ok()) {
            require(whole.bytes.size() == window.size, "image of the window's size");
            require(whole.reason.isEmpty() && whole.line == 0, "no refusal with an image");
            require(whole.skipped >= 0, "skipped count not negative");
            require(!whole.offsetBased || whole.skipped == 0, "nothing skipped counted from 0");
            // ELF is only read: its image is written as S-records.
            const ImageFormat out = format == ImageFormat::Elf ? ImageFormat::SRecord : format;
            const QByteArray written = encodeImage(whole.bytes, out, window);
            const DecodedImage again = decodeImage(written, out, window);
            require(again.ok() && again.bytes == whole.bytes && again.skipped == 0,
                    "written image reads back");
        } else {
            const bool badLine = whole.status == DecodeStatus::BadLine;
            const bool badFile = whole.status == DecodeStatus::BadFile;
            require(whole.status == DecodeStatus::NoData || badLine || badFile,
                    "a refusal of the content");
            require((badLine || badFile) == !whole.reason.isEmpty(), "a refusal has its reason");
            require(whole.bytes.isEmpty(), "a refusal has no image");
            require(badLine ? whole.line >= 1 && whole.line <= file.count('\n') + 1
                            : whole.line == 0,
                    "refused line within the file");
        }

        // The same file in two pieces, split where its first byte says.
        const qsizetype cut = size ? qsizetype(data[0]) * qsizetype(size) / 256 : 0;
        ImageDecoder decoder(format, window);
        if (decoder.feed(QByteArrayView(file).first(cut)))
            (void)decoder.feed(QByteArrayView(file).sliced(cut));
        const DecodedImage pieces = decoder.finish();
        require(pieces.status == whole.status && pieces.line == whole.line &&
                    pieces.reason == whole.reason && pieces.bytes == whole.bytes &&
                    pieces.skipped == whole.skipped && pieces.offsetBased == whole.offsetBased,
                "pieces decode as the whole");

        // By content: decoded as the format it is taken for decodes it, in one piece or two.
        const DecodedImage byContent = decodeImage(file, std::nullopt, window);
        const DecodedImage named = decodeImage(file, byContent.format, window);
        require(byContent.status == named.status && byContent.line == named.line &&
                    byContent.reason == named.reason && byContent.bytes == named.bytes &&
                    byContent.skipped == named.skipped,
                "by content as in the format found");
        require(byContent.format == formatFromContent(file), "one format for the content");
        ImageDecoder contentPieces(std::nullopt, window);
        if (contentPieces.feed(QByteArrayView(file).first(cut)))
            (void)contentPieces.feed(QByteArrayView(file).sliced(cut));
        const DecodedImage split = contentPieces.finish();
        require(split.format == byContent.format && split.status == byContent.status &&
                    split.line == byContent.line && split.bytes == byContent.bytes,
                "by content in pieces as whole");
    }
}

} // namespace fuzzing

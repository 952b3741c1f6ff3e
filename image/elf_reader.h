#pragma once

#include "fixed_text.h"
#include "image_formats.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kestrel {

// ELF files as the GNU m68hc11/m68hc12 linker writes them (32-bit, big-endian): the contents of
// every allocated section with file contents, by its address. Read through libelf.

// The largest ELF file read; the whole file is held, since its section headers usually come last.
inline constexpr qsizetype MaxElfFileSize = 64 * 1024 * 1024;

// The file begins as every ELF file does: the magic "\x7f" "ELF", a known class, byte order and
// version. False for fewer bytes than that.
[[nodiscard]] bool hasElfIdentification(QByteArrayView file);

// Decodes a whole ELF file: Ok, NoData, or BadFile with the reason.
[[nodiscard]] DecodedImage decodeElf(QByteArray file, ChipWindow window);

// The bytes of a file fed in pieces, kept while it can be an ELF file.
class ElfBytes
{
public:
    explicit ElfBytes(ChipWindow window) : m_window(window) {}

    // False once no further piece can change the result: the bytes are dropped as soon as the
    // file cannot be ELF.
    bool feed(QByteArrayView piece);
    // The file begins as an ELF file.
    [[nodiscard]] bool identified() const;
    [[nodiscard]] DecodedImage result() const;

private:
    ChipWindow m_window;
    QByteArray m_head; // the first bytes, up to the identification's end
    QByteArray m_bytes;
    bool m_notElf = false;
    bool m_tooLarge = false;
};

namespace elf {

// Short reasons, after "Błąd w pliku: ".
inline constexpr FixedText notElf{"image", QT_TRANSLATE_NOOP("image", "to nie jest plik ELF")};
inline constexpr FixedText unsupported{
    "image", QT_TRANSLATE_NOOP("image", "nieobsługiwany plik ELF (tylko 32-bitowy, big-endian)")};
inline constexpr FixedText damaged{"image",
                                   QT_TRANSLATE_NOOP("image", "plik ELF uszkodzony lub niepełny")};
inline constexpr FixedText notLinked{
    "image", QT_TRANSLATE_NOOP("image", "plik ELF nie jest zlinkowanym programem")};
inline constexpr FixedText tooLarge{"image",
                                    QT_TRANSLATE_NOOP("image", "plik ELF większy niż 64 MiB")};

} // namespace elf

} // namespace kestrel

#pragma once

// ELF files for the tests, written through libelf: the sections given, in their order, and the
// section name table.

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace kestrel::testsupport {

struct ElfSection
{
    QByteArray name;
    std::uint32_t address = 0;
    QByteArray bytes;            // for SHT_NOBITS only its size counts
    std::uint32_t type = 1;      // SHT_PROGBITS
    std::uint32_t flags = 2 | 1; // SHF_ALLOC | SHF_WRITE
};

struct ElfLayout
{
    QList<ElfSection> sections;
    bool bigEndian = true;
    std::uint16_t type = 2; // ET_EXEC
};

// The file's bytes; empty when libelf refused to write it.
[[nodiscard]] QByteArray elfFile(const ElfLayout& layout);

} // namespace kestrel::testsupport

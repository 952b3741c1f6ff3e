#include "elf_reader.h"

#include "record_reader.h"

#include <gelf.h>
#include <libelf.h>

#include <algorithm>
#include <memory>

namespace kestrel {

namespace {

// Bytes of the identification that tell an ELF file: magic, class, byte order, version.
constexpr qsizetype IdentificationBytes = EI_VERSION + 1;

// The bytes given agree with the beginning of an ELF identification.
bool canBeIdentification(QByteArrayView head)
{
    static constexpr char Magic[] = {ELFMAG0, ELFMAG1, ELFMAG2, ELFMAG3};
    for (qsizetype i = 0; i < std::min<qsizetype>(head.size(), IdentificationBytes); ++i) {
        const auto byte = static_cast<unsigned char>(head[i]);
        const bool fits = i < SELFMAG     ? head[i] == Magic[i]
                          : i == EI_CLASS ? byte == ELFCLASS32 || byte == ELFCLASS64
                          : i == EI_DATA  ? byte == ELFDATA2LSB || byte == ELFDATA2MSB
                                          : byte == EV_CURRENT;
        if (!fits)
            return false;
    }
    return true;
}

DecodedImage refused(const QString& reason)
{
    DecodedImage result;
    result.format = ImageFormat::Elf;
    result.status = DecodeStatus::BadFile;
    result.reason = reason;
    return result;
}

bool libelfReady()
{
    static const bool ready = elf_version(EV_CURRENT) != EV_NONE;
    return ready;
}

using ElfHandle = std::unique_ptr<Elf, decltype(&elf_end)>;

} // namespace

bool hasElfIdentification(QByteArrayView file)
{
    return file.size() >= IdentificationBytes && canBeIdentification(file);
}

DecodedImage decodeElf(QByteArray file, ChipWindow window)
{
    if (!hasElfIdentification(file))
        return refused(elf::notElf());
    if (file[EI_CLASS] != ELFCLASS32 || file[EI_DATA] != ELFDATA2MSB)
        return refused(elf::unsupported());
    if (!libelfReady())
        return refused(elf::damaged());
    const ElfHandle handle(elf_memory(file.data(), std::size_t(file.size())), &elf_end);
    Elf* const e = handle.get();
    if (e == nullptr || elf_kind(e) != ELF_K_ELF)
        return refused(elf::damaged());
    const Elf32_Ehdr* header = elf32_getehdr(e);
    if (header == nullptr)
        return refused(elf::damaged());
    // An object file's sections have no addresses yet.
    if (header->e_type != ET_EXEC && header->e_type != ET_DYN)
        return refused(elf::notLinked());
    // libelf gives no sections for a section header table that lies past the file's end.
    std::size_t sections = 0;
    if (elf_getshdrnum(e, &sections) != 0 || (header->e_shoff != 0 && sections == 0))
        return refused(elf::damaged());

    WindowCollector collector(window.base, window.size);
    for (Elf_Scn* section = nullptr; (section = elf_nextscn(e, section)) != nullptr;) {
        const Elf32_Shdr* sh = elf32_getshdr(section);
        if (sh == nullptr)
            return refused(elf::damaged());
        if (sh->sh_type != SHT_PROGBITS || (sh->sh_flags & SHF_ALLOC) == 0 || sh->sh_size == 0)
            continue;
        // Bytes as stored: libelf checks that they lie within the file.
        const Elf_Data* data = elf_rawdata(section, nullptr);
        if (data == nullptr || data->d_buf == nullptr || data->d_size != sh->sh_size)
            return refused(elf::damaged());
        if (!collector.put(sh->sh_addr, static_cast<const unsigned char*>(data->d_buf),
                           qint64(data->d_size)))
            return refused(record::conflict(collector.conflictAddress()));
    }
    collector.finish();
    if (collector.offsetBased() && collector.offsetConflictAddress() >= 0)
        return refused(record::conflict(collector.offsetConflictAddress()));

    DecodedImage result;
    result.format = ImageFormat::Elf;
    if (!collector.anyInWindow()) {
        result.status = DecodeStatus::NoData;
        return result;
    }
    result.status = DecodeStatus::Ok;
    result.bytes = collector.bytes();
    result.skipped = collector.skipped();
    result.offsetBased = collector.offsetBased();
    return result;
}

bool ElfBytes::feed(QByteArrayView piece)
{
    if (m_notElf || m_tooLarge)
        return false;
    if (m_head.size() < IdentificationBytes) {
        m_head.append(piece.first(std::min(piece.size(), IdentificationBytes - m_head.size())));
        // No piece makes an ELF file of one that does not begin as one.
        if (!canBeIdentification(m_head)) {
            m_notElf = true;
            m_bytes.clear();
            return false;
        }
    }
    if (m_bytes.size() + piece.size() > MaxElfFileSize) {
        m_tooLarge = true;
        m_bytes.clear();
        return false;
    }
    m_bytes.append(piece);
    return true;
}

bool ElfBytes::identified() const
{
    return hasElfIdentification(m_head);
}

DecodedImage ElfBytes::result() const
{
    if (!identified())
        return refused(elf::notElf());
    if (m_tooLarge)
        return refused(elf::tooLarge());
    return decodeElf(m_bytes, m_window);
}

} // namespace kestrel

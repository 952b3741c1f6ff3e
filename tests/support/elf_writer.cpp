#include "elf_writer.h"

#include <QFile>
#include <QTemporaryFile>

#include <gelf.h>
#include <libelf.h>

#include <memory>

namespace kestrel::testsupport {

namespace {

constexpr std::uint16_t Em68hc12 = 53;

bool writeTo(int fd, const ElfLayout& layout)
{
    if (elf_version(EV_CURRENT) == EV_NONE)
        return false;
    const std::unique_ptr<Elf, decltype(&elf_end)> handle(elf_begin(fd, ELF_C_WRITE, nullptr),
                                                          &elf_end);
    Elf* e = handle.get();
    Elf32_Ehdr* header = e ? elf32_newehdr(e) : nullptr;
    if (header == nullptr)
        return false;
    header->e_ident[EI_DATA] = layout.bigEndian ? ELFDATA2MSB : ELFDATA2LSB;
    header->e_type = layout.type;
    header->e_machine = Em68hc12;
    header->e_version = EV_CURRENT;

    // libelf keeps pointers to the bytes until the file is written.
    QByteArray names(1, '\0');
    QList<QByteArray> contents;
    for (const ElfSection& s : layout.sections) {
        Elf_Scn* section = elf_newscn(e);
        Elf_Data* data = section ? elf_newdata(section) : nullptr;
        Elf32_Shdr* sh = section ? elf32_getshdr(section) : nullptr;
        if (data == nullptr || sh == nullptr)
            return false;
        contents << s.bytes;
        data->d_buf = s.type == SHT_NOBITS ? nullptr : contents.last().data();
        data->d_size = std::size_t(s.bytes.size());
        data->d_type = ELF_T_BYTE;
        data->d_align = 1;
        sh->sh_name = std::uint32_t(names.size());
        sh->sh_type = s.type;
        sh->sh_flags = s.flags;
        sh->sh_addr = s.address;
        names += s.name + '\0';
    }
    const QByteArray shstrtab = ".shstrtab";
    Elf_Scn* strings = elf_newscn(e);
    Elf_Data* data = strings ? elf_newdata(strings) : nullptr;
    Elf32_Shdr* sh = strings ? elf32_getshdr(strings) : nullptr;
    if (data == nullptr || sh == nullptr)
        return false;
    sh->sh_name = std::uint32_t(names.size());
    names += shstrtab + '\0';
    data->d_buf = names.data();
    data->d_size = std::size_t(names.size());
    data->d_type = ELF_T_BYTE;
    data->d_align = 1;
    sh->sh_type = SHT_STRTAB;
    header->e_shstrndx = std::uint16_t(elf_ndxscn(strings));
    return elf_update(e, ELF_C_WRITE) >= 0;
}

} // namespace

QByteArray elfFile(const ElfLayout& layout)
{
    QTemporaryFile file;
    if (!file.open() || !writeTo(file.handle(), layout))
        return {};
    QFile written(file.fileName());
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

} // namespace kestrel::testsupport

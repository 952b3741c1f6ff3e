// libFuzzer target: the ELF reader.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::check(data, size, kestrel::ImageFormat::Elf);
    return 0;
}

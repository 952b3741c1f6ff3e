// libFuzzer target: the Intel HEX reader.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::check(data, size, kestrel::ImageFormat::IntelHex);
    return 0;
}

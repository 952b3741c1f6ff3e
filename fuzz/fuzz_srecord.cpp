// libFuzzer target: the S-record reader.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzing::check(data, size, kestrel::ImageFormat::SRecord);
    return 0;
}

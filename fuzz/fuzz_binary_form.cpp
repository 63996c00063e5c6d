#include "fuzz_entries.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    lanseek::skin::fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lanseek::skin::fuzz::binaryForm(data, size);
    return 0;
}

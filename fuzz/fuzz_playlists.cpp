#include "fuzz_playlist_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lanseek::platform::fuzz::playlistBytes(data, size);
    return 0;
}

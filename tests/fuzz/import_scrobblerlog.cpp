// Imports arbitrary lines as a scrobbler log: the signature line is given, the rest is the input.
#include "tests/fuzz/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    importfuzz::importTwice("#AUDIOSCROBBLER/1.1\n" + std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

// Imports arbitrary bytes as a ListenBrainz JSON file (the array form or one listen per line).
#include "tests/fuzz/ImportFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    importfuzz::importTwice(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

// Reads arbitrary bytes as a file that starts with an ID3v2 tag. Beyond not crashing, hanging or
// reading outside the file: the reader reads no more of the file than the tag's header says it
// holds, and what it gives fits the ID3v1 body it is meant for.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tags/Id3v2Tag.h"
#include "tests/native/CountingFile.h"

namespace {
void check(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CountingFile file(bytes);
    Id3v2Fields fields;
    const bool found = readId3v2Tag(file, fields);
    if (!found) {
        check(fields.title.empty() && fields.genre == CId3v1Tag::kNoGenre);
        return 0;
    }
    // Found: the header's size (plus the header) bounds every byte read, the peeks included.
    check(size >= 10);
    const std::size_t tagSize = 10 + ((data[6] & 0x7Fu) << 21 | (data[7] & 0x7Fu) << 14 | (data[8] & 0x7Fu) << 7 |
                                      (data[9] & 0x7Fu));
    check(file.bytesRead <= 2 * tagSize + 10);  // the plain-size test peeks at most 10 bytes a frame
    check(fields.year.empty() || fields.year.size() == 4);
    // The body is built from the fields without any surprise.
    CId3v1Tag tag(fields.artist, fields.album, fields.title, fields.year, fields.comment, fields.genre);
    check(tag.genre() == fields.genre);
    return 0;
}

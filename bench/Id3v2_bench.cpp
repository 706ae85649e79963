// Reading the ID3v2 tag at the start of a played file: a typical 2.3 tag of six text frames, and
// the same behind a 5 MB cover picture, which must cost no more than the picture frame's header
// (the picture is passed by seeking). The in-memory file counts the bytes read.
#include <benchmark/benchmark.h>

#include "tags/Id3v2Tag.h"
#include "tests/native/CountingFile.h"
#include "tests/native/Id3v2Bytes.h"

namespace {

const std::string& textTag() {
    static const std::string file =
        id3v2::tag(3, id3v2::sixFrames(3, 1, "A Title of Some Length", "The Artist", "The Album", "2003",
                                       "A comment", "(17)")) +
        std::string(4096, '\x55');
    return file;
}

const std::string& coverTag() {
    static const std::string file =
        id3v2::tag(3, id3v2::frame(3, "APIC", std::string(5 * 1024 * 1024, '\x89')) +
                          id3v2::sixFrames(3, 1, "A Title of Some Length", "The Artist", "The Album", "2003",
                                           "A comment", "(17)")) +
        std::string(4096, '\x55');
    return file;
}

std::size_t readOnce(benchmark::State& state, const std::string& content) {
    CountingFile file(content);
    Id3v2Fields fields;
    if (!readId3v2Tag(file, fields) || fields.title.empty()) state.SkipWithError("the tag was not read");
    benchmark::DoNotOptimize(fields);
    return file.bytesRead;
}

void run(benchmark::State& state, const std::string& content) {
    std::size_t bytes = 0;
    for (auto _ : state) bytes = readOnce(state, content);
    state.counters["bytes_read"] = static_cast<double>(bytes);
}

void BM_Id3v2Text(benchmark::State& state) { run(state, textTag()); }

void BM_Id3v2CoverArt5MB(benchmark::State& state) {
    run(state, coverTag());
    // The picture costs its frame header and nothing of its data.
    CountingFile text(textTag()), cover(coverTag());
    Id3v2Fields a, b;
    readId3v2Tag(text, a);
    readId3v2Tag(cover, b);
    state.counters["text_bytes_read"] = static_cast<double>(text.bytesRead);
    if (cover.bytesRead > text.bytesRead + 10) state.SkipWithError("the picture was read");
}

}  // namespace

BENCHMARK(BM_Id3v2Text)->Name("Tag/Id3v2/Text")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Id3v2CoverArt5MB)->Name("Tag/Id3v2/CoverArt5MB")->Unit(benchmark::kMicrosecond);

// Exporting the plays against plain stdio writing the very bytes each export produced, in the same
// run; importing a ListenBrainz file into a database of other plays, duplicate check included.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/SyntheticPlays.h"
#include "database/Doc.h"
#include "core/FileSystem.h"
#include "exchange/PlayExchange.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"

namespace {

class Quiet : public IMessages {
public:
    void showMessage(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

struct Folder {
    Folder() {
        char pattern[] = "/tmp/ptly-exchange-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Folder() {
        for (const char* name : {"/export", "/export.tmp", "/stdio", "/import.json"}) std::remove((path + name).c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

Folder& folder() {
    static Folder f;
    return f;
}

struct Setup {
    Setup() {
        profile.writeInt(sectionGeneral(), "NoLarger", 0);
    }
    MemoryProfile profile;
    Quiet messages;
    SystemClock systemClock;
    AppContext context{profile, messages, systemClock, systemFileSystem()};
};

constexpr TimeValue kStart = 1600000000;

std::string readAll(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

// What each export wrote last, for its stdio twin.
std::map<std::string, std::string>& exportedBytes() {
    static std::map<std::string, std::string> bytes;
    return bytes;
}

void Export(benchmark::State& state, PlayFormat format, const std::string& name) {
    Setup setup;
    CDoc doc(setup.context);
    bench::addSyntheticPlays(doc.store(), static_cast<int>(state.range(0)), kStart);
    const std::string path = folder().path + "/export";
    for (auto _ : state)
        if (exportPlays(doc, path, format) != ExportStatus::written) state.SkipWithError("export failed");
    exportedBytes()[name] = readAll(path);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(exportedBytes()[name].size()));
}

// The same bytes in the same pieces (64 KB) through stdio.
void StdioTwin(benchmark::State& state, const std::string& name) {
    const std::string& bytes = exportedBytes()[name];
    if (bytes.empty()) {
        state.SkipWithError("run the export first");
        return;
    }
    const std::string path = folder().path + "/stdio";
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::size_t put = 0;
        for (std::size_t at = 0; f && at < bytes.size(); at += 1 << 16)
            put += std::fwrite(bytes.data() + at, 1, std::min<std::size_t>(1 << 16, bytes.size() - at), f);
        if (f) std::fclose(f);
        if (put != bytes.size()) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

// A ListenBrainz file of `count` listens, four years after the database's plays (none of them a
// duplicate, so every listen is checked against the stored plays of its track and then added).
void ImportListenBrainz(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string file = folder().path + "/import.json";
    {
        Setup setup;
        CDoc source(setup.context);
        bench::addSyntheticPlays(source.store(), count, kStart + 2 * bench::kTwoYears);
        exportPlays(source, file, PlayFormat::listenBrainz);
    }
    Setup setup;
    std::size_t added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<CDoc>(setup.context);
        bench::addSyntheticPlays(doc->store(), count, kStart);
        state.ResumeTiming();
        added = importPlays(*doc, file).added;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    if (added != static_cast<std::size_t>(count)) state.SkipWithError("not every listen was added");
}

}  // namespace

BENCHMARK_CAPTURE(Export, ListenBrainz, PlayFormat::listenBrainz, "ListenBrainz")
    ->Name("Export/ListenBrainz")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdioTwin, ListenBrainz, "ListenBrainz")
    ->Name("Export/Stdio/ListenBrainz")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Export, ScrobblerLog, PlayFormat::scrobblerLog, "ScrobblerLog")
    ->Name("Export/ScrobblerLog")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdioTwin, ScrobblerLog, "ScrobblerLog")
    ->Name("Export/Stdio/ScrobblerLog")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ImportListenBrainz)->Name("Import/ListenBrainz")->Arg(100000)->Unit(benchmark::kMillisecond);

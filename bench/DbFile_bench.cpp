// Loading and saving the database file against reading and writing the same bytes with plain
// stdio in one go, on a synthetic database of realistic records.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/SyntheticPlays.h"
#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"

namespace {

class QuietMessages : public IMessages {
public:
    void showMessage(const std::string&, const std::string& key) override {
        std::fprintf(stderr, "unexpected message %s\n", key.c_str());
        std::abort();
    }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

// A folder of its own, removed at exit, holding the database and the stdio copies.
struct BenchFolder {
    BenchFolder() {
        char pattern[] = "/tmp/ptly-bench-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~BenchFolder() {
        for (const char* name : {"/db.dat", "/db.dat.tmp", "/stdio.dat"}) std::remove((path + name).c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

BenchFolder& folder() {
    static BenchFolder f;
    return f;
}

// Everything a document needs, with the database in the bench folder and no size limit.
struct Setup {
    Setup() {
        profile.writeString(sectionGeneral(), "DBPath", folder().path + "/db.dat");
        profile.writeInt(sectionGeneral(), "NoLarger", 0);
        context.signature = {"Dozoderi Playtally WinAmp Plug-in", 0x00010002, 0};
    }
    MemoryProfile profile;
    QuietMessages messages;
    SystemClock clock;
    AppContext context{profile, messages, clock, systemFileSystem()};
};

const char* const kArtists[] = {"The Cinematic Orchestra", "Boards of Canada", "Massive Attack", "Portishead",
                                "Radiohead", "Sigur Ros", "Mogwai", "Nick Cave and the Bad Seeds"};

// Paths of about 80 bytes and tags with every field set; with `wholeTexts` the texts are whole,
// longer than an ID3v1 place and half of them outside the code page.
void fillRecords(CRecordStore& store, int count, bool wholeTexts = false) {
    RecordArray records;
    records.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        std::string artist = kArtists[i % 8];
        std::string album = "Album Number " + std::to_string(i % 311);
        std::string title = "Track Title " + std::to_string(i);
        std::string path = "C:\\Documents and Settings\\user\\My Music\\" + artist + "\\" + album + "\\" + title + ".mp3";
        path.resize(80, '_');
        auto r = std::make_unique<CTrackRecord>(path, 180 + i % 240, 1000000000 + i * 300, 170 + i % 200);
        if (wholeTexts)
            r->SetTexts(bench::wholeTextsOfSong(i));
        else
            r->tag = CId3v1Tag(artist, album, title, std::to_string(1970 + i % 50), "Ripped with care, take " +
                                   std::to_string(i % 97), static_cast<std::uint8_t>(i % 126));
        records.push_back(std::move(r));
    }
    store.replaceAll(std::move(records));
}

// The database file of `count` records, written once by the product's own save.
const std::string& databaseFile(int count, bool wholeTexts = false) {
    static int made = 0;
    static bool madeWhole = false;
    static std::string path = folder().path + "/db.dat";
    if (made != count || madeWhole != wholeTexts) {
        Setup setup;
        CDoc doc(setup.context);
        fillRecords(doc.store(), count, wholeTexts);
        doc.SaveDatabase();
        made = count;
        madeWhole = wholeTexts;
    }
    return path;
}


std::size_t heapInUse() { return mallinfo2().uordblks; }

long fileSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::fseek(f, 0, SEEK_END);
    long n = std::ftell(f);
    std::fclose(f);
    return n;
}

void DbLoad(benchmark::State& state, bool whole) {
    const int count = static_cast<int>(state.range(0));
    const std::string& path = databaseFile(count, whole);
    Setup setup;
    std::size_t heapUsed = 0;
    for (auto _ : state) {
        auto doc = std::make_unique<CDoc>(setup.context);
        std::size_t before = heapInUse();
        if (doc->LoadFileIntoArray(path, nullptr) != 0 || doc->records().size() != static_cast<std::size_t>(count))
            state.SkipWithError("load failed");
        heapUsed = heapInUse() - before;
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize(path));
    state.counters["heap_MB"] = static_cast<double>(heapUsed) / (1024.0 * 1024.0);
    state.counters["heap_bytes_per_record"] = static_cast<double>(heapUsed) / count;
}

void DbSave(benchmark::State& state, bool whole) {
    const int count = static_cast<int>(state.range(0));
    Setup setup;
    CDoc doc(setup.context);
    fillRecords(doc.store(), count, whole);
    const std::string path = folder().path + "/db.dat";
    for (auto _ : state) doc.SaveDatabase();  // new file, flush to disk, replace
    state.SetBytesProcessed(state.iterations() * fileSize(path));
}

void StdioRead(benchmark::State& state, bool whole) {
    const std::string& path = databaseFile(static_cast<int>(state.range(0)), whole);
    const long size = fileSize(path);
    for (auto _ : state) {
        std::vector<char> bytes(static_cast<std::size_t>(size));
        FILE* f = std::fopen(path.c_str(), "rb");
        std::size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
        if (f) std::fclose(f);
        if (got != bytes.size()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void StdioWrite(benchmark::State& state, bool whole) {
    const std::string& path = databaseFile(static_cast<int>(state.range(0)), whole);
    const long size = fileSize(path);
    std::vector<char> bytes(static_cast<std::size_t>(size), 'x');
    const std::string target = folder().path + "/stdio.dat";
    for (auto _ : state) {
        FILE* f = std::fopen(target.c_str(), "wb");
        std::size_t put = f ? std::fwrite(bytes.data(), 1, bytes.size(), f) : 0;
        if (f) std::fclose(f);
        if (put != bytes.size()) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * size);
}

}  // namespace

// Each on the plain file ("DbLoad/100000") and on the one with whole texts ("DbLoad/WholeText/100000").
#define PTLY_DB_BENCH(name)                                                                         \
    BENCHMARK_CAPTURE(name, plain, false)->Name(#name)->Arg(100000)->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(name, whole, true)->Name(#name "/WholeText")->Arg(100000)->Unit(benchmark::kMillisecond)
PTLY_DB_BENCH(DbLoad);
PTLY_DB_BENCH(DbSave);
PTLY_DB_BENCH(StdioRead);
PTLY_DB_BENCH(StdioWrite);

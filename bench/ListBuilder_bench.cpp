// The list builder on the synthetic database (SyntheticPlays.h). Playtally mode against the plain
// algorithm, and Log mode with a top count at several database sizes (its cost must not grow with
// the size).
#include <benchmark/benchmark.h>

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/SyntheticPlays.h"
#include "bench/reference/ReferenceListBuilder.h"
#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Profile.h"

namespace {

constexpr int kPlays = 100000;
constexpr TimeValue kStart = 1600000000;

struct Database {
    MemoryProfile profile;
    CNoMessages noMessages;
    SystemClock systemClock;
    AppContext context{profile, noMessages, systemClock, systemFileSystem()};
    CDoc doc{context};

    explicit Database(int plays, bool wholeTexts) {
        context.userName = "bench";
        bench::addSyntheticPlays(doc.store(), plays, kStart, bench::kTwoYears, wholeTexts);
    }
};

Database& database(int plays, bool wholeTexts = false) {
    static std::map<std::pair<int, bool>, std::unique_ptr<Database>> made;
    auto& slot = made[{plays, wholeTexts}];
    if (!slot) slot = std::make_unique<Database>(plays, wholeTexts);
    return *slot;
}

BuildListParams params(bool logMode, int top) {
    BuildListParams p;
    p.since = 0;  // from the beginning
    p.till = INT_MAX;
    p.logMode = logMode;
    p.topOn = top > 0;
    p.topCount = top;
    return p;
}

template <typename Build>
void run(benchmark::State& state, int plays, const BuildListParams& p, Build build, bool wholeTexts = false) {
    Database& db = database(plays, wholeTexts);
    RowArray rows;  // held as a caller holds them: the next build's rows replace them
    for (auto _ : state) {
        rows = build(db.doc, p);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
    state.counters["plays"] = plays;
}

RowArray product(CDoc& doc, const BuildListParams& p) { return doc.BuildList(p); }

void PlaytallyAllReference(benchmark::State& state) { run(state, kPlays, params(false, 0), referenceBuildList); }
void PlaytallyAllProduct(benchmark::State& state) { run(state, kPlays, params(false, 0), product); }
void PlaytallyAllWholeText(benchmark::State& state) { run(state, kPlays, params(false, 0), product, true); }
void PlaytallyTop100Product(benchmark::State& state) { run(state, kPlays, params(false, 100), product); }
void LogTop100Product(benchmark::State& state) {
    run(state, static_cast<int>(state.range(0)), params(true, 100), product);
}
void LogAllProduct(benchmark::State& state) { run(state, kPlays, params(true, 0), product); }

}  // namespace

BENCHMARK(PlaytallyAllReference)->Name("Playtally/All/Reference")->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(PlaytallyAllProduct)->Name("Playtally/All/Product")->Unit(benchmark::kMillisecond);
BENCHMARK(PlaytallyAllWholeText)->Name("Playtally/All/WholeText")->Unit(benchmark::kMillisecond);
BENCHMARK(PlaytallyTop100Product)->Name("Playtally/Top100/Product")->Unit(benchmark::kMillisecond);
BENCHMARK(LogTop100Product)->Name("Log/Top100/Product")->Arg(kPlays)->Arg(10000)->Arg(400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(LogAllProduct)->Name("Log/All/Product")->Unit(benchmark::kMillisecond);

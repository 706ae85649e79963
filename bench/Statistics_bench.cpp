// The statistics of 100,000 plays over five years: every figure of the page, the page written,
// and the ranked list with its First, Last and Heard columns against the list without them.
#include <benchmark/benchmark.h>

#include <climits>
#include <memory>

#include "bench/SyntheticPlays.h"
#include "core/AppContext.h"
#include "core/ListRow.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "database/Doc.h"
#include "database/ListeningStats.h"
#include "database/PlayExclusion.h"
#include "plugin/StatisticsPublisher.h"
#include "tests/native/TempDir.h"

namespace {

constexpr int kPlays = 100000;
constexpr TimeValue kStart = 1600000000;
constexpr TimeValue kFiveYears = 5 * 365 * 86400;
constexpr TimeValue kNow = kStart + kFiveYears;

struct FiveYears {
    TempDir dir;
    MemoryProfile profile;
    CNoMessages noMessages;
    SystemClock systemClock;
    AppContext context{profile, noMessages, systemClock, systemFileSystem()};
    CDoc doc{context};
    FiveYears() {
        context.userName = "bench";
        context.pluginFolder = dir.path();
        bench::addSyntheticPlays(doc.store(), kPlays, kStart, kFiveYears);
    }
};

FiveYears& plays() {
    static FiveYears made;
    return made;
}

void StatsAll(benchmark::State& state) {
    FiveYears& db = plays();
    const ExclusionRules rules;
    for (auto _ : state) {
        ListeningStats stats = computeListeningStats(db.doc.records(), rules, kNow);
        benchmark::DoNotOptimize(stats.periods[StatAllTime].current.heard);
    }
    state.counters["plays"] = kPlays;
}

void ReportStatistics(benchmark::State& state) {
    FiveYears& db = plays();
    PublishSettings settings{};
    settings.StatisticsPage = true;
    settings.StatisticsFile = "statistics.html";
    for (auto _ : state) {
        const bool written = publishStatisticsPage(db.context, db.doc, settings, "report.html", kNow);
        if (!written) state.SkipWithError("the page was not written");
    }
    state.counters["plays"] = kPlays;
}

BuildListParams allTime() {
    BuildListParams p;
    p.till = INT_MAX;
    return p;
}

// The columns' cost is their texts: the values come with every row.
void PlaytallyColumns(benchmark::State& state, bool columnsOn) {
    FiveYears& db = plays();
    const std::string dateFormat = db.context.readSettings().DateFormat;
    std::size_t rowCount = 0;
    for (auto _ : state) {
        RowArray rows = db.doc.BuildList(allTime());
        std::size_t bytes = 0;
        if (columnsOn) {
            for (const auto& row : rows)
                for (int column : {ColumnFirst, ColumnLast, ColumnHeard})
                    bytes += rowColumnText(*row, column, dateFormat).size();
        }
        benchmark::DoNotOptimize(bytes);
        rowCount = rows.size();
    }
    state.counters["rows"] = static_cast<double>(rowCount);
}
void PlaytallyColumnsOff(benchmark::State& state) { PlaytallyColumns(state, false); }
void PlaytallyColumnsOn(benchmark::State& state) { PlaytallyColumns(state, true); }

}  // namespace

BENCHMARK(StatsAll)->Name("Stats/All/100000")->Unit(benchmark::kMillisecond);
BENCHMARK(ReportStatistics)->Name("Report/Statistics/100000")->Unit(benchmark::kMillisecond);
BENCHMARK(PlaytallyColumnsOff)->Name("Playtally/All/100000/ColumnsOff")->Unit(benchmark::kMillisecond);
BENCHMARK(PlaytallyColumnsOn)->Name("Playtally/All/100000/ColumnsOn")->Unit(benchmark::kMillisecond);

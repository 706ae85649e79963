// Publishing 20,000 rows with the default templates to a file, and the parts of it: building the
// rows, and filling the item template (the tag replacement) alone.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/SyntheticPlays.h"
#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "report/ItemTemplate.h"
#include "plugin/Publisher.h"
#include "report/Shell.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "tests/native/TempDir.h"

namespace {

struct BenchClock : IClock {
    TimeValue now() override { return 1709649000; }
};

struct NoShell : IShell {
    void openDocument(const std::string&) override {}
};

// A database of `rows` plays in the last month and Publish settings for a Log-mode report of them
// with the default templates.
struct ReportSetup {
    explicit ReportSetup(int rows, bool wholeTexts = false) {
        context.pluginFolder = dir.path();
        profile.writeString(sectionPublish(), "PublishFile", "report.html");
        profile.writeInt(sectionPublish(), "OpenPublishedFile", 0);
        profile.writeInt(sectionPublish(), "Log", 1);
        for (int i = 0; i < rows; ++i) {
            auto record = std::make_unique<CTrackRecord>("C:\\mp3\\track" + std::to_string(i) + ".mp3", 200,
                                                         clock.now() - 2 * 86400 + i, 190);
            if (wholeTexts)
                record->SetTexts(bench::wholeTextsOfSong(i, i % 300, i % 900));
            else
                record->tag = CId3v1Tag("Artist " + std::to_string(i % 300), "Album " + std::to_string(i % 900),
                                        "Title number " + std::to_string(i), "2001", "comment", 17);
            doc.store().append(std::move(record));
        }
    }

    TempDir dir;
    MemoryProfile profile;
    BenchClock clock;
    CNoMessages noMessages;
    AppContext context{profile, noMessages, clock, systemFileSystem()};
    CDoc doc{context};
};

void BM_Report(benchmark::State& state) {
    ReportSetup setup(static_cast<int>(state.range(0)));
    NoShell shell;
    for (auto _ : state) publishReport(setup.context, setup.doc, shell);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Report)->Name("Report")->Arg(20000)->Unit(benchmark::kMillisecond);

// The same plays with whole texts, half of them outside the code page (numeric character
// references): as many artists and albums as above, so that the statistics count the same.
void BM_ReportWholeText(benchmark::State& state) {
    ReportSetup setup(static_cast<int>(state.range(0)), true);
    NoShell shell;
    for (auto _ : state) publishReport(setup.context, setup.doc, shell);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportWholeText)->Name("Report/WholeText")->Arg(20000)->Unit(benchmark::kMillisecond);

// The tag replacement of the same report: the default item filled for every row.
void BM_ReportTagReplacement(benchmark::State& state) {
    ReportSetup setup(static_cast<int>(state.range(0)));
    BuildListParams params;
    params.since = 0;
    params.till = setup.clock.now();
    params.logMode = true;
    const RowArray rows = setup.doc.BuildList(params);
    const std::string item = loadString(IDS_DEFAULT_ITEM);
    for (auto _ : state) {
        CItemTemplate filler(item, true);
        std::size_t bytes = 0;
        for (const auto& row : rows) bytes += filler.fill(*row).size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportTagReplacement)->Name("Report/TagReplacement")->Arg(20000)->Unit(benchmark::kMillisecond);

// The rows alone.
void BM_ReportRows(benchmark::State& state) {
    ReportSetup setup(static_cast<int>(state.range(0)));
    BuildListParams params;
    params.since = 0;
    params.till = setup.clock.now();
    params.logMode = true;
    RowArray rows;
    for (auto _ : state) {
        rows = setup.doc.BuildList(params);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReportRows)->Name("Report/Rows")->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

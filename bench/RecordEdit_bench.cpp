// Removing a large group: 10,000 plays of one song among 100,000, answered Yes. The remaining
// records must be the same ones in the same order, whatever the size of the group.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"

namespace {

struct Window : IViewHooks, IMessages {
    bool playtallyWindowExists() const override { return true; }
    bool playtallyWindowVisible() const override { return true; }
    bool settingsSheetOpen() const override { return false; }
    void refreshPlaytallyWindow() override {}
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
    void showMessage(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

void RemoveGroup(benchmark::State& state) {
    constexpr int kPlays = 100000, kEvery = 10;  // every tenth play is of the song removed
    MemoryProfile profile;
    profile.writeString(sectionGeneral(), "GroupPlaytallyBy", "0,0,0,0,0,1,1,0,0,0,0,");
    Window window;
    SystemClock systemClock;
    AppContext context{profile, window, systemClock, systemFileSystem()};
    context.views = &window;
    CDoc doc(context);
    for (auto _ : state) {
        state.PauseTiming();
        doc.store().replaceAll({});
        for (int i = 0; i < kPlays; ++i) {
            auto record = std::make_unique<CTrackRecord>("C:\\m\\" + std::to_string(i) + ".mp3", 200, 1000000 + i, 190);
            const bool doomed = i % kEvery == 0;
            record->tag = CId3v1Tag(doomed ? "Artist" : "Artist " + std::to_string(i % 997), "",
                                    doomed ? "Song" : "Song " + std::to_string(i), "", "", 255);
            doc.store().append(std::move(record));
        }
        state.ResumeTiming();
        doc.RemoveRecord(kPlays / 2);
        state.PauseTiming();
        bool same = doc.records().size() == kPlays - kPlays / kEvery;
        for (std::size_t i = 0; same && i < doc.records().size(); ++i)
            same = doc.records()[i]->date == 1000000 + static_cast<TimeValue>(i + i / (kEvery - 1) + 1);
        if (!same) state.SkipWithError("other records left or their order changed");
        state.ResumeTiming();
    }
}
BENCHMARK(RemoveGroup)->Name("Edit/RemoveGroup/10000of100000")->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

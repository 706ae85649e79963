#include "database/RecordStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A play named by its path ("s" stored, "i" incoming, and its number) starting at `date`.
RecordArray plays(const char* prefix, const std::vector<TimeValue>& dates) {
    RecordArray out;
    for (std::size_t k = 0; k < dates.size(); ++k)
        out.push_back(std::make_unique<CTrackRecord>(prefix + std::to_string(k), 100, dates[k], 100));
    return out;
}

std::string order(const CRecordStore& store) {
    std::string text;
    for (const auto& r : store.all()) text += (text.empty() ? "" : " ") + r->path.str();
    return text;
}

// Every incoming play whose path is listed repeats a known one, wherever the merge stands.
struct Listed : IDuplicateRule {
    std::vector<std::string> paths;
    std::vector<std::string> turns;  // the stored play each question stood at
    bool isDuplicate(const CTrackRecord& incoming, const CTrackRecord* atTurn) override {
        turns.push_back(atTurn ? atTurn->path.str() : "-");
        for (const auto& p : paths)
            if (p == incoming.path) return true;
        return false;
    }
};

}  // namespace

TEST(RecordStore, MergeByDatePlacesEachNewPlayBeforeTheFirstStoredOneThatStartedLater) {
    struct Case {
        std::vector<TimeValue> stored, incoming;
        const char* merged;  // under the same-second rule
    } cases[] = {
        {{10, 20, 30}, {5, 25, 40}, "i0 s0 s1 i1 s2 i2"},
        {{10, 20}, {10, 20}, "s0 s1"},                 // the same seconds: the same plays
        {{10}, {10, 10}, "s0 i1"},                     // one stored play takes one of them only
        {{10, 10}, {10, 10}, "s0 s1"},
        {{50, 30}, {40}, "i0 s0 s1"},                  // a clock set back: the walk never turns
        {{30, 50, 30}, {40, 40}, "s0 i0 i1 s1 s2"},
        {{}, {1, 2}, "i0 i1"},
    };
    for (const Case& c : cases) {
        CRecordStore store;
        store.replaceAll(plays("s", c.stored));
        CSameSecondRule rule;
        std::size_t duplicates = 99;
        const std::size_t added = store.mergeByDate(plays("i", c.incoming), rule, &duplicates);
        EXPECT_EQ(order(store), c.merged);
        EXPECT_EQ(added + duplicates, c.incoming.size()) << c.merged;
    }
}

TEST(RecordStore, TheRuleIsAskedOncePerIncomingPlayAtItsTurnAndEqualStartsGoAfterTheStoredPlay) {
    CRecordStore store;
    store.replaceAll(plays("s", {10, 20, 30}));
    Listed rule;
    rule.paths = {"i1"};
    std::size_t duplicates = 0;
    EXPECT_EQ(store.mergeByDate(plays("i", {10, 15, 20, 35}), rule, &duplicates), 3u);
    EXPECT_EQ(duplicates, 1u);
    EXPECT_EQ(rule.turns, (std::vector<std::string>{"s0", "s1", "s1", "-"}));
    EXPECT_EQ(order(store), "s0 i0 s1 i2 s2 i3");
}

TEST(RecordStore, TheGenerationMovesWithEveryChangeThatMovesRecordsOrRewritesThem) {
    CRecordStore store;
    store.replaceAll(plays("s", {10, 20, 30}));
    struct Step {
        const char* name;
        std::function<void()> change;
        bool moves;
    } steps[] = {
        {"an appended play", [&] { store.append(std::make_unique<CTrackRecord>("n", 1, 40, 1)); }, false},
        {"a removal of none", [&] { store.removeWhere([](const CTrackRecord&) { return false; }); }, false},
        {"a removal", [&] { store.removeWhere([](const CTrackRecord& r) { return r.path == "s1"; }); }, true},
        {"a trim that keeps all", [&] { store.keepNewest(10); }, false},
        {"a trim", [&] { store.keepNewest(2); }, true},
        {"a rewrite", [&] { store.rewritten(); }, true},
        {"a merge of duplicates", [&] { CSameSecondRule r; store.mergeByDate(plays("i", {30}), r); }, false},
        {"a merge refused", [&] {
             CSameSecondRule r;
             store.mergeByDate(plays("i", {1}), r, nullptr, [](std::size_t) { return false; });
         }, false},
        {"a merge", [&] { CSameSecondRule r; store.mergeByDate(plays("i", {1}), r); }, true},
        {"a replacement", [&] { store.replaceAll(RecordArray()); }, true},
    };
    for (const Step& step : steps) {
        const std::uint32_t before = store.generation();
        step.change();
        EXPECT_EQ(store.generation() != before, step.moves) << step.name;
    }
    EXPECT_TRUE(store.empty());
}

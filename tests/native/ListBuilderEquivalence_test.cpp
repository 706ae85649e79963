// The product's list builder against the plain, quadratic one kept beside the benchmarks: the same
// rows, cell for cell and in the same order, the same progress steps, on many random databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <random>

#include "bench/reference/ReferenceListBuilder.h"
#include "database/HitRanking.h"
#include "tests/native/ListBuilderFixture.h"

using namespace listtest;

TEST(HitRanking, OneTwoOneTwoComesOutSecondFourthThirdFirst) {
    EXPECT_EQ(rankByHits({1, 2, 1, 2}, 99), (std::vector<std::size_t>{1, 3, 2, 0}));
    EXPECT_EQ(referenceExchangeRank({1, 2, 1, 2}), (std::vector<std::size_t>{1, 3, 2, 0}));
    EXPECT_EQ(rankByHits({1, 2, 1, 2}, 2), (std::vector<std::size_t>{1, 3}));
    EXPECT_TRUE(rankByHits({}, 5).empty());
    EXPECT_TRUE(rankByHits({3, 1}, 0).empty());
}

TEST(HitRanking, MatchesTheExchangeRankingOnRandomHits) {
    std::mt19937 random(12345);
    for (int round = 0; round < 20000; ++round) {
        const int size = std::uniform_int_distribution<int>(0, round < 15000 ? 12 : 120)(random);
        const int spread = std::uniform_int_distribution<int>(1, 6)(random);
        std::uniform_int_distribution<int> value(round % 7 == 0 ? -spread : 1, spread);
        std::vector<std::int32_t> hits(size);
        for (auto& h : hits) h = value(random);
        if (round % 11 == 0 && size > 0) hits[0] = INT_MIN;  // extremes too
        if (round % 13 == 0 && size > 1) hits[1] = INT_MAX;
        const std::vector<std::size_t> expected = referenceExchangeRank(hits);
        const std::size_t limit = std::uniform_int_distribution<std::size_t>(0, size + 2)(random);
        std::vector<std::size_t> expectedPrefix(expected.begin(), expected.begin() + std::min(limit, expected.size()));
        ASSERT_EQ(rankByHits(hits, limit), expectedPrefix) << "round " << round;
        ASSERT_EQ(rankByHits(hits, SIZE_MAX), expected) << "round " << round;
    }
}

namespace {

// Texts whose letter case varies, so that grouping (case-blind) and clearing (exact) disagree.
const char* const kArtists[] = {"Abba", "ABBA", "abba", "Queen", "queen", "Björk", "BJöRK", "", "Q"};
const char* const kTitles[] = {"Waterloo", "waterloo", "SOS", "sos", "Sos", "Song 2", "x"};
const char* const kAlbums[] = {"", "Gold", "GOLD", "Live"};
const char* const kYears[] = {"", "1974", "1975"};
const char* const kComments[] = {"", "good", "Good"};
const std::uint8_t kGenres[] = {255, 0, 1, 17, 125, 126, 200};
const std::int32_t kLengths[] = {0, 180, 181, 180 + 86400, -5, 3599};
const std::int32_t kPlayed[] = {0, 30, 180, 200, INT_MAX, INT_MIN + 1, -1};
const char* const kFormats[] = {"%m/%d/%y %H:%M", "%Y", "%b", "%B %Y", "%a %p", "%H:%M:%S", "", "Week %W %b",
                                "%y-%j", "%p", "%d %b %Y %I %p", "%Q%%"};

struct World : ListFixture {};

struct Scenario {
    FieldFlags flags{};
    std::string format;
    BuildListParams params;
    int cancelAt = 0;
};

template <typename T, std::size_t N>
const T& pick(std::mt19937& random, const T (&values)[N]) {
    return values[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

void fillDatabase(World& world, std::mt19937& random, int count) {
    std::uniform_int_distribution<int> percent(0, 99);
    TimeValue date = 1600000000 + std::uniform_int_distribution<int>(0, 1000000)(random);
    // A few songs, so that plays repeat; each play may vary a field's case or value.
    for (int i = 0; i < count; ++i) {
        const int roll = percent(random);
        if (roll < 30) date += 0;                                                  // same second
        else if (roll < 55) date += std::uniform_int_distribution<int>(1, 59)(random);  // same minute, often
        else if (roll < 90) date += std::uniform_int_distribution<int>(60, 86400 * 40)(random);
        else if (roll < 96) date -= std::uniform_int_distribution<int>(1, 86400 * 60)(random);  // clock set back
        Play p;
        p.artist = pick(random, kArtists);
        p.title = pick(random, kTitles);
        p.album = pick(random, kAlbums);
        p.year = pick(random, kYears);
        p.comment = pick(random, kComments);
        p.genre = pick(random, kGenres);
        p.length = pick(random, kLengths);
        p.played = percent(random) < 80 ? std::uniform_int_distribution<int>(0, 400)(random) : pick(random, kPlayed);
        p.date = percent(random) < 3 ? 0 : date;
        world.add(p);
        if (percent(random) < 2) world.doc.records().back()->marked = 1;
    }
}

// Large worlds pass the progress window's thresholds; there the window is mostly asked for and
// cancelled at a random step, and the period mostly reaches the newest plays.
Scenario randomScenario(std::mt19937& random, const RecordArray& records, bool large) {
    std::uniform_int_distribution<int> percent(0, 99);
    Scenario s;
    for (bool& flag : s.flags) flag = percent(random) < 30;
    s.format = pick(random, kFormats);
    auto someDate = [&]() -> TimeValue {
        if (records.empty() || percent(random) < 15) return percent(random) < 50 ? 0 : 1600000000;
        return records[std::uniform_int_distribution<std::size_t>(0, records.size() - 1)(random)]->date;
    };
    s.params.since = percent(random) < (large ? 60 : 30) ? (percent(random) < 50 ? INT_MIN : 0) : someDate();
    s.params.till = percent(random) < (large ? 70 : 40) ? INT_MAX : someDate();
    s.params.logMode = percent(random) < 25;
    s.params.topOn = percent(random) < 40;
    const int tops[] = {-1, 0, 1, 2, 3, 5, 10, 50, 150};
    s.params.topCount = pick(random, tops);
    s.params.showProgress = percent(random) < (large ? 90 : 60);
    s.cancelAt = percent(random) < (large ? 80 : 50) ? std::uniform_int_distribution<int>(1, static_cast<int>(records.size()) + 2)(random) : 0;
    return s;
}

// One database built twice (same seed), one world per builder.
struct Outcome {
    std::string rows;
    ProgressLog progress;
    std::vector<std::pair<std::string, std::string>> messages;
    bool marksClear = true;
    std::string settingsFormat;
};

template <typename Build>
Outcome run(std::uint32_t seed, int count, Scenario& scenario, bool makeScenario, Build build) {
    std::mt19937 random(seed);
    World world;
    fillDatabase(world, random, count);
    if (makeScenario) scenario = randomScenario(random, world.doc.records(), count > 100);
    world.profile.writeString(sectionGeneral(), "GroupPlaytallyBy", writeFlagList(scenario.flags));
    world.profile.writeString(sectionGeneral(), "DateFormat", scenario.format);
    world.progress.log.cancelAtStep = scenario.cancelAt;
    const RowArray rows = build(world.doc, scenario.params);
    Outcome out;
    out.rows = describe(rows);
    out.progress = world.progress.log;
    out.messages = world.messages.shown;
    for (auto& record : world.doc.records()) out.marksClear = out.marksClear && record->marked == 0;
    out.settingsFormat = world.context.current.DateFormat;
    return out;
}

}  // namespace

TEST(ListBuilderEquivalence, SameRowsAsThePlainAlgorithmOnRandomDatabases) {
    std::mt19937 seeds(2024);
    int withRows = 0, cancelled = 0;
    for (int round = 0; round < 1500; ++round) {
        const std::uint32_t seed = seeds();
        // Mostly small databases; some past the progress window's thresholds.
        const int count = round % 6 == 0 ? std::uniform_int_distribution<int>(101, 220)(seeds)
                                          : std::uniform_int_distribution<int>(0, 40)(seeds);
        Scenario scenario;
        const Outcome expected = run(seed, count, scenario, true, referenceBuildList);
        const Outcome actual = run(seed, count, scenario, false,
                                   [](CDoc& doc, const BuildListParams& p) { return doc.BuildList(p); });
        const std::string what = "round " + std::to_string(round) + ", " + std::to_string(count) + " plays, format '" +
                                 scenario.format + "', flags " + writeFlagList(scenario.flags) +
                                 (scenario.params.logMode ? ", log" : ", playtally") + ", since " +
                                 std::to_string(scenario.params.since) + ", till " + std::to_string(scenario.params.till) +
                                 ", top " + (scenario.params.topOn ? std::to_string(scenario.params.topCount) : "off") +
                                 ", cancel at " + std::to_string(scenario.cancelAt);
        ASSERT_EQ(actual.rows, expected.rows) << what;
        ASSERT_TRUE(actual.progress == expected.progress) << what;
        ASSERT_EQ(actual.messages, expected.messages) << what;
        // Playtally mode clears every mark once past the common start; Log mode leaves them.
        ASSERT_EQ(actual.marksClear, expected.marksClear) << what;
        if (!expected.rows.empty()) ++withRows;
        if (expected.progress.shown && scenario.cancelAt && scenario.cancelAt <= expected.progress.steps) ++cancelled;
    }
    // The random worlds must really exercise rows and cancels, or the comparison proves little.
    std::printf("rows in %d rounds, cancels in %d\n", withRows, cancelled);
    EXPECT_GT(withRows, 600);
    EXPECT_GT(cancelled, 60);
}

// The statistics against figures worked out by hand for small databases.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "database/ListeningStats.h"
#include "database/PlayExclusion.h"
#include "tests/native/StatsSupport.h"

using namespace statstest;

namespace {

const TimeValue kNow = utc(2026, 3, 15, 12);
constexpr TimeValue kDay = 86400;

ListeningStats statsOf(const std::vector<Play>& plays, TimeValue now, const ExclusionRules& rules = {}) {
    RecordArray records;
    for (const Play& play : plays) addPlay(records, play);
    return computeListeningStats(records, rules, now);
}

// Seven plays around the period edges; a play exactly one period old belongs to the period before.
const std::vector<Play> kPeriodPlays = {
    {"A", "T1", "X", kNow - 400 * kDay, 500}, {"C", "T4", "Z", kNow - 40 * kDay, 400},
    {"B", "T3", "Y", kNow - 20 * kDay, 50},   {"B", "T3", "Y", kNow - 10 * kDay, 300},
    {"A", "T2", "X", kNow - 8 * kDay, 200},   {"D", "T5", "", kNow - 7 * kDay, 10},
    {"A", "T1", "X", kNow - 1 * kDay, 100},
};

TEST(ListeningStats, PeriodsAndThePeriodsBefore) {
    const ListeningStats stats = statsOf(kPeriodPlays, kNow);
    struct Case {
        StatPeriod period;
        StatFigures current, previous;  // plays, heard, tracks, artists, albums
    };
    const Case cases[] = {
        {StatWeek, {1, 100, 1, 1, 1}, {3, 510, 3, 3, 2}},
        {StatMonth, {5, 660, 4, 3, 2}, {1, 400, 1, 1, 1}},
        {StatYear, {6, 1060, 5, 4, 3}, {1, 500, 1, 1, 1}},
        {StatAllTime, {7, 1560, 5, 4, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period);
        EXPECT_EQ(stats.periods[c.period].current, c.current);
        EXPECT_EQ(stats.periods[c.period].previous, c.previous);
    }
}

TEST(ListeningStats, TopListsByTimeAndByPlaysIgnoreLetterCase) {
    const ListeningStats stats = statsOf(
        {{"Alpha", "One", "First", kNow - 5 * kDay, 100}, {"alpha", "one", "first", kNow - 4 * kDay, 100},
         {"Alpha", "Two", "First", kNow - 3 * kDay, 100}, {"Beta", "Long", "Second", kNow - 2 * kDay, 500},
         {"Gamma", "Short", "", kNow - 2 * kDay, 20}},
        kNow);
    const PeriodStats& week = stats.periods[StatWeek];
    auto names = [](const std::vector<TopEntry>& list) {
        std::vector<std::string> out;
        for (const TopEntry& e : list) out.push_back(e.artist + "/" + e.name + "/" + std::to_string(e.plays) + "/" +
                                                     std::to_string(e.heard));
        return out;
    };
    EXPECT_EQ(names(week.artists.byHeard), (std::vector<std::string>{"Beta//1/500", "Alpha//3/300", "Gamma//1/20"}));
    EXPECT_EQ(names(week.artists.byPlays), (std::vector<std::string>{"Alpha//3/300", "Beta//1/500", "Gamma//1/20"}));
    EXPECT_EQ(names(week.tracks.byPlays),
              (std::vector<std::string>{"Alpha/One/2/200", "Beta/Long/1/500", "Alpha/Two/1/100", "Gamma/Short/1/20"}));
    EXPECT_EQ(names(week.albums.byHeard), (std::vector<std::string>{"Beta/Second/1/500", "Alpha/First/3/300"}));
    EXPECT_EQ(week.current, (StatFigures{5, 820, 4, 3, 2}));
}

// Names come whole where the play keeps them; a body's text in the code page and the same name
// kept whole are one entry, and names beyond the code page stay apart even when their bodies agree.
TEST(ListeningStats, TopListsNameWholeTexts) {
    RecordArray records;
    auto whole = [&](const std::string& artist, const std::string& title, TimeValue date) {
        auto record = std::make_unique<CTrackRecord>("C:\\m.mp3", 240, date, 100);
        record->SetTexts(TrackTexts{title, artist, "", "", "", ""});
        records.push_back(std::move(record));
    };
    addPlay(records, {"Sigur R\xF3s", "Hoppipolla", "", kNow - 5 * kDay, 100});  // the code page's "o acute"
    whole("Sigur R\xC3\xB3s", "Hoppipolla", kNow - 4 * kDay);
    whole("\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89", "Symphony No. 9 in D minor, Op. 125: IV. Presto", kNow - 3 * kDay);
    whole("\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "Symphony No. 9 in D minor, Op. 125: IV. Presto", kNow - 2 * kDay);
    const ListeningStats stats = computeListeningStats(records, {}, kNow);
    std::vector<std::string> artists;
    for (const TopEntry& e : stats.periods[StatWeek].artists.byPlays) artists.push_back(e.artist + "/" + std::to_string(e.plays));
    std::sort(artists.begin() + 1, artists.end());
    EXPECT_EQ(artists, (std::vector<std::string>{"Sigur R\xC3\xB3s/2", "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE/1",
                                                 "\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89/1"}));
    EXPECT_EQ(stats.periods[StatWeek].tracks.byPlays.back().name, "Symphony No. 9 in D minor, Op. 125: IV. Presto");
}

TEST(ListeningStats, YearInReview) {
    const ListeningStats stats = statsOf(
        {{"A", "T1", "X", utc(2025, 5, 1, 10), 100}, {"A", "T1", "X", utc(2025, 5, 1, 11), 100},
         {"A", "T1", "X", utc(2025, 6, 1, 10), 100}, {"B", "T2", "Y", utc(2025, 7, 1, 10), 500},
         {"A", "T1", "X", utc(2026, 1, 2, 10), 50}, {"C", "T3", "Z", utc(2026, 2, 2, 10), 60},
         {"C", "T3", "Z", utc(2026, 2, 3, 10), 60}},
        kNow);
    ASSERT_EQ(stats.reviews.size(), 2u);
    const YearReview& latest = stats.reviews[0];
    EXPECT_EQ(latest.year, 2026);
    EXPECT_EQ(latest.figures, (StatFigures{3, 170, 2, 2, 2}));
    ASSERT_EQ(latest.topArtists.size(), 2u);
    EXPECT_EQ(latest.topArtists[0].artist, "C");
    EXPECT_EQ(latest.topArtists[0].heard, 120);
    EXPECT_EQ(latest.newArtistCount, 1);
    ASSERT_EQ(latest.newArtists.size(), 1u);
    EXPECT_EQ(latest.newArtists[0].artist, "C");
    EXPECT_EQ(latest.busiestDay.month * 100 + latest.busiestDay.day, 202);  // 60 s beats 50 s, and 2 Feb is first

    const YearReview& earlier = stats.reviews[1];
    EXPECT_EQ(earlier.year, 2025);
    EXPECT_EQ(earlier.figures, (StatFigures{4, 800, 2, 2, 2}));
    EXPECT_EQ(earlier.newArtistCount, 2);
    EXPECT_EQ(earlier.topTracks[0].name, "T2");
    EXPECT_EQ(earlier.busiestDay.month, 7);
    EXPECT_EQ(earlier.busiestDay.heard, 500);
    ASSERT_EQ(stats.years.size(), 2u);
    EXPECT_EQ(stats.years[0].heard, 800);
    EXPECT_EQ(stats.months.size(), 11u);  // May 2025 to March 2026
    EXPECT_EQ(stats.months[1].plays, 1);  // June 2025
}

// A play's seconds land in the local hours and days it was heard in; its play in the hour it began.
struct SpreadCase {
    const char* name;
    const char* zone;
    TimeValue start;
    std::int32_t played;
    TimeValue now;
    struct Cell {
        int weekday, hour;
        std::int64_t heard;
    };
    std::vector<Cell> cells;               // every non-zero cell of the hour by weekday grid
    std::vector<std::int64_t> lastDays;    // heard on the last days of the 31, oldest first
};

class HeardSpread : public ::testing::TestWithParam<SpreadCase> {};

TEST_P(HeardSpread, OverHoursAndDays) {
    const SpreadCase& c = GetParam();
    TimeZone zone(c.zone);
    const ListeningStats stats = statsOf({{"A", "T", "X", c.start, c.played}}, c.now);
    std::vector<SpreadCase::Cell> cells;
    for (int w = 0; w < 7; ++w)
        for (int h = 0; h < 24; ++h)
            if (stats.heardByWeekdayHour[w][h]) cells.push_back({w, h, stats.heardByWeekdayHour[w][h]});
    ASSERT_EQ(cells.size(), c.cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        EXPECT_EQ(cells[i].weekday, c.cells[i].weekday) << i;
        EXPECT_EQ(cells[i].hour, c.cells[i].hour) << i;
        EXPECT_EQ(cells[i].heard, c.cells[i].heard) << i;
    }
    ASSERT_EQ(stats.days.size(), 31u);
    std::int64_t plays = 0;
    for (const ActivityBar& day : stats.days) plays += day.plays;
    EXPECT_EQ(plays, 1);
    for (std::size_t i = 0; i < c.lastDays.size(); ++i)
        EXPECT_EQ(stats.days[31 - c.lastDays.size() + i].heard, c.lastDays[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    ListeningStats, HeardSpread,
    ::testing::Values(
        // Saturday 23:50 for 20 minutes: 10 on Saturday, 10 on Sunday.
        SpreadCase{"AcrossMidnight", "UTC", utc(2026, 3, 14, 23, 50), 1200, utc(2026, 3, 15, 12),
                   {{5, 23, 600}, {6, 0, 600}}, {600, 600}},
        // Spring forward in Berlin: 01:30 CET for an hour ends at 03:30 CEST; no hour 2 that day.
        SpreadCase{"SpringForward", "Europe/Berlin", utc(2026, 3, 29, 0, 30), 3600, utc(2026, 3, 30, 12),
                   {{6, 1, 1800}, {6, 3, 1800}}, {3600, 0}},
        // The 23-hour day ends at local midnight: 23:30 CEST for an hour is half on Monday.
        SpreadCase{"ShortDayEnds", "Europe/Berlin", utc(2026, 3, 29, 21, 30), 3600, utc(2026, 3, 30, 12),
                   {{0, 0, 1800}, {6, 23, 1800}}, {1800, 1800}},
        // Fall back: 01:30 CEST for two hours is half an hour in hour 1 and 90 minutes in hour 2.
        SpreadCase{"FallBack", "Europe/Berlin", utc(2026, 10, 24, 23, 30), 7200, utc(2026, 10, 26, 12),
                   {{6, 1, 1800}, {6, 2, 5400}}, {7200, 0}},
        // The 25-hour day: 23:30 CET for an hour still ends that Sunday at midnight.
        SpreadCase{"LongDayEnds", "Europe/Berlin", utc(2026, 10, 25, 22, 30), 3600, utc(2026, 10, 26, 12),
                   {{0, 0, 1800}, {6, 23, 1800}}, {1800, 1800}}),
    [](const ::testing::TestParamInfo<SpreadCase>& info) { return std::string(info.param.name); });

TEST(ListeningStats, WeekAcrossTheYearsEnd) {
    // Monday 29 December 2025 to Sunday 4 January 2026 is one week.
    const ListeningStats stats = statsOf({{"A", "T", "X", utc(2025, 12, 29, 10), 60},
                                          {"A", "T", "X", utc(2026, 1, 4, 22), 60},
                                          {"A", "T", "X", utc(2026, 1, 5, 1), 60}},
                                         utc(2026, 1, 6, 12));
    ASSERT_EQ(stats.weeks.size(), 52u);
    const ActivityBar& thisWeek = stats.weeks[51];
    const ActivityBar& lastWeek = stats.weeks[50];
    EXPECT_EQ((std::vector<int>{thisWeek.year, thisWeek.month, thisWeek.day}), (std::vector<int>{2026, 1, 5}));
    EXPECT_EQ(thisWeek.plays, 1);
    EXPECT_EQ((std::vector<int>{lastWeek.year, lastWeek.month, lastWeek.day}), (std::vector<int>{2025, 12, 29}));
    EXPECT_EQ(lastWeek.plays, 2);
    EXPECT_EQ(lastWeek.heard, 120);
    ASSERT_EQ(stats.years.size(), 2u);
    EXPECT_EQ(stats.years[0].plays, 1);
    EXPECT_EQ(stats.years[1].plays, 2);
}

TEST(ListeningStats, ExcludedPlaysCountNowhere) {
    std::vector<Play> plays = kPeriodPlays;
    plays.push_back({"Narrator", "Chapter 1", "Book", kNow - kDay, 3000, "D:\\Audiobooks\\book.mp3"});
    plays.push_back({"Host", "Episode", "Show", kNow - kDay, 2000, "D:\\p.mp3", 101});  // genre "Speech"
    const ExclusionRules rules({{ExclusionField::Path, "\\audiobooks\\"}, {ExclusionField::Genre, "speech"}});
    const ListeningStats stats = statsOf(plays, kNow, rules);
    EXPECT_EQ(stats.excludedPlays, 2);
    EXPECT_EQ(stats.periods[StatAllTime].current, (StatFigures{7, 1560, 5, 4, 3}));
    EXPECT_EQ(stats.periods[StatWeek].artists.byHeard.size(), 1u);
}

TEST(ListeningStats, DamagedPlayedTimes) {
    const ListeningStats stats =
        statsOf({{"A", "T", "X", kNow - kDay, -50}, {"A", "T", "X", kNow - kDay, 2000000000}}, kNow);
    EXPECT_EQ(stats.periods[StatAllTime].current.plays, 2);
    EXPECT_EQ(stats.periods[StatAllTime].current.heard, 7 * kDay);  // a week at most, nothing below zero
}

TEST(ListeningStats, NoPlays) {
    const ListeningStats stats = statsOf({}, kNow);
    EXPECT_EQ(stats.periods[StatAllTime].current, StatFigures{});
    EXPECT_EQ(stats.days.size(), 31u);
    EXPECT_TRUE(stats.months.empty());
    EXPECT_TRUE(stats.reviews.empty());
}

}  // namespace

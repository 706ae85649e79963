#include <gtest/gtest.h>

#include <array>
#include <climits>

#include "core/CompareTimes.h"
#include "database/GroupRecord.h"
#include "core/TimeFormat.h"
#include "tests/native/ListBuilderFixture.h"

using namespace listtest;

namespace {

constexpr TimeValue k2201 = 1614895260;  // 2021-03-04 22:01:00 UTC (tests run with TZ=UTC)
constexpr TimeValue kMinute = 60;

struct ListBuilder : ::testing::Test, ListFixture {
    RowArray rows;  // what the last build gave
    BuildListParams period(TimeValue since = 0, TimeValue till = INT_MAX) {
        BuildListParams p;
        p.since = since;
        p.till = till;
        return p;
    }
    BuildListParams log(TimeValue since = 0, TimeValue till = INT_MAX) {
        BuildListParams p = period(since, till);
        p.logMode = true;
        return p;
    }
    std::vector<std::string> column(int id) const {
        std::vector<std::string> out;
        for (const auto& row : rows) out.push_back(row->cells[id]);
        return out;
    }
    std::vector<int> indexes() const {
        std::vector<int> out;
        for (const auto& row : rows) out.push_back(row->recordIndex);
        return out;
    }
    // `count` plays of distinct songs, one minute apart from `start`.
    void addSongs(int count, TimeValue start, const std::string& prefix = "Song") {
        for (int i = 0; i < count; ++i) add({"Artist", prefix + std::to_string(i), "", "", "", 1, start + i * kMinute, 180, 180});
    }
};

}  // namespace

TEST(CompareTimes, OperatorTexts) {
    struct Case {
        const char* op;
        bool less, equal, greater;  // results for 1 op 2, 2 op 2, 3 op 2
    } cases[] = {
        {"<", true, false, false},  {"<=", true, true, false}, {"=<", true, true, false},
        {">", false, false, true},  {">=", false, true, true}, {"=>", false, true, true},
        {"==", false, true, false}, {"!=", true, false, true}, {"", false, false, false},
        {"=", false, false, false}, {"< ", false, false, false}, {"<>", false, false, false},
        {"GT", false, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareTimes(1, c.op, 2), c.less) << "'" << c.op << "'";
        EXPECT_EQ(CompareTimes(2, c.op, 2), c.equal) << "'" << c.op << "'";
        EXPECT_EQ(CompareTimes(3, c.op, 2), c.greater) << "'" << c.op << "'";
    }
    EXPECT_FALSE(CompareTimes(1, nullptr, 2));
    EXPECT_TRUE(CompareTimes(INT_MIN, "<", INT_MAX));
}

TEST(GroupRecord, ClearFieldEmptiesTheFieldButLeavesTheTagBody) {
    auto record = makeRecord({"Artist", "Title", "Album", "1999", "Comment", 17, k2201, 200, 150});
    CGroupRecord group(*record, 7);
    EXPECT_EQ(group.firstIndex, 7);
    EXPECT_EQ(group.GetHits(), 1);
    const CId3v1Tag::Body body = group.tag.body();
    const std::string format = "%H:%M";

    struct Case {
        int id;
        std::string before, after;
    } cases[] = {
        {FieldDate, "22:01", "00:00"},        {FieldLength, "00:03:20", "00:00:00"},
        {FieldPlayed, "00:02:30", "00:00:00"}, {FieldArtist, "Artist", ""},
        {FieldTitle, "Title", ""},            {FieldAlbum, "Album", ""},
        {FieldYear, "1999", ""},              {FieldGenre, "Rock", ""},
        {FieldComment, "Comment", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(group.GetFieldText(c.id, format), c.before) << c.id;
        EXPECT_FALSE(group.IsFieldEmpty(c.id)) << c.id;
        group.ClearField(c.id);
        EXPECT_EQ(group.GetFieldText(c.id, format), c.after) << c.id;
        EXPECT_TRUE(group.IsFieldEmpty(c.id)) << c.id;
    }
    EXPECT_EQ(group.date, 0);
    EXPECT_EQ(group.tag.genre(), CId3v1Tag::kNoGenre);
    EXPECT_EQ(group.tag.body(), body) << "the body must keep the first play's tag";
    EXPECT_EQ(group.tag.artist(), "Artist") << "the tag itself is unchanged; the group answers for it";
    // Ids that name no clearable field are ignored and never empty.
    for (int id : {0, 2, 11, -1}) {  // Number, Hits, unknown ids
        group.ClearField(id);
        EXPECT_FALSE(group.IsFieldEmpty(id)) << id;
    }
}

TEST(GroupRecord, EmptyFieldsOfAFreshCopy) {
    auto record = makeRecord({"", "Title", "", "", "", 255, 0, 0, 0});
    CGroupRecord group(*record, 0);
    for (int id : {FieldDate, FieldLength, FieldPlayed, FieldArtist, FieldAlbum, FieldYear, FieldGenre, FieldComment})
        EXPECT_TRUE(group.IsFieldEmpty(id)) << id;
    EXPECT_FALSE(group.IsFieldEmpty(FieldTitle));
    group.SetHits(42);
    EXPECT_EQ(group.GetHits(), 42);
}

TEST_F(ListBuilder, EmptyListForAnEmptyPeriodOrATopCountBelowOne) {
    addSongs(5, k2201);
    struct Case {
        const char* what;
        TimeValue since, till;
        bool topOn;
        int topCount;
    } cases[] = {
        {"since after till", k2201 + 10, k2201, false, 0},
        {"top count 0", 0, INT_MAX, true, 0},
        {"top count -3", 0, INT_MAX, true, -3},
        {"top count INT_MIN", 0, INT_MAX, true, INT_MIN},
    };
    for (bool logMode : {false, true}) {
        for (const Case& c : cases) {
            rows = doc.BuildList(log());  // rows from before must go
            ASSERT_EQ(rows.size(), logMode ? 5u : 5u);
            BuildListParams p = period(c.since, c.till);
            p.logMode = logMode;
            p.topOn = c.topOn;
            p.topCount = c.topCount;
            p.showProgress = true;
            rows = doc.BuildList(p);
            EXPECT_TRUE(rows.empty()) << c.what << (logMode ? " (log)" : "");
        }
    }
    EXPECT_EQ(progress.log.created, 0);
    // A top count off ignores the count.
    BuildListParams p = log();
    p.topCount = -1;
    rows = doc.BuildList(p);
    EXPECT_EQ(rows.size(), 5u);
}

TEST_F(ListBuilder, EmptyDatabaseGivesNoRows) {
    for (bool logMode : {false, true}) {
        BuildListParams p = period();
        p.logMode = logMode;
        p.showProgress = true;
        rows = doc.BuildList(p);
        EXPECT_TRUE(rows.empty());
    }
    EXPECT_EQ(progress.log.created, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ListBuilder, LogTopTenShowsTheTenNewestNumbered) {
    dateFormat("%H:%M");
    addSongs(15, k2201);
    BuildListParams p = log();
    p.topOn = true;
    p.topCount = 10;
    rows = doc.BuildList(p);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(indexes(), (std::vector<int>{14, 13, 12, 11, 10, 9, 8, 7, 6, 5}));
    EXPECT_EQ(column(FieldNumber), (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    const CListRow& first = *rows[0];
    EXPECT_EQ(first.cells[FieldDate], "22:15");
    EXPECT_EQ(first.cells[FieldTitle], "Song14");
    EXPECT_EQ(first.cells[FieldArtist], "Artist");
    EXPECT_EQ(first.cells[FieldLength], "00:03:00");
    EXPECT_EQ(first.cells[FieldPlayed], "00:03:00");
    EXPECT_EQ(first.cells[FieldGenre], "Classic Rock");
    EXPECT_EQ(first.cells[FieldHits], "");
}

TEST_F(ListBuilder, LogSkipsPlaysAfterTillWithoutAGapAndStopsBelowSince) {
    addSongs(3, k2201);                                          // 0..2: in the period
    add({"Late", "Late", "", "", "", 1, k2201 + 100 * kMinute, 1, 1});  // 3: after till
    add({"A", "B", "", "", "", 1, k2201 + 5 * kMinute, 1, 1});        // 4: in the period
    add({"Old", "Old", "", "", "", 1, k2201 - 10 * kMinute, 1, 1});   // 5: before since: the scan ends
    add({"A", "C", "", "", "", 1, k2201 + 6 * kMinute, 1, 1});        // 6: in the period
    rows = doc.BuildList(log(k2201, k2201 + 50 * kMinute));
    EXPECT_EQ(indexes(), (std::vector<int>{6}));

    const CTrackRecord* setBack = doc.records()[5].get();  // the clock no longer set back
    doc.store().removeWhere([&](const CTrackRecord& r) { return &r == setBack; });
    rows = doc.BuildList(log(k2201, k2201 + 50 * kMinute));
    EXPECT_EQ(indexes(), (std::vector<int>{5, 4, 2, 1, 0}));
    EXPECT_EQ(column(FieldNumber), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
}

TEST_F(ListBuilder, ThreePlaysOfOneSongMakeOneRow) {
    groupBy({FieldArtist, FieldTitle});
    add({"Artist", "Title", "Album", "2001", "c", 3, k2201, 200, 100});
    add({"Other", "Song", "Album", "2001", "c", 3, k2201 + 2 * kMinute, 300, 300});
    add({"Artist", "Title", "Album", "2001", "c", 3, k2201 + 4 * kMinute, 200, 150});
    add({"Artist", "Title", "Album", "2001", "c", 3, k2201 + 8 * kMinute, 200, 200});
    rows = doc.BuildList(period());
    ASSERT_EQ(rows.size(), 2u) << describe(rows);
    const CListRow& row = *rows[0];
    EXPECT_EQ(row.recordIndex, 0);
    EXPECT_EQ(row.cells[FieldNumber], "1");
    EXPECT_EQ(row.cells[FieldHits], "3");
    EXPECT_EQ(row.cells[FieldDate], "") << "the plays fall in different minutes";
    EXPECT_EQ(row.cells[FieldPlayed], "00:07:30");
    EXPECT_EQ(row.cells[FieldLength], "00:03:20");
    EXPECT_EQ(row.cells[FieldArtist], "Artist");
    EXPECT_EQ(row.cells[FieldAlbum], "Album");
    EXPECT_EQ(row.cells[FieldYear], "2001");
    EXPECT_EQ(row.cells[FieldGenre], "Dance");
    EXPECT_EQ(row.cells[FieldComment], "c");
    const CListRow& other = *rows[1];
    EXPECT_EQ(other.recordIndex, 1);
    EXPECT_EQ(other.cells[FieldNumber], "2");
    EXPECT_EQ(other.cells[FieldHits], "1");
    EXPECT_EQ(other.cells[FieldDate], "03/04/21 22:03");
    for (auto& record : doc.records()) EXPECT_EQ(record->marked, 0);
}

TEST_F(ListBuilder, FieldsThePlaysDisagreeInAreCleared) {
    groupBy({FieldArtist});
    struct Case {
        const char* what;
        Play second;
        int cleared;  // field id whose cell goes empty ("00:00:00" for Length), -1: none
    } cases[] = {
        {"same minute", {"Artist", "T", "Al", "1990", "Co", 5, k2201 + 30, 100, 1}, -1},
        {"other minute", {"Artist", "T", "Al", "1990", "Co", 5, k2201 + 60, 100, 1}, FieldDate},
        {"length", {"Artist", "T", "Al", "1990", "Co", 5, k2201, 101, 1}, FieldLength},
        {"length a day longer: same text", {"Artist", "T", "Al", "1990", "Co", 5, k2201, 100 + 86400, 1}, -1},
        {"artist case", {"ARTIST", "T", "Al", "1990", "Co", 5, k2201, 100, 1}, FieldArtist},
        {"title", {"Artist", "t", "Al", "1990", "Co", 5, k2201, 100, 1}, FieldTitle},
        {"album", {"Artist", "T", "", "1990", "Co", 5, k2201, 100, 1}, FieldAlbum},
        {"year", {"Artist", "T", "Al", "1991", "Co", 5, k2201, 100, 1}, FieldYear},
        {"genre", {"Artist", "T", "Al", "1990", "Co", 255, k2201, 100, 1}, FieldGenre},
        {"comment", {"Artist", "T", "Al", "1990", "CO", 5, k2201, 100, 1}, FieldComment},
        {"played is summed, never cleared", {"Artist", "T", "Al", "1990", "Co", 5, k2201, 100, 7}, -1},
    };
    for (const Case& c : cases) {
        doc.store().replaceAll({});
        add({"Artist", "T", "Al", "1990", "Co", 5, k2201, 100, 1});
        add(c.second);
        rows = doc.BuildList(period());
        ASSERT_EQ(rows.size(), 1u) << c.what;
        const CListRow& row = *rows[0];
        const std::string expected[kFieldCount] = {"1", "03/04/21 22:01", "2", "00:01:40", "", "Artist", "T", "Al",
                                                   "1990", "Funk", "Co"};
        for (int id = 0; id < kFieldCount; ++id) {
            if (id == FieldPlayed) continue;
            std::string want = expected[id];
            if (id == c.cleared) want = id == FieldLength ? "00:00:00" : "";
            EXPECT_EQ(row.cells[id], want) << c.what << ", field " << id;
        }
        EXPECT_EQ(row.cells[FieldPlayed], formatDuration(1 + c.second.played)) << c.what;
    }
}

TEST_F(ListBuilder, LetterCaseVariantsGroupTogetherButEmptyTheirCell) {
    groupBy({FieldArtist, FieldTitle});
    add({"Abba", "Waterloo", "", "", "", 1, k2201, 100, 100});
    add({"ABBA", "waterloo", "", "", "", 1, k2201, 100, 100});
    rows = doc.BuildList(period());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->cells[FieldHits], "2");
    EXPECT_EQ(rows[0]->cells[FieldArtist], "");
    EXPECT_EQ(rows[0]->cells[FieldTitle], "");
    EXPECT_EQ(rows[0]->cells[FieldDate], "03/04/21 22:01");
}

TEST_F(ListBuilder, EqualHitsKeepTheExchangeRankingOrder) {
    groupBy({FieldTitle});
    // Groups with hits 1, 2, 1, 2 in the order of their first plays: a, b, c, d.
    const char* titles[] = {"a", "b", "b", "c", "d", "d"};
    for (int i = 0; i < 6; ++i) add({"X", titles[i], "", "", "", 1, k2201 + i, 1, 1});
    rows = doc.BuildList(period());
    EXPECT_EQ(column(FieldTitle), (std::vector<std::string>{"b", "d", "c", "a"}));
    EXPECT_EQ(column(FieldHits), (std::vector<std::string>{"2", "2", "1", "1"}));
    EXPECT_EQ(column(FieldNumber), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(indexes(), (std::vector<int>{1, 4, 3, 0}));

    BuildListParams top = period();
    top.topOn = true;
    top.topCount = 3;
    rows = doc.BuildList(top);
    EXPECT_EQ(column(FieldTitle), (std::vector<std::string>{"b", "d", "c"}));
}

TEST_F(ListBuilder, WithoutGroupingFlagsEveryPlayInThePeriodIsOneGroup) {
    groupBy({});
    addSongs(7, k2201);
    add({"Y", "Z", "", "", "", 2, k2201 - 500, 1, 1});  // before since
    rows = doc.BuildList(period(k2201, INT_MAX));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->cells[FieldHits], "7");
    EXPECT_EQ(rows[0]->cells[FieldPlayed], "00:21:00");
    EXPECT_EQ(rows[0]->cells[FieldTitle], "");
    EXPECT_EQ(rows[0]->cells[FieldArtist], "Artist");
}

TEST_F(ListBuilder, APlayOutsideThePeriodNeverJoinsAGroup) {
    groupBy({FieldArtist, FieldTitle});
    add({"A", "T", "", "", "", 1, k2201 - kMinute, 100, 100});       // before since
    add({"A", "T", "", "", "", 1, k2201, 100, 100});
    add({"A", "T", "", "", "", 1, k2201 + 60 * kMinute, 100, 100});  // after till
    add({"A", "T", "", "", "", 1, k2201 + kMinute, 100, 100});
    rows = doc.BuildList(period(k2201, k2201 + 10 * kMinute));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->recordIndex, 1);
    EXPECT_EQ(rows[0]->cells[FieldHits], "2");
    EXPECT_EQ(rows[0]->cells[FieldPlayed], "00:03:20");
}

TEST_F(ListBuilder, GroupingByDateFollowsTheDateFormatAndItsGranularity) {
    groupBy({FieldDate});
    dateFormat("%Y");
    add({"A", "1", "", "", "", 1, k2201, 1, 1});
    add({"B", "2", "", "", "", 1, k2201 + 40 * 86400, 1, 1});
    add({"C", "3", "", "", "", 1, k2201 + 400 * 86400, 1, 1});  // next year
    rows = doc.BuildList(period());
    EXPECT_EQ(column(FieldDate), (std::vector<std::string>{"2021", "2022"}));
    EXPECT_EQ(column(FieldHits), (std::vector<std::string>{"2", "1"}));

    dateFormat("%m/%d/%y %H:%M");  // the build reloads the settings: now three groups
    rows = doc.BuildList(period());
    EXPECT_EQ(rows.size(), 3u);
    EXPECT_EQ(context.current.DateFormat, "%m/%d/%y %H:%M");
}

TEST_F(ListBuilder, DatesOfZeroShowNoDateInPlaytallyRows) {
    groupBy({FieldTitle});
    add({"A", "T", "", "", "", 1, 0, 10, 10});
    add({"A", "T", "", "", "", 1, 0, 10, 10});
    rows = doc.BuildList(period(INT_MIN, INT_MAX));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->cells[FieldDate], "");
    EXPECT_EQ(rows[0]->cells[FieldHits], "2");
    rows = doc.BuildList(period(1, INT_MAX));
    EXPECT_TRUE(rows.empty());
}

TEST_F(ListBuilder, MarksAreClearedAfterEveryBuild) {
    groupBy({FieldArtist});
    addSongs(5, k2201);
    doc.records()[2]->marked = 1;  // left behind by something else: never counted, then cleared
    rows = doc.BuildList(period());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0]->cells[FieldHits], "4");
    for (auto& record : doc.records()) EXPECT_EQ(record->marked, 0);
}

TEST_F(ListBuilder, WhenTheProgressWindowOpens) {
    struct Case {
        const char* what;
        bool logMode;
        int records;
        int topCount;  // 0: off
        bool showProgress, windowVisible, sheetOpen;
        bool opens;
        int upper;
    } cases[] = {
        {"log, no window on screen", true, 500, 0, false, false, false, false, 0},
        {"log, 100 rows", true, 100, 0, true, false, false, false, 0},
        {"log, 101 rows, asked for", true, 101, 0, true, false, false, true, 101},
        {"log, window visible", true, 101, 0, false, true, false, true, 101},
        {"log, settings open", true, 101, 0, false, false, true, true, 101},
        {"log, top 100 of 500", true, 500, 100, true, false, false, false, 0},
        {"log, top 150 of 500", true, 500, 150, true, false, false, true, 150},
        {"playtally, no window on screen", false, 500, 0, false, false, false, false, 0},
        {"playtally, 101 records", false, 101, 0, true, false, false, false, 0},
        {"playtally, 102 records", false, 102, 0, true, false, false, true, 102},
        {"playtally, window visible", false, 102, 0, false, true, false, true, 102},
        {"playtally, settings open", false, 102, 0, false, false, true, true, 102},
        {"playtally, top 5 counts 5", false, 300, 5, true, false, false, true, 5},
    };
    for (const Case& c : cases) {
        doc.store().replaceAll({});
        addSongs(c.records, k2201);
        progress.log = ProgressLog{};
        views.windowVisible = c.windowVisible;
        views.sheetOpen = c.sheetOpen;
        BuildListParams p = period();
        p.logMode = c.logMode;
        p.topOn = c.topCount > 0;
        p.topCount = c.topCount;
        p.showProgress = c.showProgress;
        rows = doc.BuildList(p);
        EXPECT_EQ(progress.log.shown, c.opens ? 1 : 0) << c.what;
        EXPECT_EQ(progress.log.created, progress.log.destroyed) << c.what << ": the window is closed at the end";
        if (!c.opens) continue;
        EXPECT_EQ(progress.log.text, "Generating Playtally Report...") << c.what;
        EXPECT_EQ(progress.log.lower, 0) << c.what;
        EXPECT_EQ(progress.log.upper, c.upper) << c.what;
    }
}

TEST_F(ListBuilder, PlaytallyProgressNeedsPlaysInThePeriodCountedFromTheNewest) {
    addSongs(150, k2201);
    add({"Old", "Old", "", "", "", 1, k2201 - 100, 1, 1});  // the newest play is before since
    BuildListParams p = period(k2201, INT_MAX);
    p.showProgress = true;
    rows = doc.BuildList(p);
    EXPECT_EQ(progress.log.shown, 0);
    EXPECT_EQ(rows.size(), 150u) << "the groups are still built";
}

TEST_F(ListBuilder, LogCancelKeepsTheRowsSoFar) {
    addSongs(200, k2201);
    add({"Late", "Late", "", "", "", 1, k2201 + 1000 * kMinute, 1, 1});  // after till: scanned, no row
    progress.log.cancelAtStep = 5;
    BuildListParams p = log(0, k2201 + 999 * kMinute);
    p.showProgress = true;
    rows = doc.BuildList(p);
    EXPECT_EQ(rows.size(), 5u);
    EXPECT_EQ(progress.log.upper, 200);
    EXPECT_EQ(progress.log.positions, (std::vector<int>{1, 2, 3, 4, 5})) << "records scanned before each row";
    EXPECT_EQ(progress.log.destroyed, 1);
    EXPECT_TRUE(messages.shown.empty()) << "a cancel is no failure";
}

TEST_F(ListBuilder, PlaytallyCancelKeepsTheGroupsCompletedSoFar) {
    groupBy({FieldTitle});
    addSongs(110, k2201 - 1000 * kMinute, "Old");  // before since: only there to pass 101 records
    // a: 3 plays, b: 2 plays, c: 1 play. Steps: a's two later plays, a; b's later play, b; c.
    const char* titles[] = {"a", "b", "a", "b", "c", "a"};
    for (int i = 0; i < 6; ++i) add({"X", titles[i], "", "", "", 1, k2201 + i, 1, 1});
    struct Case {
        int cancelAt;
        std::vector<std::string> titles;
    } cases[] = {
        {1, {}}, {2, {}}, {3, {"a"}}, {4, {"a"}}, {5, {"a", "b"}}, {6, {"a", "b", "c"}}, {7, {"a", "b", "c"}},
    };
    for (const Case& c : cases) {
        progress.log = ProgressLog{};
        progress.log.cancelAtStep = c.cancelAt;
        BuildListParams p = period(k2201, INT_MAX);
        p.showProgress = true;
        rows = doc.BuildList(p);
        EXPECT_EQ(column(FieldTitle), c.titles) << "cancel at step " << c.cancelAt;
        EXPECT_EQ(progress.log.upper, 6);
        EXPECT_EQ(progress.log.steps, std::min(c.cancelAt, 6));
        for (auto& record : doc.records()) EXPECT_EQ(record->marked, 0);
    }
}

TEST_F(ListBuilder, AFailureKeepsTheRowsSoFarAndReportsOnce) {
    groupBy({FieldTitle});
    addSongs(200, k2201);
    doc.records()[3]->marked = 1;
    for (bool logMode : {true, false}) {
        messages.shown.clear();
        progress.log = ProgressLog{};
        progress.log.throwAtStep = 4;
        BuildListParams p = period();
        p.logMode = logMode;
        p.showProgress = true;
        rows = doc.BuildList(p);
        EXPECT_EQ(rows.size(), logMode ? 4u : 0u);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].first, "Some error occured in Dozoderi Playtally plug-in.\nError generating report.");
        EXPECT_EQ(messages.shown[0].second, "GeneratingReportError");
        EXPECT_EQ(progress.log.destroyed, 1);
        for (auto& record : doc.records()) EXPECT_EQ(record->marked, 0);
    }
}

// The progress window pumps messages; the auto-save timer may trim the oldest records meanwhile,
// or a merge put plays between them.
TEST_F(ListBuilder, RecordsTrimmedOrMergedDuringTheBuildGiveTheRowsOfWhatIsThere) {
    groupBy({FieldTitle});
    for (int i = 0; i < 150; ++i) add({"X", "t" + std::to_string(i % 40), "", "", "", 1, k2201 + i, 10, 10});
    const std::function<void()> changes[] = {
        [&] { doc.store().keepNewest(doc.records().size() - 20); },
        [&] {
            struct NoDuplicates : IDuplicateRule {
                bool isDuplicate(const CTrackRecord&, const CTrackRecord*) override { return false; }
            } none;
            RecordArray one;
            one.push_back(makeRecord({"X", "t3", "", "", "", 1, k2201 + 29, 10, 10}));
            doc.store().mergeByDate(std::move(one), none);  // lands at position 30
        },
    };
    for (int run = 0; run < 4; ++run) {
        const bool logMode = run % 2 != 0;
        BuildListParams p = period();
        p.logMode = logMode;
        p.showProgress = true;
        progress.log = ProgressLog{};
        progress.log.onStep = [&](int step) {
            if (step == 3) changes[run / 2]();
        };
        std::vector<std::unique_ptr<CTrackRecord>> saved;
        for (auto& record : doc.records()) saved.push_back(std::make_unique<CTrackRecord>(*record));
        rows = doc.BuildList(p);
        ASSERT_GE(progress.log.steps, 3);
        const std::string built = describe(rows);

        p.showProgress = false;
        rows = doc.BuildList(p);
        EXPECT_EQ(built, describe(rows)) << (logMode ? "log" : "playtally")
                                                  << ": rows name the records as they are now";
        doc.store().replaceAll(std::move(saved));
    }
}

// What the pump runs may build rows of its own (a report, a window refreshing its list): each
// build gives its rows to its own caller.
TEST_F(ListBuilder, ABuildAskedForDuringABuildGivesEachCallerItsOwnRows) {
    groupBy({FieldTitle});
    for (int i = 0; i < 150; ++i) add({"X", "t" + std::to_string(i % 40), "", "", "", 1, k2201 + i, 10, 10});
    for (bool logMode : {false, true}) {
        BuildListParams p = period();
        p.logMode = logMode;
        p.showProgress = true;
        progress.log = ProgressLog{};
        RowArray nested;
        progress.log.onStep = [&](int step) {
            if (step != 2) return;
            BuildListParams other = log();
            other.topOn = true;
            other.topCount = 1;
            nested = doc.BuildList(other);
        };
        rows = doc.BuildList(p);
        ASSERT_EQ(nested.size(), 1u) << (logMode ? "log" : "playtally");
        EXPECT_EQ(nested[0]->recordIndex, 149);
        const std::string built = describe(rows);
        p.showProgress = false;
        EXPECT_EQ(built, describe(doc.BuildList(p))) << (logMode ? "log" : "playtally");
    }
}

// The list orders Date, Length and Played by the values behind them, so every row carries what its
// cells show: the play's own in Log mode, the group's (0 where its plays differ, Played summed) in
// Playtally mode. It finds its record again after the records moved.
TEST_F(ListBuilder, RowsCarryTheValuesOfTheirTimeCellsAndFindTheirRecordWhereverItWent) {
    groupBy({FieldArtist});
    add({"A", "t", "", "", "", 1, k2201, 200, 50});
    add({"A", "t", "", "", "", 1, k2201 + 5 * kMinute, 201, 70});
    add({"B", "u", "", "", "", 1, k2201 + 9 * kMinute, 300, 90});
    struct Case {
        const char* what;
        bool logMode;
        std::vector<std::array<std::int32_t, 3>> values;  // date, length, played per row
    } cases[] = {
        {"log", true, {{int(k2201 + 9 * kMinute), 300, 90}, {int(k2201 + 5 * kMinute), 201, 70}, {int(k2201), 200, 50}}},
        {"playtally", false, {{0, 0, 120}, {int(k2201 + 9 * kMinute), 300, 90}}},
    };
    for (const Case& c : cases) {
        rows = doc.BuildList(c.logMode ? log() : period());
        ASSERT_EQ(rows.size(), c.values.size()) << c.what;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            const CListRow& row = *rows[i];
            EXPECT_EQ((std::array<std::int32_t, 3>{row.date, row.length, row.played}), c.values[i]) << c.what << " row " << i;
            EXPECT_EQ(row.cells[FieldDate].empty(), row.date == 0) << c.what << " row " << i;
        }
    }

    // Log rows of the three plays; the oldest play then leaves (as a trimming save takes it).
    rows = doc.BuildList(log());
    const std::uint32_t builtAt = doc.recordsGeneration();
    EXPECT_EQ(doc.RecordOfRow(*rows[0], builtAt), 2);
    doc.store().keepNewest(doc.records().size() - 1);
    EXPECT_EQ(doc.RecordOfRow(*rows[0], builtAt), 1) << "the newest play, one place down";
    EXPECT_EQ(doc.RecordOfRow(*rows[1], builtAt), 0);
    EXPECT_EQ(doc.RecordOfRow(*rows[2], builtAt), -1) << "its play is gone";
}

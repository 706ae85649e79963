// What a row adds up to (first and last play, time heard), the ranking by time heard, the plays
// kept out of the rankings, and the report's tags for them.
#include <gtest/gtest.h>

#include <climits>

#include "core/ListRow.h"
#include "core/TimeFormat.h"
#include "report/ItemTemplate.h"
#include "tests/native/ListBuilderFixture.h"

using namespace listtest;

namespace {

constexpr TimeValue kStart = 1614895260;  // 2021-03-04 22:01:00 UTC (tests run with TZ=UTC)

struct RowTimes : ::testing::Test, ListFixture {
    RowTimes() {
        groupBy({FieldArtist, FieldTitle});
        dateFormat("%Y-%m-%d %H:%M");
        add({"A", "One", "", "", "", 255, kStart + 600, 200, 100});
        add({"B", "Long", "", "", "", 255, kStart + 700, 900, 900});
        add({"A", "One", "", "", "", 255, kStart, 200, -5});  // imported out of order; a damaged time
        add({"A", "One", "", "", "", 255, kStart + 3600, 200, 150});
        doc.store().append(makeRecord({"Reader", "Chapter", "", "", "", 255, kStart + 60, 3000, 3000},
                                         "D:\\Audiobooks\\book.mp3"));
    }
    RowArray build(bool logMode, bool rankByHeard = false, bool showKeptOut = false) {
        BuildListParams p;
        p.till = INT_MAX;
        p.logMode = logMode;
        p.rankByHeard = rankByHeard;
        p.showKeptOut = showKeptOut;
        return doc.BuildList(p);
    }
    static std::string times(const RowArray& rows) {
        std::string out;
        for (const auto& row : rows)
            out += row->cells[FieldArtist] + " " + rowColumnText(*row, ColumnFirst, "%H:%M") + " " +
                   rowColumnText(*row, ColumnLast, "%H:%M") + " " + rowColumnText(*row, ColumnHeard, "") +
                   (row->keptOut ? " kept out" : "") + "\n";
        return out;
    }
};

TEST_F(RowTimes, GroupsAddUpFirstLastAndHeard) {
    EXPECT_EQ(times(build(false)), "A 22:01 23:01 00:04:10\nB 22:12 22:12 00:15:00\nReader 22:02 22:02 00:50:00\n");
    EXPECT_EQ(times(build(false, true)), "Reader 22:02 22:02 00:50:00\nB 22:12 22:12 00:15:00\nA 22:01 23:01 00:04:10\n");
}

TEST_F(RowTimes, KeptOutPlaysLeaveTheRankingsAndAreMarkedInTheLog) {
    profile.writeString(sectionGeneral(), "KeepOutOfRankings", "path\t\\audiobooks\\\n");
    EXPECT_EQ(times(build(false)), "A 22:01 23:01 00:04:10\nB 22:12 22:12 00:15:00\n");
    const RowArray shown = build(true, false, true);
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_TRUE(shown[0]->keptOut);
    EXPECT_EQ(shown[0]->cells[FieldNumber], "1");
    EXPECT_EQ(build(true).size(), 4u);  // the report's log
    profile.writeString(sectionGeneral(), "KeepOutOfRankings", "");
    EXPECT_NE(times(build(false)).find("Reader"), std::string::npos);  // without the rule it counts again
}

TEST(RowTimeTags, FirstLastAndHeardInTheItem) {
    CListRow row;
    row.cells[FieldArtist] = "<A>";
    row.firstDate = kStart;
    row.lastDate = kStart + 86400;
    row.heard = 90061;  // a day, an hour, a minute and a second
    CItemTemplate item("#artist #first/#last #heard #heardx", true, "%d.%m. %H:%M");
    EXPECT_EQ(item.fill(row), "&lt;A&gt; 04.03. 22:01/05.03. 22:01 1d 01:01:01 1d 01:01:01x");
    EXPECT_EQ(formatHeard(86399), "23:59:59");
    EXPECT_EQ(formatHeard(-3), "00:00:00");
}

}  // namespace

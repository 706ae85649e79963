// The statistics page: every figure in a cell of its own, values escaped, nothing that runs or
// reaches outside the file.
#include <gtest/gtest.h>

#include "database/ListeningStats.h"
#include "database/PlayExclusion.h"
#include "report/StatisticsPage.h"
#include "tests/native/PageCells.h"
#include "tests/native/StatsSupport.h"

using namespace statstest;
using pagetest::tableAfter;
using Rows = std::vector<std::vector<std::string>>;

namespace {

const TimeValue kNow = utc(2026, 3, 15, 12);

std::string pageOf(const std::vector<Play>& plays) {
    RecordArray records;
    for (const Play& play : plays) addPlay(records, play);
    return buildStatisticsPage(computeListeningStats(records, ExclusionRules(), kNow), "03/15/26 12:00");
}

const std::vector<Play> kPlays = {
    {"<b>Tom & \"Jerry\"</b>", "Song <1>", "Album", utc(2025, 12, 31, 23, 30), 3600},
    {"Zed", "Other", "", utc(2026, 3, 14, 9, 15), 125},
    {"Zed", "Other", "", utc(2026, 3, 14, 9, 50), 125},
};

TEST(StatisticsPage, FiguresInCellsOfTheirOwn) {
    const std::string page = pageOf(kPlays);
    EXPECT_EQ(tableAfter(page, "Periods"),
              (Rows{{"Last 7 days", "this period", "2", "00:04:10", "1", "1", "0"},
                    {"the period before", "0", "00:00:00", "0", "0", "0"},
                    {"Last 30 days", "this period", "2", "00:04:10", "1", "1", "0"},
                    {"the period before", "0", "00:00:00", "0", "0", "0"},
                    {"Last 365 days", "this period", "3", "01:04:10", "2", "2", "1"},
                    {"the period before", "0", "00:00:00", "0", "0", "0"},
                    {"All time", "this period", "3", "01:04:10", "2", "2", "1"}}));
    const Rows years = tableAfter(page, "Years");
    ASSERT_EQ(years.size(), 2u);
    EXPECT_EQ(years[0][0], "2025");
    EXPECT_EQ(years[0][2], "00:30:00");  // the half hour before midnight
    EXPECT_EQ(years[1][2], "00:34:10");
    const Rows grid = tableAfter(page, "Time heard by hour and weekday");
    ASSERT_EQ(grid.size(), 24u);
    EXPECT_EQ(grid[9], (std::vector<std::string>{"09:00", "00:00:00", "00:00:00", "00:00:00", "00:00:00", "00:00:00",
                                                 "00:04:10", "00:00:00"}));
    EXPECT_EQ(tableAfter(page, "Artists by time heard"), (Rows{{"1", "Zed", "2", "00:04:10"}}));  // the last 7 days
    EXPECT_EQ(tableAfter(page, "Top artists of 2025"), (Rows{{"1", "<b>Tom & \"Jerry\"</b>", "1", "01:00:00"}}));
    EXPECT_EQ(tableAfter(page, "The year 2025 in review")[0],
              (std::vector<std::string>{"2025", "1", "01:00:00", "1", "1", "1", "1", "2025-12-31", "1", "00:30:00"}));
}

TEST(StatisticsPage, SelfContainedAndEscaped) {
    const std::string page = pageOf(kPlays);
    for (const char* banned : {"<script", "<b>Tom", "Song <1>", "http:", "https:", "src=", "url(", "@import", "<link"})
        EXPECT_EQ(page.find(banned), std::string::npos) << banned;
    EXPECT_NE(page.find("&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;"), std::string::npos);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<style>"), std::string::npos);
}

TEST(StatisticsPage, TextsOfTheCodePageAreWrittenAsUtf8) {
    const std::string page = pageOf({{"Bj\xF6rk", "J\xF3ga", "Homogenic", kNow - 3600, 300}});
    EXPECT_NE(page.find("Bj\xC3\xB6rk"), std::string::npos);
}

TEST(StatisticsPage, AnEmptyDatabaseStillGivesAWholePage) {
    const std::string page = pageOf({});
    EXPECT_EQ(tableAfter(page, "The last 31 days").size(), 31u);
    EXPECT_TRUE(tableAfter(page, "Months").empty());
    EXPECT_NE(page.find("</html>"), std::string::npos);
}

}  // namespace

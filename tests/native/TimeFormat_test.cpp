#include <gtest/gtest.h>

#include "core/PeriodStart.h"
#include "core/TimeFormat.h"

// The tests run with TZ=UTC.
TEST(FormatDate, CodesLiteralsAndInvalidCodes) {
    const TimeValue t = 1700000000;  // 2023-11-14 22:13:20 UTC
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"%m/%d/%y %H:%M", "11/14/23 22:13"},
        {"%Y-%m-%d %H:%M:%S", "2023-11-14 22:13:20"},
        {"", ""},
        {"plain", "plain"},
        {"100%%", "100%"},
        {"%Q", "%Q"},           // unknown code: written as it stands
        {"%Y %", "2023 %"},     // a lone percent at the end
        {"%#d", "%#d"},         // a flag only one runtime knows
        {"%%%Q%Y", "%%Q2023"},
        {"%j %U %W %w", "318 46 46 2"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatDate(t, c.format), c.expected) << c.format;
}

TEST(FormatDate, LongResultsAreNotCut) {
    std::string format;
    for (int i = 0; i < 300; ++i) format += "%Y-";
    std::string text = formatDate(0, format);
    EXPECT_EQ(text.size(), 300u * 5);
    EXPECT_EQ(text.substr(0, 5), "1970-");
}

TEST(FormatDuration, HoursModuloADay) {
    struct Case {
        std::int32_t seconds;
        const char* expected;
    } cases[] = {{0, "00:00:00"},     {59, "00:00:59"},        {3661, "01:01:01"}, {86399, "23:59:59"},
                 {86400, "00:00:00"}, {25 * 3600, "01:00:00"}, {-5, "-00:00:05"}};
    for (const Case& c : cases) EXPECT_EQ(formatDuration(c.seconds), c.expected) << c.seconds;
}

// TZ=UTC in the tests: the beginning is 1990-01-01 01:01:01 UTC.
TEST(PeriodStart, EachSpanCountsBackFromTheEndAndAnyOtherIsTheBeginning) {
    const TimeValue end = 1709649000;
    const struct {
        int span;
        TimeValue start;
    } cases[] = {{0, 631155661},          {1, end - 86400},       {2, end - 7 * 86400},
                 {3, end - 31 * 86400},   {4, end - 356 * 86400}, {-1, 631155661}, {5, 631155661}};
    for (const auto& c : cases) EXPECT_EQ(periodStart(c.span, end), c.start) << c.span;
}

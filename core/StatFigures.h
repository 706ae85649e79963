// The figures of the statistics page, as the database computes them and the report writes them.
// Texts are UTF-8.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Clock.h"

struct StatFigures {
    std::int64_t plays = 0;
    std::int64_t heard = 0;  // seconds
    std::int32_t tracks = 0;   // distinct artist and title
    std::int32_t artists = 0;  // distinct non-empty artists
    std::int32_t albums = 0;   // distinct non-empty albums, told apart by artist
    bool operator==(const StatFigures& o) const {
        return plays == o.plays && heard == o.heard && tracks == o.tracks && artists == o.artists && albums == o.albums;
    }
};

// One line of a top list. Texts are the first spelling met (letter case does not tell entries
// apart), as UTF-8; `name` is the album or the title ("" in a list of artists).
struct TopEntry {
    std::string artist;
    std::string name;
    std::int64_t plays = 0;
    std::int64_t heard = 0;
};

struct TopLists {
    std::vector<TopEntry> byHeard;  // most heard first; ties by plays, then by name
    std::vector<TopEntry> byPlays;  // most plays first; ties by time heard, then by name
};

enum StatPeriod { StatWeek, StatMonth, StatYear, StatAllTime, kStatPeriodCount };

struct PeriodStats {
    StatFigures current;   // plays with now - length < date <= now; all time: every play
    StatFigures previous;  // the same length before (none for all time)
    TopLists artists, albums, tracks;
};

// One bar of the activity charts: a day, a week (from its Monday), a month or a year.
struct ActivityBar {
    int year = 0, month = 1, day = 1;  // the first day of the bar
    std::int64_t plays = 0;
    std::int64_t heard = 0;
};

struct YearReview {
    int year = 0;
    StatFigures figures;
    std::vector<TopEntry> topArtists;  // by time heard
    std::vector<TopEntry> topTracks;   // by time heard
    std::int32_t newArtistCount = 0;   // artists whose first play falls in this year
    std::vector<TopEntry> newArtists;  // the most heard of them, by time heard that year
    ActivityBar busiestDay;            // the day with the most time heard (the earliest of equals)
};

struct ListeningStats {
    TimeValue now = 0;
    std::int64_t excludedPlays = 0;  // stored plays the rules keep out
    std::array<PeriodStats, kStatPeriodCount> periods;
    std::vector<ActivityBar> days;    // the last 31 days, oldest first, today last
    std::vector<ActivityBar> weeks;   // the last 52 weeks (Monday to Sunday), this week last
    std::vector<ActivityBar> months;  // every month from the first play's to this one
    std::vector<ActivityBar> years;   // every year from the first play's to this one
    std::array<std::array<std::int64_t, 24>, 7> heardByWeekdayHour{};  // Monday first, local hours
    std::vector<YearReview> reviews;  // each year with plays, newest first
};


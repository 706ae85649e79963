// Local calendar days and hours of points in time, for figures that are counted per day, week,
// month, year and hour of the local clock. Days with a daylight saving change are 23 or 25 hours
// long; every other day is worked out once and its hours by arithmetic, so that a pass over many
// plays (mostly in date order) asks the C library about each day only once.
#pragma once
#include <cstdint>

#include "core/Clock.h"

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (month 1 to 12).
std::int32_t civilDayNumber(int year, int month, int day);
// The weekday of a day number, Monday 0 to Sunday 6.
int weekdayOfDay(std::int32_t dayNumber);
// The date of a day number.
void civilDate(std::int32_t dayNumber, int& year, int& month, int& day);

struct LocalDay {
    std::int64_t start = 0;  // the first second of the local day
    std::int64_t end = 0;    // the first second of the next local day
    std::int32_t number = 0; // civilDayNumber of its date
    int year = 1970;
    int month = 1;           // 1 to 12
    int mday = 1;
};

class CLocalCalendar {
public:
    // The local day that holds `time`.
    const LocalDay& dayOf(std::int64_t time);
    // The local hour (0 to 23) of `time` and the first second of the next local hour (at most the
    // end of its day).
    int hourOf(std::int64_t time, std::int64_t& nextHour);

private:
    LocalDay day_;
    bool valid_ = false;
    void load(std::int64_t time);
};

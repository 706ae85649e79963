#include "database/LocalCalendar.h"

#include <ctime>

namespace {

bool localTime(std::int64_t time, std::tm& out) {
#ifdef _WIN32
    __time64_t t = time;
    return _localtime64_s(&out, &t) == 0;
#else
    std::time_t t = static_cast<std::time_t>(time);
    return localtime_r(&t, &out) != nullptr;
#endif
}

// The first second of a local date's day: midnight, or the first second that exists when the
// clock jumps over midnight.
std::int64_t startOfLocalDate(int year, int month, int mday) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = mday;
    tm.tm_isdst = -1;
#ifdef _WIN32
    return static_cast<std::int64_t>(_mktime64(&tm));
#else
    return static_cast<std::int64_t>(std::mktime(&tm));
#endif
}

constexpr std::int64_t kDay = 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

// Howard Hinnant's days_from_civil and civil_from_days.
std::int32_t civilDayNumber(int year, int month, int day) {
    const int y = year - (month <= 2);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilDate(std::int32_t dayNumber, int& year, int& month, int& day) {
    const std::int32_t z = dayNumber + 719468;
    const std::int32_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int32_t doe = z - era * 146097;
    const std::int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int32_t mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2);
}

int weekdayOfDay(std::int32_t dayNumber) {
    // 1970-01-01 was a Thursday (3 counting from Monday).
    return static_cast<int>(((static_cast<std::int64_t>(dayNumber) + 3) % 7 + 7) % 7);
}

void CLocalCalendar::load(std::int64_t time) {
    std::tm tm{};
    if (!localTime(time, tm)) {
        // A time the system cannot show locally: its UTC day stands in.
        day_.start = floorDiv(time, kDay) * kDay;
        day_.end = day_.start + kDay;
        day_.number = static_cast<std::int32_t>(day_.start / kDay);
        civilDate(day_.number, day_.year, day_.month, day_.mday);
        valid_ = true;
        return;
    }
    day_.year = tm.tm_year + 1900;
    day_.month = tm.tm_mon + 1;
    day_.mday = tm.tm_mday;
    day_.number = civilDayNumber(day_.year, day_.month, day_.mday);
    day_.start = startOfLocalDate(day_.year, day_.month, day_.mday);
    int y, m, d;
    civilDate(day_.number + 1, y, m, d);
    day_.end = startOfLocalDate(y, m, d);
    // mktime may fail or disagree at the edges of what the system can show: keep the day sane.
    const std::int64_t intoDay = tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
    if (day_.start == -1 || day_.start > time || time - day_.start > 26 * 3600) day_.start = time - intoDay;
    if (day_.end == -1 || day_.end <= time || day_.end - day_.start > 26 * 3600) day_.end = day_.start + kDay;
    valid_ = true;
}

const LocalDay& CLocalCalendar::dayOf(std::int64_t time) {
    if (!valid_ || time < day_.start || time >= day_.end) load(time);
    return day_;
}

int CLocalCalendar::hourOf(std::int64_t time, std::int64_t& nextHour) {
    const LocalDay& day = dayOf(time);
    if (day.end - day.start == kDay) {
        const int hour = static_cast<int>((time - day.start) / 3600);
        nextHour = day.start + (hour + 1) * 3600;
        return hour;
    }
    // A day with a clock change: the library tells the hour.
    std::tm tm{};
    if (!localTime(time, tm)) {
        nextHour = time + 3600 - (time % 3600 + 3600) % 3600;
        return static_cast<int>(((time % kDay) + kDay) % kDay / 3600);
    }
    nextHour = time + 3600 - (tm.tm_min * 60 + tm.tm_sec);
    if (nextHour > day.end) nextHour = day.end;
    return tm.tm_hour;
}

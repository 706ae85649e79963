#include "core/PeriodStart.h"

#include <ctime>

namespace {
constexpr TimeValue kDay = 24 * 60 * 60;
}  // namespace

TimeValue periodStart(int span, TimeValue end) {
    switch (span) {
    case 1: return end - kDay;
    case 2: return end - 7 * kDay;
    case 3: return end - 31 * kDay;
    case 4: return end - 356 * kDay;
    default: {
        std::tm beginning{};
        beginning.tm_year = 90;
        beginning.tm_mon = 0;
        beginning.tm_mday = 1;
        beginning.tm_hour = 1;
        beginning.tm_min = 1;
        beginning.tm_sec = 1;
        beginning.tm_isdst = -1;
        return static_cast<TimeValue>(std::mktime(&beginning));
    }
    }
}

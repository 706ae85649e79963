#include "report/AutoPublish.h"

#include <ctime>

#include "plugin/AppContext.h"
#include "plugin/Profile.h"
#include "plugin/Settings.h"
#include "plugin/Timer.h"

namespace {

const char* const kYearKey = "Year (AutoPublish)";
const char* const kMonthKey = "Month (AutoPublish)";
const char* const kDayKey = "Day (AutoPublish)";
const char* const kHourKey = "Hour (AutoPublish)";
const char* const kMinuteKey = "Minute (AutoPublish)";

bool toLocal(TimeValue time, std::tm& out) {
#ifdef _WIN32
    __time64_t t = time;
    return _localtime64_s(&out, &t) == 0;
#else
    std::time_t t = time;
    return localtime_r(&t, &out) != nullptr;
#endif
}

TimeValue fromLocal(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return static_cast<TimeValue>(std::mktime(&local));
}

}  // namespace

int autoPublishPeriod(int every) {
    static const int kPeriods[] = {
        3600,      // hour
        86400,     // day
        604800,    // week
        2592000,   // month: 30 days
        30672000,  // year: 355 days
    };
    return every >= 0 && every < 5 ? kPeriods[every] : kPeriods[2];
}

TimeValue loadLastAutoPublish(IProfile& profile) {
    const std::string main = sectionMain();
    int year = profile.getInt(main, kYearKey, 1980);
    int month = profile.getInt(main, kMonthKey, 1);
    int day = profile.getInt(main, kDayKey, 1);
    int hour = profile.getInt(main, kHourKey, 1);
    int minute = profile.getInt(main, kMinuteKey, 1);
    // Odd values (a year outside what the time type holds, month 0) give the default, so that a
    // damaged entry leads to a publication rather than to none for decades.
    bool plausible = year >= 1971 && year <= 2037 && month >= 1 && month <= 12 && day >= 1 && day <= 31 &&
                     hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
    if (!plausible) return fromLocal(1980, 1, 1, 1, 1);
    TimeValue time = fromLocal(year, month, day, hour, minute);
    return time == -1 ? fromLocal(1980, 1, 1, 1, 1) : time;
}

void saveLastAutoPublish(IProfile& profile, TimeValue time) {
    std::tm local{};
    if (!toLocal(time, local)) return;
    const std::string main = sectionMain();
    profile.writeInt(main, kYearKey, local.tm_year + 1900);
    profile.writeInt(main, kMonthKey, local.tm_mon + 1);
    profile.writeInt(main, kDayKey, local.tm_mday);
    profile.writeInt(main, kHourKey, local.tm_hour);
    profile.writeInt(main, kMinuteKey, local.tm_min);
}

void autoPublishCheck(AppContext& context, ITimer& timer, TimeValue& lastAutoPublish,
                      const std::function<void()>& publish) {
    const TimeValue now = context.clock->now();
    const PublishSettings publishing = loadPublishSettings(*context.profile, now);
    const GeneralSettings general = context.readSettings();
    timer.stop();
    if (!publishing.AutoPublish || general.Disable) return;
    timer.start();
    if (static_cast<long long>(now) - lastAutoPublish < autoPublishPeriod(publishing.Every)) return;
    // Set first: a publication that fails still counts for the schedule.
    lastAutoPublish = now;
    if (publish) publish();
}

#include "report/AutoPublish.h"

#include "core/AppContext.h"
#include "core/Settings.h"
#include "core/Timer.h"

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

void autoPublishCheck(AppContext& context, ITimer& timer, TimeValue& lastAutoPublish,
                      const std::function<void()>& publish) {
    const TimeValue now = context.clock.now();
    const PublishSettings publishing = loadPublishSettings(context.profile, now);
    const GeneralSettings general = context.readSettings();
    timer.stop();
    if (!publishing.AutoPublish || general.Disable) return;
    timer.start();
    if (static_cast<long long>(now) - lastAutoPublish < autoPublishPeriod(publishing.Every)) return;
    // Set first: a publication that fails still counts for the schedule.
    lastAutoPublish = now;
    if (publish) publish();
}

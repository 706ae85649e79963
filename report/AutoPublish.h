// Automatic publishing: once a minute, while "AutoPublish" is on, the report is published when
// the "Every" period has passed since the last automatic publication.
#pragma once
#include <functional>

#include "core/Clock.h"

struct AppContext;
class ITimer;

// The period of the check's timer (a thread timer on Windows, report/win/ThreadTimer).
constexpr unsigned kAutoPublishCheckMs = 60000;

// Seconds of an "Every" choice: an hour, a day, a week, 30 days, 355 days.
int autoPublishPeriod(int every);

// The check itself, run at start-up, after the settings change and on every tick of `timer`:
// kills the timer, and unless auto-publishing is off (or the plug-in disabled) starts it again
// and, when the period has passed, sets `lastAutoPublish` to now and then calls `publish`.
// The application keeps `lastAutoPublish` (and stores it in section "Main").
void autoPublishCheck(AppContext& context, ITimer& timer, TimeValue& lastAutoPublish,
                      const std::function<void()>& publish);

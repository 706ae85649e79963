#include "core/Clock.h"

#include <ctime>

TimeValue SystemClock::now() { return static_cast<TimeValue>(std::time(nullptr)); }

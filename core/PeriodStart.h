// Where a period of the "Last:" choices starts: the window's list and the report use the same.
#pragma once
#include "core/Clock.h"

// The start of the period `span` ending at `end`: 1 a day, 2 a week, 3 31 days, 4 356 days (as the
// plug-in has always counted a year); 0, or any other number, since the beginning (1 January 1990,
// 01:01:01 local time).
TimeValue periodStart(int span, TimeValue end);

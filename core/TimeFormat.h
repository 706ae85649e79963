// Texts of dates and durations, shared by the track record, the list and the report.
#pragma once
#include <cstdint>
#include <string>

#include "core/Clock.h"

// The local time of `time` in the C library's time-formatting codes. Only the codes every C
// runtime knows are passed on (a A b B c d H I j m M p S U w W x X y Y z Z %); any other code, and a
// lone "%" at the end, is written as it stands, so a mistyped format shows itself instead of
// failing. An empty format, or a time the system cannot show in local time, gives "".
std::string formatDate(TimeValue time, const std::string& format);

// "HH:MM:SS" of a duration in seconds; whole days are not shown (hours are taken modulo 24).
// A negative duration is shown as "-" and the text of its size.
std::string formatDuration(std::int32_t seconds);

// A time heard, which may add up to days: "HH:MM:SS" below a day, "<days>d HH:MM:SS" from there on
// (a day and an hour read "1d 01:00:00"). Negative values read as 0.
std::string formatHeard(std::int64_t seconds);

// What the plays add up to: the figures of the statistics page, computed in one pass over the
// records. Plays that the user's rules keep out of the rankings are left out of every figure.
//
// A play counts, with all it was heard, towards the period and the year in which it started; the
// activity bars and the hour by weekday grid take it as heard from its start for its played
// seconds, so a play across midnight (or across an hour) gives each day (each hour) its share of
// the time heard, while its play counts on the day and in the hour it started.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/StatFigures.h"
#include "database/Doc.h"

class ExclusionRules;

// The length of the rolling periods that end now: 7, 30 and 365 days.
std::int64_t statPeriodSeconds(StatPeriod period);

// Every figure of the statistics page at `now`, local time by the C library's time zone. Top lists
// hold at most `topCount` entries. Negative played times count as nothing heard.
ListeningStats computeListeningStats(const RecordArray& records, const ExclusionRules& rules, TimeValue now,
                                     std::size_t topCount = 10);

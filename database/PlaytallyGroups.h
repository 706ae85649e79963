// The grouping of the ranked mode in one pass: the plays inside a period, gathered into the groups
// that the grouping test (CTrackRecord::IsSameGroup) makes of them.
#pragma once
#include <cstdint>
#include <vector>

#include "database/Doc.h"
#include "core/Settings.h"

// One group as the ranked mode keeps it while working.
struct PlayGroup {
    std::int32_t first = 0;     // position in records of the play that started the group
    std::int32_t hits = 1;      // plays in the group
    std::uint32_t played = 0;   // summed played time, wrapping around as 32-bit arithmetic does
    std::uint16_t cleared = 0;  // bit per field id: the plays disagree with the first play's text
    TimeValue firstDate = 0;    // the earliest and the latest play of the group
    TimeValue lastDate = 0;
    std::int64_t heard = 0;     // played seconds summed without wrapping, negatives as 0
};

// The groups of the plays with since <= date <= till that are not marked, in the order of their
// first plays. Marked plays are left out and their marks cleared: afterwards no record is marked. A play joins the group of the first earlier such play that is in the same group by
// the GroupPlaytallyBy flags and DateFormat of `settings`, and a group's cleared bits name the
// fields among Date, Length, Artist, Title, Album, Year, Genre and Comment whose text (exact bytes)
// differs between any of its plays and its first play.
//
// The grouping test is an equivalence (texts and formatted dates compared through their case
// folds, numbers and the genre byte exactly), so the groups are its classes and each play is
// placed by a hash lookup of its grouping key instead of a comparison with every group. Cost: one
// pass over the records, a lookup per play, a date text per group and per play whose date value
// differs from its group's first play until the group's date is known to differ.
// Plays that the rules in "KeepOutOfRankings" of `settings` keep out join no group.
std::vector<PlayGroup> collectPlayGroups(const RecordArray& records, const GeneralSettings& settings,
                                         TimeValue since, TimeValue till);

// The fields whose text a group compares with its first play.
constexpr int kComparedFields[] = {FieldDate, FieldLength, FieldArtist, FieldTitle,
                                   FieldAlbum, FieldYear, FieldGenre, FieldComment};

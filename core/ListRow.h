// One row of the list or the report: the cell texts by field id, the record it stands for, and the
// values the time columns sort by.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FieldId.h"

class CListRow {
public:
    std::array<std::string, kFieldCount> cells;  // indexed by field id
    std::int32_t recordIndex = -1;               // position in records of the record it stands for
    std::uint64_t recordIdentity = 0;            // that record's identity, which stays with it
    // The values behind the Date, Length and Played cells (seconds since 1970, seconds): the list
    // orders those columns by them, since their texts follow "DateFormat" and need not read back.
    std::int32_t date = 0;
    std::int32_t length = 0;
    std::int32_t played = 0;
    // The first and the last play of the row's group (the play itself in Log mode), and the sum of
    // the seconds heard (negative played times count as 0). Their texts are made when shown.
    std::int32_t firstDate = 0;
    std::int32_t lastDate = 0;
    std::int64_t heard = 0;
    // Log mode: the user's rules keep this play out of the rankings.
    bool keptOut = false;
    virtual ~CListRow() = default;
};

// The text of a row's column: a field's cell, or First and Last in `dateFormat` and Heard as time
// heard with days.
std::string rowColumnText(const CListRow& row, int column, const std::string& dateFormat);

// Rows in display order; the array owns them.
using RowArray = std::vector<std::unique_ptr<CListRow>>;

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
    virtual ~CListRow() = default;
};

// Rows in display order; the array owns them.
using RowArray = std::vector<std::unique_ptr<CListRow>>;

// One row of the list or the report, and the working group of the ranked mode.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "database/TrackRecord.h"
#include "plugin/Settings.h"

class CListRow {
public:
    std::array<std::string, kFieldCount> cells;  // indexed by field id
    std::int32_t recordIndex = -1;               // position in records of the record it stands for
    virtual ~CListRow() = default;
};

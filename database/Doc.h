// The database document: every stored play, and the rows the list builder makes of them.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "database/ListRow.h"
#include "database/TrackRecord.h"

struct AppContext;

using RecordArray = std::vector<std::unique_ptr<CTrackRecord>>;
using RowArray = std::vector<std::unique_ptr<CListRow>>;

class CDoc {
public:
    explicit CDoc(AppContext& context) : context_(context) {}
    virtual ~CDoc() = default;
    CDoc(const CDoc&) = delete;
    CDoc& operator=(const CDoc&) = delete;

    AppContext& context() { return context_; }

    RecordArray records;   // oldest first; owns its records
    RowArray groupRows;    // output of the list builder; owns its rows

    // --- Track record core (Doc.cpp) ---
    // Stores a copy of a finished play when the storing rules allow it; true when stored.
    bool AddTrack(const CTrackRecord& pending);
    // The grouping test with the application's current settings copy.
    bool IsSameGroup(const CTrackRecord& a, const CTrackRecord& b) const;
    void ClearGroupRows();

    // --- Database file (DocFile.cpp) ---

    // --- List builder (ListBuilder.cpp) ---

private:
    AppContext& context_;
};

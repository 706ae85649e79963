// The list builder: the rows of Log mode (single plays, newest first) and of Playtally mode
// (groups ranked by hits) for a period and a top count.
#include <cstddef>
#include <limits>
#include <string>

#include "database/Doc.h"
#include "database/HitRanking.h"
#include "database/ListRow.h"
#include "database/PlaytallyGroups.h"
#include "database/Progress.h"
#include "plugin/AppContext.h"
#include "plugin/Messages.h"
#include "resources/StringTable.h"

namespace {

constexpr int kProgressTextId = 1010;   // "Generating Playtally Report..."
constexpr int kBuildErrorTextId = 1036;
const char* const kBuildErrorKey = "GeneratingReportError";
// Log mode opens the progress window for more rows than this; Playtally mode for more records.
constexpr int kLogProgressRows = 100;
constexpr std::size_t kPlaytallyProgressRecords = 101;

bool progressMayOpen(const AppContext& context, const BuildListParams& params) {
    if (!context.progress) return false;
    if (params.showProgress) return true;
    return context.views && (context.views->playtallyWindowVisible() || context.views->settingsSheetOpen());
}

// The rows a scan from the newest play would give: it stops at the first play older than since
// and, with a top count, once the count is reached; plays after till are not counted. Its cost is
// that of the scan itself, never more than the rows plus the plays after till.
int countRowsToCome(const RecordArray& records, const BuildListParams& params) {
    int count = 0;
    for (std::size_t i = records.size(); i-- > 0;) {
        if (params.topOn && count >= params.topCount) break;
        const TimeValue date = records[i]->date;
        if (date < params.since) break;
        if (date <= params.till) ++count;
    }
    return count;
}

std::size_t rowLimit(const BuildListParams& params) {
    return params.topOn ? static_cast<std::size_t>(params.topCount) : std::numeric_limits<std::size_t>::max();
}

std::unique_ptr<CListRow> makeGroupRow(const CGroupRecord& group, int position, const std::string& dateFormat) {
    auto row = std::make_unique<CListRow>();
    row->cells[FieldNumber] = std::to_string(position + 1);
    row->cells[FieldDate] = group.IsFieldEmpty(FieldDate) ? std::string() : group.GetFieldText(FieldDate, dateFormat);
    row->cells[FieldHits] = std::to_string(group.GetHits());
    for (int id = FieldLength; id < kFieldCount; ++id) row->cells[id] = group.GetFieldText(id, dateFormat);
    row->recordIndex = group.firstIndex;
    return row;
}

void buildLogRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress);
void buildPlaytallyRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress);

}  // namespace

void CDoc::BuildList(const BuildListParams& params) {
    ClearGroupRows();
    if (params.topOn && params.topCount < 1) return;
    if (params.till < params.since) return;

    std::unique_ptr<IProgress> progress;
    try {
        if (params.logMode) {
            buildLogRows(*this, params, progress);
        } else {
            buildPlaytallyRows(*this, params, progress);  // leaves no record marked
        }
        progress.reset();
    } catch (...) {
        // The rows emitted so far stay; nothing else of the build may outlive it.
        for (auto& record : records) record->marked = 0;
        progress.reset();
        if (context_.messages) context_.messages->showMessage(loadString(kBuildErrorTextId), kBuildErrorKey);
    }
}

// Newest first; the counter numbers the rows without gaps. Only the plays down to the last row
// (and the ones after till among them) are looked at.
namespace {

void buildLogRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress) {
    AppContext& context = doc.context();
    const RecordArray& records = doc.records;
    if (progressMayOpen(context, params)) {
        const int count = countRowsToCome(records, params);
        if (count > kLogProgressRows) {
            progress = context.progress->create();
            progress->Show(loadString(kProgressTextId), 0, count);
        }
    }
    const std::string dateFormat = context.readSettings().DateFormat;
    const std::size_t total = records.size();
    int counter = 0;
    for (std::size_t i = total; i-- > 0;) {
        if (params.topOn && counter >= params.topCount) break;
        const CTrackRecord& record = *records[i];
        if (record.date < params.since) break;
        if (record.date > params.till) continue;
        ++counter;
        auto row = std::make_unique<CListRow>();
        for (int id = 0; id < kFieldCount; ++id) row->cells[id] = record.GetFieldText(id, dateFormat);
        row->cells[FieldNumber] = std::to_string(counter);
        row->recordIndex = static_cast<std::int32_t>(i);
        doc.groupRows.push_back(std::move(row));
        // The bar shows how many records were scanned before this one.
        if (progress && progress->Advance(static_cast<int>(total - 1 - i))) break;
    }
}

// Groups, then their ranking, then the rows. The groups come out of one hashed pass (see
// PlaytallyGroups.h); the progress window still advances once per play that joins a group, group
// after group, and a cancel keeps exactly the groups that were complete at that step: the
// window sees the same steps as when each group was gathered by scanning the later plays.
void buildPlaytallyRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress) {
    AppContext& context = doc.context();
    RecordArray& records = doc.records;
    const GeneralSettings& settings = context.reloadSettings();
    if (progressMayOpen(context, params) && records.size() > kPlaytallyProgressRecords) {
        const int count = countRowsToCome(records, params);
        if (count > 0) {
            progress = context.progress->create();
            progress->Show(loadString(kProgressTextId), 0, count);
        }
    }

    std::vector<PlayGroup> groups = collectPlayGroups(records, settings, params.since, params.till);

    if (progress) {
        // Each group advances once per later play that joins it, then once for itself; a cancel
        // on that last step keeps the group, a cancel before drops it and every later one.
        std::size_t kept = groups.size();
        for (std::size_t g = 0; g < groups.size() && kept == groups.size(); ++g) {
            for (std::int32_t step = 1; step <= groups[g].hits; ++step) {
                if (progress->Advance(-1)) {
                    kept = step == groups[g].hits ? g + 1 : g;
                    break;
                }
            }
        }
        groups.resize(kept);
    }

    std::vector<std::int32_t> hits(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) hits[g] = groups[g].hits;
    const std::vector<std::size_t> order = rankByHits(hits, rowLimit(params));

    for (std::size_t position = 0; position < order.size(); ++position) {
        const PlayGroup& working = groups[order[position]];
        CGroupRecord group(*records[working.first], working.first);
        group.SetHits(working.hits);
        group.played = static_cast<std::int32_t>(working.played);
        for (int id : kComparedFields) {
            if (working.cleared & (1u << id)) group.ClearField(id);
        }
        doc.groupRows.push_back(makeGroupRow(group, static_cast<int>(position), settings.DateFormat));
    }
}

}  // namespace

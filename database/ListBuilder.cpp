// The list builder: the rows of Log mode (single plays, newest first) and of Playtally mode
// (groups ranked by hits) for a period and a top count.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>

#include "database/Doc.h"
#include "database/HitRanking.h"
#include "database/GroupRecord.h"
#include "database/PlayExclusion.h"
#include "database/PlaytallyGroups.h"
#include "core/Progress.h"
#include "core/StableOrder.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

const char* const kBuildErrorKey = "GeneratingReportError";
// Log mode opens the progress window for more rows than this; Playtally mode for more records.
constexpr int kLogProgressRows = 100;
constexpr std::size_t kPlaytallyProgressRecords = 101;

bool progressMayOpen(const AppContext& context, const BuildListParams& params) {
    if (params.showProgress) return true;
    return context.views->playtallyWindowVisible() || context.views->settingsSheetOpen();
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

std::unique_ptr<CListRow> makeGroupRow(const CGroupRecord& group, const PlayGroup& working, std::uint64_t identity,
                                       int position, const std::string& dateFormat) {
    auto row = std::make_unique<CListRow>();
    row->cells[FieldNumber] = std::to_string(position + 1);
    row->cells[FieldDate] = group.IsFieldEmpty(FieldDate) ? std::string() : group.GetFieldText(FieldDate, dateFormat);
    row->cells[FieldHits] = std::to_string(group.GetHits());
    for (int id = FieldLength; id < kFieldCount; ++id) row->cells[id] = group.GetFieldText(id, dateFormat);
    row->recordIndex = group.firstIndex;
    row->recordIdentity = identity;
    row->date = group.date;
    row->length = group.length;
    row->played = group.played;
    row->firstDate = working.firstDate;
    row->lastDate = working.lastDate;
    row->heard = working.heard;
    return row;
}

// What the progress window's message pump may run in the middle of a build: the auto-save timer
// trims records from the front, an edit removes one, a merge puts plays between others, a new play
// is appended. Positions taken before the pump stay right only when nothing before them went or
// came.
class RecordsWatch {
public:
    explicit RecordsWatch(const CDoc& doc)
        : doc_(doc), generation_(doc.recordsGeneration()), size_(doc.records().size()),
          front_(doc.records().empty() ? nullptr : doc.records().front().get()) {}
    // A merge may insert plays between others: only the generation tells.
    bool shifted() const {
        if (doc_.recordsGeneration() != generation_ || doc_.records().size() < size_) return true;
        return size_ != 0 && doc_.records().front().get() != front_;
    }

private:
    const CDoc& doc_;
    std::uint32_t generation_;
    std::size_t size_;
    const CTrackRecord* front_;
};

void buildLogRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress, RowArray& rows);
void buildPlaytallyRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress,
                        RowArray& rows);

}  // namespace

// The progress window pumps messages, and what they run (a report's build, a window refreshing
// its list) may build the same document's rows again: each build fills only its own rows, and
// marks records only where nothing is pumped.
RowArray CDoc::BuildList(const BuildListParams& params) {
    RowArray rows;
    if (params.topOn && params.topCount < 1) return rows;
    if (params.till < params.since) return rows;

    std::unique_ptr<IProgress> progress;
    try {
        if (params.logMode) {
            buildLogRows(*this, params, progress, rows);
        } else {
            buildPlaytallyRows(*this, params, progress, rows);  // leaves no record marked
        }
        progress.reset();
    } catch (...) {
        // The rows emitted so far stay; nothing else of the build may outlive it.
        for (auto& record : store_.all()) record->marked = 0;
        progress.reset();
        context_.messages.showMessage(loadString(IDS_REPORT_BUILD_FAILED), kBuildErrorKey);
    }
    return rows;
}

namespace {

// Newest first; the counter numbers the rows without gaps. Only the plays down to the last row
// (and the ones after till among them) are looked at. False when the records shifted under the
// progress window's pump: the rows made so far then name wrong positions.
bool appendLogRows(CDoc& doc, const BuildListParams& params, const GeneralSettings& settings, IProgress* progress,
                   RowArray& rows) {
    const RecordArray& records = doc.records();
    const std::string& dateFormat = settings.DateFormat;
    const ExclusionRules rules(parseExclusionRules(settings.KeepOutOfRankings));
    const RecordsWatch watch(doc);
    const std::size_t total = records.size();
    int counter = 0;
    for (std::size_t i = total; i-- > 0;) {
        if (params.topOn && counter >= params.topCount) break;
        const CTrackRecord& record = *records[i];
        if (record.date < params.since) break;
        if (record.date > params.till) continue;
        const bool keptOut = !rules.empty() && rules.excludes(record);
        if (keptOut && !params.showKeptOut) continue;
        ++counter;
        auto row = std::make_unique<CListRow>();
        for (int id = 0; id < kFieldCount; ++id) row->cells[id] = record.GetFieldText(id, dateFormat);
        row->cells[FieldNumber] = std::to_string(counter);
        row->recordIndex = static_cast<std::int32_t>(i);
        row->recordIdentity = record.identity.value();
        row->date = record.date;
        row->length = record.length;
        row->played = record.played;
        row->firstDate = row->lastDate = record.date;
        row->heard = std::max<std::int32_t>(record.played, 0);
        row->keptOut = keptOut;
        rows.push_back(std::move(row));
        if (!progress) continue;
        // The bar shows how many records were scanned before this one.
        const bool cancelled = progress->Advance(static_cast<int>(total - 1 - i)) != 0;
        if (watch.shifted()) return false;
        if (cancelled) break;
    }
    return true;
}

void buildLogRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress, RowArray& rows) {
    AppContext& context = doc.context();
    if (progressMayOpen(context, params)) {
        const int count = countRowsToCome(doc.records(), params);
        if (count > kLogProgressRows) {
            progress = context.progress->create();  // none without a progress window
            if (progress) progress->Show(loadString(IDS_GENERATING_REPORT), 0, count);
        }
    }
    const GeneralSettings settings = context.readSettings();
    if (appendLogRows(doc, params, settings, progress.get(), rows)) return;
    // Start again on the records as they are now, without pumping: the window has had its turn.
    rows.clear();
    appendLogRows(doc, params, settings, nullptr, rows);
}

// Each group advances the window once per later play that joins it, then once for itself, group
// after group: the steps at which gathering each group by scanning the later plays would advance
// it. Returns how many groups were complete when the user cancelled (all of them without a cancel).
std::size_t replayProgress(const std::vector<PlayGroup>& groups, IProgress& progress) {
    for (std::size_t g = 0; g < groups.size(); ++g) {
        for (std::int32_t step = 1; step <= groups[g].hits; ++step) {
            // A cancel on the group's own (last) step keeps it; one before drops it.
            if (progress.Advance(-1)) return step == groups[g].hits ? g + 1 : g;
        }
    }
    return groups.size();
}

std::vector<std::size_t> rankByHeard(const std::vector<PlayGroup>& groups, std::size_t limit) {
    std::vector<std::size_t> order(groups.size());
    for (std::size_t g = 0; g < order.size(); ++g) order[g] = g;
    stableSortPositions(order, [&](std::size_t a, std::size_t b) { return groups[a].heard > groups[b].heard; });
    if (order.size() > limit) order.resize(limit);
    return order;
}

// Groups, then their ranking, then the rows. The groups come out of one hashed pass (see
// PlaytallyGroups.h); the progress window then sees the same steps, and a cancel keeps the same
// groups, as when each group was gathered by scanning the later plays.
void buildPlaytallyRows(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress,
                        RowArray& rows) {
    AppContext& context = doc.context();
    const RecordArray& records = doc.records();
    // A copy: the pump may reload the application's settings while this build still needs them.
    const GeneralSettings settings = context.reloadSettings();
    if (progressMayOpen(context, params) && records.size() > kPlaytallyProgressRecords) {
        const int count = countRowsToCome(records, params);
        if (count > 0) {
            progress = context.progress->create();  // none without a progress window
            if (progress) progress->Show(loadString(IDS_GENERATING_REPORT), 0, count);
        }
    }

    std::vector<PlayGroup> groups = collectPlayGroups(records, settings, params.since, params.till);
    if (progress) {
        const RecordsWatch watch(doc);
        groups.resize(replayProgress(groups, *progress));
        // Positions taken before the pump are void once records shifted: gather again, no pump.
        if (watch.shifted()) groups = collectPlayGroups(records, settings, params.since, params.till);
    }

    std::vector<std::size_t> order;
    if (params.rankByHeard) {
        order = rankByHeard(groups, rowLimit(params));
    } else {
        std::vector<std::int32_t> hits(groups.size());
        for (std::size_t g = 0; g < groups.size(); ++g) hits[g] = groups[g].hits;
        order = rankByHits(hits, rowLimit(params));
    }

    const auto firstPlayAt = [&](std::size_t position) -> const CTrackRecord& {
        return *records[groups[order[position]].first];
    };
    for (std::size_t position = 0; position < order.size(); ++position) {
        fetchPlaysAhead(position, order.size(), firstPlayAt);
        const PlayGroup& working = groups[order[position]];
        CGroupRecord group(*records[working.first], working.first);
        group.SetHits(working.hits);
        group.played = static_cast<std::int32_t>(working.played);
        for (int id : kComparedFields) {
            if (working.cleared & (1u << id)) group.ClearField(id);
        }
        rows.push_back(makeGroupRow(group, working, records[working.first]->identity.value(),
                                    static_cast<int>(position), settings.DateFormat));
    }
}

}  // namespace

#include "bench/reference/ReferenceListBuilder.h"

#include <memory>
#include <numeric>
#include <string>
#include <utility>

#include "database/GroupRecord.h"
#include "core/Progress.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

bool mayOpenProgress(const AppContext& context, const BuildListParams& params) {
    return params.showProgress || context.views->playtallyWindowVisible() || context.views->settingsSheetOpen();
}

int countInPeriodFromNewest(const RecordArray& records, const BuildListParams& params) {
    int count = 0;
    for (int i = static_cast<int>(records.size()) - 1; i >= 0; --i) {
        if (records[i]->date < params.since) break;
        if (params.topOn && count >= params.topCount) break;
        if (records[i]->date <= params.till) ++count;
    }
    return count;
}

bool inPeriod(const CTrackRecord& record, const BuildListParams& params) {
    return params.since <= record.date && record.date <= params.till;
}

void logMode(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress, RowArray& rows) {
    AppContext& context = doc.context();
    if (mayOpenProgress(context, params)) {
        int count = countInPeriodFromNewest(doc.records(), params);
        if (count > 100) {
            progress = context.progress->create();
            if (progress) progress->Show(loadString(IDS_GENERATING_REPORT), 0, count);
        }
    }
    const std::string format = context.readSettings().DateFormat;
    const int n = static_cast<int>(doc.records().size());
    int counter = 0;
    for (int i = n - 1; i >= 0; --i) {
        if (params.topOn && counter >= params.topCount) break;
        const CTrackRecord& record = *doc.records()[i];
        if (record.date < params.since) break;
        if (record.date > params.till) continue;
        ++counter;
        auto row = std::make_unique<CListRow>();
        for (int id = 0; id <= 10; ++id) row->cells[id] = record.GetFieldText(id, format);
        row->cells[0] = std::to_string(counter);
        row->recordIndex = i;
        rows.push_back(std::move(row));
        if (progress && progress->Advance(n - 1 - i)) break;
    }
}

// Builds the group starting at s; null when the user cancelled on the way.
std::unique_ptr<CGroupRecord> buildGroup(CDoc& doc, int s, const BuildListParams& params, const std::string& format,
                                         IProgress* progress) {
    CTrackRecord& start = *doc.records()[s];
    start.marked = 1;
    auto group = std::make_unique<CGroupRecord>();
    group->CopyAll(start);
    group->SetHits(1);
    for (std::size_t r = s + 1; r < doc.records().size(); ++r) {
        CTrackRecord& other = *doc.records()[r];
        if (other.marked || !doc.IsSameGroup(start, other) || !inPeriod(other, params)) continue;
        group->SetHits(group->GetHits() + 1);
        for (int id : {1, 3, 5, 6, 7, 8, 9, 10}) {
            if (start.GetFieldText(id, format) != other.GetFieldText(id, format)) group->ClearField(id);
        }
        group->played = static_cast<std::int32_t>(static_cast<std::uint32_t>(group->played) +
                                                  static_cast<std::uint32_t>(other.played));
        other.marked = 1;
        if (progress && progress->Advance(-1)) return nullptr;
    }
    return group;
}

void playtallyMode(CDoc& doc, const BuildListParams& params, std::unique_ptr<IProgress>& progress,
                   RowArray& rows) {
    AppContext& context = doc.context();
    const std::string format = context.reloadSettings().DateFormat;
    if (mayOpenProgress(context, params) && doc.records().size() > 101) {
        int count = countInPeriodFromNewest(doc.records(), params);
        if (count > 0) {
            progress = context.progress->create();
            if (progress) progress->Show(loadString(IDS_GENERATING_REPORT), 0, count);
        }
    }

    std::vector<std::unique_ptr<CGroupRecord>> groups;
    for (std::size_t s = 0; s < doc.records().size(); ++s) {
        if (doc.records()[s]->marked || !inPeriod(*doc.records()[s], params)) continue;
        auto group = buildGroup(doc, static_cast<int>(s), params, format, progress.get());
        if (!group) break;
        group->firstIndex = static_cast<std::int32_t>(s);
        groups.push_back(std::move(group));
        if (progress && progress->Advance(-1)) break;
    }

    for (std::size_t i = 0; i + 1 < groups.size(); ++i)
        for (std::size_t j = i + 1; j < groups.size(); ++j)
            if (groups[i]->GetHits() < groups[j]->GetHits()) std::swap(groups[i], groups[j]);

    for (std::size_t p = 0; p < groups.size(); ++p) {
        if (params.topOn && static_cast<int>(p) >= params.topCount) break;
        const CGroupRecord& group = *groups[p];
        auto row = std::make_unique<CListRow>();
        row->cells[0] = std::to_string(p + 1);
        row->cells[1] = group.IsFieldEmpty(1) ? std::string() : group.GetFieldText(1, format);
        for (int id = 3; id <= 10; ++id) row->cells[id] = group.GetFieldText(id, format);
        row->cells[2] = std::to_string(group.GetHits());
        row->recordIndex = group.firstIndex;
        rows.push_back(std::move(row));
    }
    for (auto& record : doc.records()) record->marked = 0;
}

}  // namespace

RowArray referenceBuildList(CDoc& doc, const BuildListParams& params) {
    RowArray rows;
    if (params.topOn && params.topCount < 1) return rows;
    if (params.till < params.since) return rows;
    std::unique_ptr<IProgress> progress;
    try {
        if (params.logMode) logMode(doc, params, progress, rows);
        else playtallyMode(doc, params, progress, rows);
        progress.reset();
    } catch (...) {
        for (auto& record : doc.records()) record->marked = 0;
        progress.reset();
        doc.context().messages.showMessage(loadString(IDS_REPORT_BUILD_FAILED), "GeneratingReportError");
    }
    return rows;
}

std::vector<std::size_t> referenceExchangeRank(const std::vector<std::int32_t>& hits) {
    std::vector<std::size_t> order(hits.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        for (std::size_t j = i + 1; j < order.size(); ++j)
            if (hits[order[i]] < hits[order[j]]) std::swap(order[i], order[j]);
    return order;
}

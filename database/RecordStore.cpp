#include "database/RecordStore.h"

#include <algorithm>

void CRecordStore::replaceAll(RecordArray records) {
    records_ = std::move(records);
    ++generation_;
}

std::size_t CRecordStore::removeWhere(const std::function<bool(const CTrackRecord&)>& doomed) {
    const auto kept = std::remove_if(records_.begin(), records_.end(),
                                     [&](const std::unique_ptr<CTrackRecord>& r) { return doomed(*r); });
    const auto removed = static_cast<std::size_t>(records_.end() - kept);
    records_.erase(kept, records_.end());
    if (removed != 0) ++generation_;
    return removed;
}

std::size_t CRecordStore::keepNewest(std::size_t keep) {
    if (records_.size() <= keep) return 0;
    const std::size_t removed = records_.size() - keep;
    records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(removed));
    ++generation_;
    return removed;
}

std::size_t CRecordStore::mergeByDate(RecordArray incoming, IDuplicateRule& rule, std::size_t* duplicates,
                                      const std::function<bool(std::size_t)>& confirm) {
    // First which plays are new, walking the stored plays beside them as the placing will.
    RecordArray kept;
    kept.reserve(incoming.size());
    std::size_t dropped = 0;
    std::size_t at = 0;
    for (auto& play : incoming) {
        while (at < records_.size() && records_[at]->date < play->date) ++at;
        const CTrackRecord* turn = at < records_.size() ? records_[at].get() : nullptr;
        if (rule.isDuplicate(*play, turn)) {
            ++dropped;
            // The stored play it repeats is passed: the next incoming play meets the one after it.
            if (turn && turn->date == play->date) ++at;
            continue;
        }
        while (at < records_.size() && records_[at]->date <= play->date) ++at;
        kept.push_back(std::move(play));
    }
    if (duplicates) *duplicates = dropped;
    if (confirm && !confirm(kept.size())) return 0;
    if (kept.empty()) return 0;

    // Then the placing, on the records as they are now.
    RecordArray merged;
    merged.reserve(records_.size() + kept.size());
    std::size_t next = 0;
    for (auto& stored : records_) {
        while (next < kept.size() && kept[next]->date < stored->date) merged.push_back(std::move(kept[next++]));
        merged.push_back(std::move(stored));
    }
    while (next < kept.size()) merged.push_back(std::move(kept[next++]));
    records_ = std::move(merged);
    ++generation_;
    return kept.size();
}

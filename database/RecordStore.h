// The stored plays, oldest first, and the one counter that says when rows built from them went
// stale. Every change goes through a member that knows whether it moves that counter, so no caller
// has to remember to.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "database/TrackRecord.h"

using RecordArray = std::vector<std::unique_ptr<CTrackRecord>>;

// Decides, for a merge by date, whether an incoming play repeats one already known. Asked once per
// incoming play, in date order; `atTurn` is the stored play the merge stands at (the first one,
// from where it stands, that did not start before the incoming one), null past the last.
class IDuplicateRule {
public:
    virtual ~IDuplicateRule() = default;
    virtual bool isDuplicate(const CTrackRecord& incoming, const CTrackRecord* atTurn) = 0;
};

// A play of another database file that started in the same second as the stored play at its turn
// is that play.
class CSameSecondRule : public IDuplicateRule {
public:
    bool isDuplicate(const CTrackRecord& incoming, const CTrackRecord* atTurn) override {
        return atTurn && atTurn->date == incoming.date;
    }
};

class CRecordStore {
public:
    // The records themselves may be changed in place (a path corrected, a mark set); the array
    // only through the members below.
    const RecordArray& all() const { return records_; }
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    CTrackRecord& operator[](std::size_t index) const { return *records_[index]; }

    // Moves with every change that makes rows built before it name the wrong positions or show
    // texts no longer stored: a replacement, a merge, a removal, a rewrite. A new play appended
    // or a path corrected leave it alone.
    std::uint32_t generation() const { return generation_; }

    void append(std::unique_ptr<CTrackRecord> record) { records_.push_back(std::move(record)); }
    void replaceAll(RecordArray records);
    // Removes the records `doomed` names in one pass (each kept record moves once); how many went.
    std::size_t removeWhere(const std::function<bool(const CTrackRecord&)>& doomed);
    // Removes the oldest records so that at most `keep` stay; how many went.
    std::size_t keepNewest(std::size_t keep);
    // The texts of some records were rewritten in place (a tag edit).
    void rewritten() { ++generation_; }

    // Places the incoming plays (in date order) among the stored ones, each before the first
    // stored play that started later, leaving out the ones `rule` calls duplicates. `confirm`,
    // when given, sees how many would be added before anything moves and may refuse (it may let
    // the window run: the plays are placed among the records as they are after it). Returns how
    // many were added; `duplicates` (when given) counts the rest. Throws std::bad_alloc before any
    // record moved.
    std::size_t mergeByDate(RecordArray incoming, IDuplicateRule& rule, std::size_t* duplicates = nullptr,
                            const std::function<bool(std::size_t added)>& confirm = {});

private:
    RecordArray records_;
    std::uint32_t generation_ = 0;
};

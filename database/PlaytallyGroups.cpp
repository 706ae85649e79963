#include "database/PlaytallyGroups.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "core/TimeFormat.h"
#include "core/Utf.h"
#include "database/GroupRecord.h"
#include "database/PlayExclusion.h"

namespace {

// The texts a play's grouping reads: the tag's five and the genre's name, all whole.
bool isWholeText(int id) { return CGroupRecord::isTextField(id) || id == FieldGenre; }

// A set of byte keys, each with a group number: open addressing over one array of slots, the
// keys themselves one after another in one text. Two allocations however many keys.
class KeyTable {
public:
    // Eight bytes at a time, in four independent lanes: keys are a few dozen to a few hundred
    // bytes, and one chain of multiplications would make each word wait for the one before.
    static std::uint32_t hashOf(std::string_view key) {
        constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
        const auto mix = [](std::uint64_t hash, std::uint64_t word) {
            hash = (hash ^ word) * kMultiplier;
            return hash ^ (hash >> 32);
        };
        const auto wordAt = [](const char* p) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            return word;
        };
        const char* p = key.data();
        std::size_t left = key.size();
        std::uint64_t lanes[4] = {key.size() * kMultiplier, 1, 2, 3};
        for (; left >= 32; p += 32, left -= 32)
            for (int lane = 0; lane < 4; ++lane) lanes[lane] = mix(lanes[lane], wordAt(p + 8 * lane));
        std::uint64_t hash = mix(mix(mix(lanes[0], lanes[1]), lanes[2]), lanes[3]);
        for (; left >= 8; p += 8, left -= 8) hash = mix(hash, wordAt(p));
        std::uint64_t tail = 0;
        std::memcpy(&tail, p, left);
        hash = (hash ^ tail) * kMultiplier;
        hash ^= hash >> 29;
        return static_cast<std::uint32_t>(hash ^ (hash >> 32));
    }

    // The group of the key, or -1.
    std::int32_t find(std::string_view key, std::uint32_t hash) const {
        if (slots_.empty()) return -1;
        for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
            const Slot& slot = slots_[i];
            if (slot.group < 0) return -1;
            if (slot.hash == hash && slot.length == key.size() &&
                std::memcmp(keys_.data() + slot.offset, key.data(), key.size()) == 0)
                return slot.group;
        }
    }

    // Adds a key that is not in the table yet.
    void insert(std::string_view key, std::uint32_t hash, std::int32_t group) {
        if ((count_ + 1) * 2 > slots_.size()) grow();
        Slot slot{hash, static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()), group};
        keys_.append(key.data(), key.size());
        place(slot);
        ++count_;
    }

private:
    // 16 bytes. 32-bit offsets: the keys of one build (a few dozen bytes per distinct key) stay
    // far below 4 GB for any database a 32-bit process can hold.
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
        std::int32_t group = -1;  // -1: free
    };

    void place(const Slot& slot) {
        std::size_t i = slot.hash & mask_;
        while (slots_[i].group >= 0) i = (i + 1) & mask_;
        slots_[i] = slot;
    }

    void grow() {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        for (const Slot& slot : old)
            if (slot.group >= 0) place(slot);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
    std::string keys_;
};

class GroupCollector {
public:
    GroupCollector(const RecordArray& records, const GeneralSettings& settings)
        : records_(records), settings_(settings), flags_(settings.GroupPlaytallyBy) {
        bool exact[kFieldCount] = {};
        for (int id = 0; id < kFieldCount; ++id) exact[id] = flags_[id];
        for (int id : kComparedFields)
            if (id != FieldDate) exact[id] = true;
        for (int id = 0; id < kFieldCount; ++id)
            if (exact[id] && (isWholeText(id) || isNumberField(id))) exactFields_[exactFieldCount_++] = id;
    }

    std::vector<PlayGroup> collect(TimeValue since, TimeValue till) {
        const std::size_t count = records_.size();
        for (std::size_t i = 0; i < count; ++i) {
            fetchPlaysAhead(i, count, [this](std::size_t turn) -> const CTrackRecord& { return *records_[turn]; });
            CTrackRecord& play = *records_[i];
            if (play.marked) {
                play.marked = 0;  // marked before the build: left out, as if it had joined a group
                continue;
            }
            if (play.date < since || play.date > till) continue;
            if (!rules_.empty() && rules_.excludes(play)) continue;
            readTexts(play);
            bool byExactKey = false;
            const std::int32_t group = groupOf(play, static_cast<std::int32_t>(i), byExactKey);
            if (groups_[group].first != static_cast<std::int32_t>(i)) join(group, play, byExactKey);
        }
        return std::move(groups_);
    }

private:
    // The group of a play: found by its exact key when an earlier play had the very same values,
    // else by its folded key; a new group when neither is known. Equal exact keys imply equal
    // folded keys, so the first lookup only saves the folding. The exact key holds every value a
    // join compares but the date as well: a play found by it (`byExactKey`) has the values of the
    // play that brought the key, which has been compared with the first play already.
    std::int32_t groupOf(const CTrackRecord& play, std::int32_t position, bool& byExactKey) {
        buildExactKey(play);
        const std::uint32_t exactHash = KeyTable::hashOf(key_);
        std::int32_t group = byExactKey_.find(key_, exactHash);
        byExactKey = group >= 0;
        if (byExactKey) return group;
        exactKey_.swap(key_);

        buildFoldedKey(play);
        const std::uint32_t foldedHash = KeyTable::hashOf(key_);
        group = byFoldedKey_.find(key_, foldedHash);
        if (group < 0) {
            group = static_cast<std::int32_t>(groups_.size());
            PlayGroup started;
            started.first = position;
            started.played = static_cast<std::uint32_t>(play.played);
            started.firstDate = started.lastDate = play.date;
            started.heard = std::max<std::int32_t>(play.played, 0);
            groups_.push_back(started);
            rememberFirst(play);
            byFoldedKey_.insert(key_, foldedHash, group);
        }
        byExactKey_.insert(exactKey_, exactHash, group);
        return group;
    }

    // `byExactKey`: the play's values but its date are those of a play that joined (or started)
    // the group before, and clear no other field than that play did.
    void join(std::int32_t index, const CTrackRecord& play, bool byExactKey) {
        PlayGroup& group = groups_[index];
        ++group.hits;
        group.played += static_cast<std::uint32_t>(play.played);
        group.firstDate = std::min(group.firstDate, play.date);
        group.lastDate = std::max(group.lastDate, play.date);
        group.heard += std::max<std::int32_t>(play.played, 0);
        constexpr std::uint16_t kDateBit = 1u << FieldDate;
        if (byExactKey) {
            if ((group.cleared & kDateBit) == 0 && !sameText(index, firsts_[index], play, FieldDate))
                group.cleared = static_cast<std::uint16_t>(group.cleared | kDateBit);
            return;
        }
        const FirstPlay& first = firsts_[index];
        for (int id : kComparedFields) {
            const std::uint16_t bit = static_cast<std::uint16_t>(1u << id);
            if ((group.cleared & bit) == 0 && !sameText(index, first, play, id)) {
                group.cleared = static_cast<std::uint16_t>(group.cleared | bit);
            }
        }
    }

    // What a join compares, copied from the group's first play when the group starts, so that a
    // join does not have to reach that (distant) record: its date, length and genre, and its
    // texts side by side in one text.
    struct FirstPlay {
        TimeValue date;
        std::int32_t length;
        std::uint8_t genre;
        std::uint32_t textOffset;
        std::uint32_t textLength[kFieldCount];
        std::string dateText;                  // formatted on first need
    };

    void rememberFirst(const CTrackRecord& play) {
        FirstPlay first{play.date, play.length, play.tag.genre(), static_cast<std::uint32_t>(firstTexts_.size()), {}, {}};
        for (int id = 0; id < kFieldCount; ++id) {
            if (!isWholeText(id)) continue;
            first.textLength[id] = static_cast<std::uint32_t>(texts_[id].size());
            firstTexts_.append(texts_[id].data(), texts_[id].size());
        }
        firsts_.push_back(std::move(first));
    }

    std::string_view firstText(const FirstPlay& first, int id) const {
        std::size_t offset = first.textOffset;
        for (int before = 0; before < id; ++before)
            if (isWholeText(before)) offset += first.textLength[before];
        return std::string_view(firstTexts_.data() + offset, first.textLength[id]);
    }

    // Whether the field texts of the first play and a later play are the same bytes. Equal values
    // give equal texts; only different values need their texts, which may still agree (lengths a
    // whole number of days apart, a coarse date format). Those rare cases format both values; the
    // first play's own record, far away by now, is never read.
    bool sameText(std::int32_t index, const FirstPlay& first, const CTrackRecord& play, int id) {
        switch (id) {
            case FieldDate:
                if (first.date == play.date) return true;
                return firstDateText(index) == dateFieldText(play.date, settings_.DateFormat);
            case FieldLength:
                if (first.length == play.length) return true;
                return formatDuration(first.length) == formatDuration(play.length);
            default:
                return firstText(first, id) == texts_[id];
        }
    }

    const std::string& firstDateText(std::int32_t index) {
        std::string& text = firsts_[index].dateText;
        if (text.empty()) text = dateFieldText(firsts_[index].date, settings_.DateFormat);
        return text;
    }

    // The text views cost a scan of the body or the whole texts each: taken once per play.
    void readTexts(const CTrackRecord& play) { play.TextViews(texts_.data(), scratch_.data()); }

    void appendNumber(std::int32_t value) {
        char bytes[sizeof value];
        std::memcpy(bytes, &value, sizeof value);
        key_.append(bytes, sizeof value);
    }
    // Length first, so that no text can run into the next one.
    void appendText(std::string_view text) {
        appendNumber(static_cast<std::int32_t>(text.size()));
        key_.append(text.data(), text.size());
    }

    static bool isNumberField(int id) { return id == FieldDate || id == FieldLength || id == FieldPlayed; }
    std::int32_t numberOf(const CTrackRecord& play, int id) const {
        return id == FieldDate ? play.date : id == FieldLength ? play.length : play.played;
    }

    // The values of exactFields_ as stored. Nearly every play is found by this key alone, so it
    // is written in one piece into a buffer sized for it first.
    void buildExactKey(const CTrackRecord& play) {
        std::size_t size = 0;
        for (std::size_t i = 0; i < exactFieldCount_; ++i)
            size += sizeof(std::int32_t) + (isNumberField(exactFields_[i]) ? 0 : texts_[exactFields_[i]].size());
        key_.resize(size);
        char* out = key_.data();
        const auto put = [&out](std::int32_t value) {
            std::memcpy(out, &value, sizeof value);
            out += sizeof value;
        };
        for (std::size_t i = 0; i < exactFieldCount_; ++i) {
            const int id = exactFields_[i];
            if (isNumberField(id)) {
                put(numberOf(play, id));
                continue;
            }
            const std::string_view text = texts_[id];
            put(static_cast<std::int32_t>(text.size()));  // length first: no text runs into the next
            if (text.empty()) continue;  // an empty view may have no bytes to copy from
            std::memcpy(out, text.data(), text.size());
            out += text.size();
        }
    }

    // The values of the grouping fields as the grouping test sees them: case-folded texts, the
    // date through DateFormat and case-folded.
    void buildFoldedKey(const CTrackRecord& play) {
        key_.clear();
        for (int id = 0; id < kFieldCount; ++id) {
            if (!flags_[id]) continue;
            if (id == FieldDate) {
                appendText(utf8FoldCase(play.GetFieldText(FieldDate, settings_.DateFormat)));
            } else if (isNumberField(id)) {
                appendNumber(numberOf(play, id));
            } else if (isWholeText(id)) {  // Number and Hits do not group
                folded_.clear();
                appendUtf8FoldCase(folded_, texts_[id]);
                appendText(folded_);
            }
        }
    }

    const RecordArray& records_;
    const GeneralSettings& settings_;
    const ExclusionRules rules_{parseExclusionRules(settings_.KeepOutOfRankings)};
    const FieldFlags flags_;
    // The exact key's fields: the grouping ones, and the ones a join compares but the date.
    int exactFields_[kFieldCount] = {};
    std::size_t exactFieldCount_ = 0;
    std::vector<PlayGroup> groups_;
    std::vector<FirstPlay> firsts_;  // per group
    std::string firstTexts_;         // the first plays' tag texts
    KeyTable byExactKey_;   // the values as stored: most plays are found here without folding
    KeyTable byFoldedKey_;  // the values as the grouping test compares them
    std::string key_;       // reused: lookups do not allocate
    std::string exactKey_;
    std::array<std::string_view, kFieldCount> texts_{};  // the current play's texts
    std::array<std::string, kFieldCount> scratch_;        // where texts_ made of a body live
    std::string folded_;
};

}  // namespace

std::vector<PlayGroup> collectPlayGroups(const RecordArray& records, const GeneralSettings& settings,
                                         TimeValue since, TimeValue till) {
    return GroupCollector(records, settings).collect(since, till);
}

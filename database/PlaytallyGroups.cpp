#include "database/PlaytallyGroups.h"

#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "database/AnsiText.h"
#include "database/ListRow.h"

namespace {

class GroupCollector {
public:
    GroupCollector(const RecordArray& records, const GeneralSettings& settings)
        : records_(records), settings_(settings), flags_(settings.GroupPlaytallyBy) {}

    std::vector<PlayGroup> collect(TimeValue since, TimeValue till) {
        for (std::size_t i = 0; i < records_.size(); ++i) {
            const CTrackRecord& play = *records_[i];
            if (play.marked || play.date < since || play.date > till) continue;
            const std::int32_t group = groupOf(play, static_cast<std::int32_t>(i));
            if (groups_[group].first != static_cast<std::int32_t>(i)) join(group, play);
        }
        return std::move(groups_);
    }

private:
    // The group of a play: found by its exact key when an earlier play had the very same values,
    // else by its folded key; a new group when neither is known. Equal exact keys imply equal
    // folded keys, so the first lookup only saves the folding.
    std::int32_t groupOf(const CTrackRecord& play, std::int32_t position) {
        buildKey(play, false);
        auto exact = byExactKey_.find(key_);
        if (exact != byExactKey_.end()) return exact->second;
        std::string exactKey = key_;

        buildKey(play, true);
        auto folded = byFoldedKey_.find(key_);
        std::int32_t group;
        if (folded != byFoldedKey_.end()) {
            group = folded->second;
        } else {
            group = static_cast<std::int32_t>(groups_.size());
            PlayGroup created;
            created.first = position;
            created.played = static_cast<std::uint32_t>(play.played);
            groups_.push_back(created);
            firstDateText_.emplace_back();
            byFoldedKey_.emplace(key_, group);
        }
        byExactKey_.emplace(std::move(exactKey), group);
        return group;
    }

    void join(std::int32_t index, const CTrackRecord& play) {
        PlayGroup& group = groups_[index];
        const CTrackRecord& first = *records_[group.first];
        ++group.hits;
        group.played += static_cast<std::uint32_t>(play.played);
        for (int id : kComparedFields) {
            const std::uint16_t bit = static_cast<std::uint16_t>(1u << id);
            if ((group.cleared & bit) == 0 && !sameText(index, first, play, id)) {
                group.cleared = static_cast<std::uint16_t>(group.cleared | bit);
            }
        }
    }

    // Whether the field texts of the first play and a later play are the same bytes. Equal values
    // give equal texts; only different values need their texts, which may still agree (a genre
    // byte without a name, lengths a whole number of days apart, a coarse date format).
    bool sameText(std::int32_t index, const CTrackRecord& first, const CTrackRecord& play, int id) {
        switch (id) {
            case FieldDate:
                if (first.date == play.date) return true;
                return firstDateText(index, first) == play.GetFieldText(FieldDate, settings_.DateFormat);
            case FieldLength:
                if (first.length == play.length) return true;
                return first.GetFieldText(id, settings_.DateFormat) == play.GetFieldText(id, settings_.DateFormat);
            case FieldGenre:
                if (first.tag.genre() == play.tag.genre()) return true;
                return first.GetFieldText(id, settings_.DateFormat) == play.GetFieldText(id, settings_.DateFormat);
            default:
                return tagTextOf(first, id) == tagTextOf(play, id);
        }
    }

    const std::string& firstDateText(std::int32_t index, const CTrackRecord& first) {
        std::string& text = firstDateText_[index];
        if (text.empty()) text = first.GetFieldText(FieldDate, settings_.DateFormat);
        return text;
    }

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

    // The values of the grouping fields, exact or as the grouping test sees them (case-folded
    // texts, the date through DateFormat and case-folded).
    void buildKey(const CTrackRecord& play, bool folded) {
        key_.clear();
        for (int id = 0; id < kFieldCount; ++id) {
            if (!flags_[id]) continue;
            switch (id) {
                case FieldDate:
                    if (folded) appendText(ansiFoldCase(play.GetFieldText(FieldDate, settings_.DateFormat)));
                    else appendNumber(play.date);
                    break;
                case FieldLength: appendNumber(play.length); break;
                case FieldPlayed: appendNumber(play.played); break;
                case FieldGenre: key_.push_back(static_cast<char>(play.tag.genre())); break;
                default:
                    if (!CGroupRecord::isTextField(id)) break;  // Number and Hits do not group
                    if (folded) appendText(ansiFoldCase(tagTextOf(play, id)));
                    else appendText(tagTextOf(play, id));
                    break;
            }
        }
    }

    const RecordArray& records_;
    const GeneralSettings& settings_;
    const FieldFlags flags_;
    std::vector<PlayGroup> groups_;
    std::vector<std::string> firstDateText_;  // per group, formatted on first need
    std::unordered_map<std::string, std::int32_t> byExactKey_;
    std::unordered_map<std::string, std::int32_t> byFoldedKey_;
    std::string key_;  // reused: lookups do not allocate
};

}  // namespace

std::vector<PlayGroup> collectPlayGroups(const RecordArray& records, const GeneralSettings& settings,
                                         TimeValue since, TimeValue till) {
    return GroupCollector(records, settings).collect(since, till);
}

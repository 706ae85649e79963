#include "database/ListeningStats.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>

#include "core/AnsiText.h"
#include "database/LocalCalendar.h"
#include "database/PlayExclusion.h"
#include "core/CodePage.h"

namespace {

constexpr std::int64_t kDay = 86400;
// A played time beyond a week is damaged data: it counts as a week, which also bounds the work
// of spreading it over the hours.
constexpr std::int64_t kLongestPlay = 7 * kDay;
// Day numbers of every time a 32-bit value can hold, a week beyond the last.
constexpr std::int32_t kFirstDayNumber = -24900;
constexpr std::int32_t kDayNumberCount = 49800;
constexpr int kRecentDays = 31;
constexpr int kRecentWeeks = 52;
constexpr int kRolling = StatAllTime;  // the periods before it roll back from now

// Entries of one kind (artists, albums or tracks) under a key in which letter case does not
// matter, each with its first spelling and what each period adds up to.
class EntryTable {
public:
    struct Entry {
        std::string artist;
        std::string name;
        std::string sortKey;
        std::array<std::int64_t, kStatPeriodCount> plays{};
        std::array<std::int64_t, kStatPeriodCount> heard{};
        std::uint8_t seenBefore = 0;  // bit per rolling period: played in the period before it
        std::int64_t firstDate = 0;
    };

    // The entry of the texts; `exact` and the folded key are built in reused buffers, so that a
    // play of an entry already met costs one lookup and no allocation.
    std::int32_t idOf(std::string_view artist, std::string_view name) {
        exact_.clear();
        exact_.append(artist).push_back('\0');
        exact_.append(name);
        auto found = byExact_.find(exact_);
        if (found != byExact_.end()) return found->second;
        std::string folded = ansiFoldCase(artist);
        folded.push_back('\0');
        folded += ansiFoldCase(name);
        auto [slot, added] = byFolded_.emplace(folded, static_cast<std::int32_t>(entries_.size()));
        if (added) {
            Entry entry;
            entry.artist.assign(artist);
            entry.name.assign(name);
            entry.sortKey = std::move(folded);
            entries_.push_back(std::move(entry));
        }
        byExact_.emplace(exact_, slot->second);
        return slot->second;
    }
    Entry& operator[](std::int32_t id) { return entries_[static_cast<std::size_t>(id)]; }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::unordered_map<std::string, std::int32_t> byExact_;
    std::unordered_map<std::string, std::int32_t> byFolded_;
    std::vector<Entry> entries_;
    std::string exact_;
};

struct Tally {
    std::int64_t plays = 0;
    std::int64_t heard = 0;
};

struct YearTally {
    Tally total;
    std::vector<Tally> artists, tracks;  // by entry id
    std::vector<bool> albums;
    static void add(std::vector<Tally>& tallies, std::int32_t id, std::int64_t heard) {
        if (tallies.size() <= static_cast<std::size_t>(id)) tallies.resize(static_cast<std::size_t>(id) + 1);
        ++tallies[id].plays;
        tallies[id].heard += heard;
    }
};

std::int32_t countPlayed(const std::vector<Tally>& tallies) {
    return static_cast<std::int32_t>(std::count_if(tallies.begin(), tallies.end(), [](const Tally& t) { return t.plays > 0; }));
}

// The best `count` ids by (first, second) largest first, then by the entry's key.
template <class First, class Second>
std::vector<std::int32_t> bestIds(std::size_t size, std::size_t count, First first, Second second,
                                  const EntryTable& table) {
    std::vector<std::int32_t> ids;
    for (std::size_t id = 0; id < size; ++id)
        if (first(id) > 0 || second(id) > 0) ids.push_back(static_cast<std::int32_t>(id));
    auto better = [&](std::int32_t a, std::int32_t b) {
        if (first(a) != first(b)) return first(a) > first(b);
        if (second(a) != second(b)) return second(a) > second(b);
        return table.entries()[a].sortKey < table.entries()[b].sortKey;
    };
    const std::size_t kept = std::min(count, ids.size());
    std::partial_sort(ids.begin(), ids.begin() + static_cast<std::ptrdiff_t>(kept), ids.end(), better);
    ids.resize(kept);
    return ids;
}

TopEntry entryOf(const EntryTable& table, std::int32_t id, std::int64_t plays, std::int64_t heard) {
    const EntryTable::Entry& e = table.entries()[id];
    return TopEntry{ansiToUtf8(e.artist), ansiToUtf8(e.name), plays, heard};
}

TopLists topListsOf(const EntryTable& table, int period, std::size_t count) {
    const auto& entries = table.entries();
    auto plays = [&](std::size_t id) { return entries[id].plays[period]; };
    auto heard = [&](std::size_t id) { return entries[id].heard[period]; };
    TopLists lists;
    for (std::int32_t id : bestIds(entries.size(), count, heard, plays, table))
        lists.byHeard.push_back(entryOf(table, id, plays(id), heard(id)));
    for (std::int32_t id : bestIds(entries.size(), count, plays, heard, table))
        lists.byPlays.push_back(entryOf(table, id, plays(id), heard(id)));
    return lists;
}

std::vector<TopEntry> topOfYear(const EntryTable& table, const std::vector<Tally>& tallies, std::size_t count) {
    auto plays = [&](std::size_t id) { return tallies[id].plays; };
    auto heard = [&](std::size_t id) { return tallies[id].heard; };
    std::vector<TopEntry> list;
    for (std::int32_t id : bestIds(tallies.size(), count, heard, plays, table))
        list.push_back(entryOf(table, id, plays(id), heard(id)));
    return list;
}

ActivityBar barOfDay(std::int32_t dayNumber) {
    ActivityBar bar;
    civilDate(dayNumber, bar.year, bar.month, bar.day);
    return bar;
}

class StatsPass {
public:
    StatsPass(const ExclusionRules& rules, TimeValue now, std::size_t topCount, std::size_t plays)
        : rules_(rules), now_(now), topCount_(topCount), days_(kDayNumberCount) {
        byTagBytes_.reserve(plays / 4);  // songs are played several times each, as a rule
        stats_.now = now;
        today_ = calendar_.dayOf(now).number;
        for (int p = 0; p < kRolling; ++p) {
            const std::int64_t length = statPeriodSeconds(static_cast<StatPeriod>(p));
            currentStart_[p] = static_cast<std::int64_t>(now) - length;
            previousStart_[p] = static_cast<std::int64_t>(now) - 2 * length;
        }
    }

    void add(const CTrackRecord& play) {
        if (rules_.excludes(play)) {
            ++stats_.excludedPlays;
            return;
        }
        const std::int64_t heard = std::min<std::int64_t>(std::max<std::int32_t>(play.played, 0), kLongestPlay);
        const std::int64_t date = play.date;
        const EntryIds ids = entriesOf(play);
        const std::int32_t artistId = ids.artist, albumId = ids.album, trackId = ids.track;

        // Which periods hold the play: all time always, a rolling period or the one before it.
        bool inCurrent[kStatPeriodCount];
        inCurrent[StatAllTime] = true;
        for (int p = 0; p < kRolling; ++p) {
            inCurrent[p] = date > currentStart_[p] && date <= now_;
            if (!inCurrent[p] && date > previousStart_[p] && date <= currentStart_[p]) {
                StatFigures& before = stats_.periods[p].previous;
                ++before.plays;
                before.heard += heard;
                markBefore(artists_, artistId, p, before.artists);
                markBefore(albums_, albumId, p, before.albums);
                markBefore(tracks_, trackId, p, before.tracks);
            }
        }
        for (int p = 0; p < kStatPeriodCount; ++p) {
            if (!inCurrent[p]) continue;
            ++stats_.periods[p].current.plays;
            stats_.periods[p].current.heard += heard;
            tallyEntry(artists_, artistId, p, heard);
            tallyEntry(albums_, albumId, p, heard);
            tallyEntry(tracks_, trackId, p, heard);
        }
        if (artistId >= 0) {
            EntryTable::Entry& entry = artists_[artistId];
            if (entry.plays[StatAllTime] == 1 || date < entry.firstDate) entry.firstDate = date;
        }

        const LocalDay& startDay = calendar_.dayOf(date);
        YearTally& year = yearOf(startDay.year);
        ++year.total.plays;
        year.total.heard += heard;
        if (artistId >= 0) YearTally::add(year.artists, artistId, heard);
        YearTally::add(year.tracks, trackId, heard);
        if (albumId >= 0) {
            if (year.albums.size() <= static_cast<std::size_t>(albumId)) year.albums.resize(albumId + 1);
            year.albums[albumId] = true;
        }
        dayAt(startDay.number).plays += 1;
        spreadHeard(date, heard);
    }

    ListeningStats finish() {
        for (int p = 0; p < kStatPeriodCount; ++p) {
            PeriodStats& period = stats_.periods[p];
            period.current.artists = countIn(artists_, p);
            period.current.albums = countIn(albums_, p);
            period.current.tracks = countIn(tracks_, p);
            period.artists = topListsOf(artists_, p, topCount_);
            period.albums = topListsOf(albums_, p, topCount_);
            period.tracks = topListsOf(tracks_, p, topCount_);
        }
        makeBars();
        makeReviews();
        return std::move(stats_);
    }

private:
    struct EntryIds {
        std::int32_t artist, album, track;  // -1: no artist, no album
    };

    // Plays of one song carry the same bytes in the title, artist and album places of the tag:
    // one lookup of those bytes finds all three entries, and only a play unlike any before it
    // looks its texts up one by one.
    EntryIds entriesOf(const CTrackRecord& play) {
        const auto& body = play.tag.body();
        tagKey_.assign(reinterpret_cast<const char*>(body.data()), kTitleArtistAlbumBytes);
        const auto found = byTagBytes_.find(tagKey_);
        if (found != byTagBytes_.end()) return found->second;
        const std::string_view artist = play.tag.artist();
        const std::string_view album = play.tag.album();
        const EntryIds ids{artist.empty() ? -1 : artists_.idOf(artist, {}),
                           album.empty() ? -1 : albums_.idOf(artist, album), tracks_.idOf(artist, play.tag.title())};
        byTagBytes_.emplace(tagKey_, ids);
        return ids;
    }

    static void tallyEntry(EntryTable& table, std::int32_t id, int period, std::int64_t heard) {
        if (id < 0) return;
        EntryTable::Entry& entry = table[id];
        ++entry.plays[period];
        entry.heard[period] += heard;
    }
    static void markBefore(EntryTable& table, std::int32_t id, int period, std::int32_t& count) {
        if (id < 0) return;
        EntryTable::Entry& entry = table[id];
        const std::uint8_t bit = static_cast<std::uint8_t>(1u << period);
        if (entry.seenBefore & bit) return;
        entry.seenBefore = static_cast<std::uint8_t>(entry.seenBefore | bit);
        ++count;
    }
    static std::int32_t countIn(const EntryTable& table, int period) {
        const auto& entries = table.entries();
        return static_cast<std::int32_t>(
            std::count_if(entries.begin(), entries.end(), [&](const EntryTable::Entry& e) { return e.plays[period] > 0; }));
    }

    Tally& dayAt(std::int32_t number) {
        const std::int32_t index = std::clamp(number - kFirstDayNumber, 0, kDayNumberCount - 1);
        lowestDay_ = std::min(lowestDay_, index);
        highestDay_ = std::max(highestDay_, index);
        return days_[static_cast<std::size_t>(index)];
    }

    // The play's seconds from its start on, hour by local hour and day by local day.
    void spreadHeard(std::int64_t time, std::int64_t left) {
        while (left > 0) {
            std::int64_t nextHour = 0;
            const int hour = calendar_.hourOf(time, nextHour);
            const std::int32_t dayNumber = calendar_.dayOf(time).number;
            const std::int64_t share = std::min(left, std::max<std::int64_t>(nextHour - time, 1));
            dayAt(dayNumber).heard += share;
            stats_.heardByWeekdayHour[weekdayOfDay(dayNumber)][hour] += share;
            time += share;
            left -= share;
        }
    }

    YearTally& yearOf(int year) {
        if (lastYear_ && lastYearNumber_ == year) return *lastYear_;
        lastYearNumber_ = year;
        lastYear_ = &years_[year];
        return *lastYear_;
    }

    const Tally& dayTally(std::int32_t number) const {
        return days_[static_cast<std::size_t>(std::clamp(number - kFirstDayNumber, 0, kDayNumberCount - 1))];
    }

    void makeBars() {
        for (std::int32_t d = today_ - (kRecentDays - 1); d <= today_; ++d) {
            ActivityBar bar = barOfDay(d);
            bar.plays = dayTally(d).plays;
            bar.heard = dayTally(d).heard;
            stats_.days.push_back(bar);
        }
        const std::int32_t thisMonday = today_ - weekdayOfDay(today_);
        for (int w = kRecentWeeks - 1; w >= 0; --w) {
            const std::int32_t monday = thisMonday - 7 * w;
            ActivityBar bar = barOfDay(monday);
            for (std::int32_t d = monday; d < monday + 7; ++d) {
                bar.plays += dayTally(d).plays;
                bar.heard += dayTally(d).heard;
            }
            stats_.weeks.push_back(bar);
        }
        if (lowestDay_ > highestDay_) return;  // no play
        const std::int32_t first = lowestDay_ + kFirstDayNumber;
        const std::int32_t last = std::max(highestDay_ + kFirstDayNumber, today_);
        for (std::int32_t d = first; d <= last; ++d) {
            const ActivityBar day = barOfDay(d);
            if (stats_.months.empty() || stats_.months.back().month != day.month || stats_.months.back().year != day.year) {
                stats_.months.push_back(ActivityBar{day.year, day.month, 1, 0, 0});
            }
            if (stats_.years.empty() || stats_.years.back().year != day.year) {
                stats_.years.push_back(ActivityBar{day.year, 1, 1, 0, 0});
            }
            const Tally& tally = dayTally(d);
            stats_.months.back().plays += tally.plays;
            stats_.months.back().heard += tally.heard;
            stats_.years.back().plays += tally.plays;
            stats_.years.back().heard += tally.heard;
            if (tally.heard > 0 || tally.plays > 0) {
                ActivityBar& busiest = busiestOf_[day.year];
                if (busiest.year == 0 || tally.heard > busiest.heard ||
                    (tally.heard == busiest.heard && tally.plays > busiest.plays)) {
                    busiest = day;
                    busiest.plays = tally.plays;
                    busiest.heard = tally.heard;
                }
            }
        }
    }

    void makeReviews() {
        // The year of each artist's first play.
        std::map<int, std::vector<std::int32_t>> firstHeardIn;
        const auto& artists = artists_.entries();
        for (std::size_t id = 0; id < artists.size(); ++id) {
            if (artists[id].plays[StatAllTime] == 0) continue;
            firstHeardIn[calendar_.dayOf(artists[id].firstDate).year].push_back(static_cast<std::int32_t>(id));
        }
        for (auto it = years_.rbegin(); it != years_.rend(); ++it) {
            const YearTally& tally = it->second;
            YearReview review;
            review.year = it->first;
            review.figures.plays = tally.total.plays;
            review.figures.heard = tally.total.heard;
            review.figures.artists = countPlayed(tally.artists);
            review.figures.tracks = countPlayed(tally.tracks);
            review.figures.albums = static_cast<std::int32_t>(std::count(tally.albums.begin(), tally.albums.end(), true));
            review.topArtists = topOfYear(artists_, tally.artists, topCount_);
            review.topTracks = topOfYear(tracks_, tally.tracks, topCount_);
            std::vector<Tally> newcomers(tally.artists.size());
            for (std::int32_t id : firstHeardIn[review.year]) {
                newcomers[id] = tally.artists[id];
                ++review.newArtistCount;
            }
            review.newArtists = topOfYear(artists_, newcomers, topCount_);
            review.busiestDay = busiestOf_[review.year];
            stats_.reviews.push_back(std::move(review));
        }
    }

    const ExclusionRules& rules_;
    const std::int64_t now_;
    const std::size_t topCount_;
    ListeningStats stats_;
    CLocalCalendar calendar_;
    std::int32_t today_ = 0;
    std::int64_t currentStart_[kRolling]{};
    std::int64_t previousStart_[kRolling]{};
    EntryTable artists_, albums_, tracks_;
    static constexpr std::size_t kTitleArtistAlbumBytes = 90;  // the first three places of the body
    std::unordered_map<std::string, EntryIds> byTagBytes_;
    std::string tagKey_;
    std::vector<Tally> days_;  // by day number from kFirstDayNumber
    std::int32_t lowestDay_ = kDayNumberCount;
    std::int32_t highestDay_ = -1;
    std::map<int, YearTally> years_;
    std::map<int, ActivityBar> busiestOf_;
    YearTally* lastYear_ = nullptr;
    int lastYearNumber_ = 0;
};

}  // namespace

std::int64_t statPeriodSeconds(StatPeriod period) {
    switch (period) {
        case StatWeek: return 7 * kDay;
        case StatMonth: return 30 * kDay;
        case StatYear: return 365 * kDay;
        default: return 0;
    }
}

ListeningStats computeListeningStats(const RecordArray& records, const ExclusionRules& rules, TimeValue now,
                                     std::size_t topCount) {
    StatsPass pass(rules, now, topCount, records.size());
    for (const auto& record : records) pass.add(*record);
    return pass.finish();
}

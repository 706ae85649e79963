// Importing listens kept elsewhere. Everything is worked out on the side first (the file read
// whole, each listen made a record, the duplicates found, the user asked about the size limit);
// the database changes in one step at the end, or not at all.
#include <algorithm>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "database/AnsiText.h"
#include "database/Doc.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "exchange/PlayExchange.h"
#include "exchange/PlayReaders.h"
#include "database/Utf8Text.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/SettingsTable.h"
#include "resources/StringTable.h"

namespace {

constexpr int kCannotRead = 2238;     // "ErrorImportingPlays", followed by the reason
constexpr int kNotImported = 2239;    // "ErrorImportingPlays", followed by the reader's message
constexpr int kImported = 2249;       // "PlaysImported": %1 added, %2 duplicates
constexpr int kRaiseLimit = 2250;     // %1 plays after the import, %2 the limit, %3 plays to go
constexpr int kImportAnyway = 2251;   // %3 plays to go
constexpr int kNoMemory = 2255;

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::string format(int id, const std::string& one, const std::string& two = {}, const std::string& three = {}) {
    return replaceAll(replaceAll(replaceAll(loadString(id), "%1", one), "%2", two), "%3", three);
}

// The whole file, or false with the reason.
bool readWhole(IFileSystem& files, const std::string& path, std::string& bytes, std::string& reason) {
    std::unique_ptr<IFile> file = files.openRead(path);
    if (!file) {
        reason = files.lastErrorText();
        return false;
    }
    try {
        const std::int64_t size = file->size();
        bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        std::size_t got = 0;
        while (got < bytes.size()) {
            const std::size_t n = file->read(&bytes[got], bytes.size() - got);
            if (n == 0) break;
            got += n;
        }
        bytes.resize(got);
        file->close();
    } catch (const CFileException& e) {
        reason = e.reason();
        return false;
    }
    return true;
}

// A listen as a stored play: no file, heard whole, the tag built of its texts in the ANSI code
// page (cut to the tag's places, never inside a double-byte character), no genre.
std::unique_ptr<CTrackRecord> recordOf(const ImportedListen& listen) {
    auto record = std::make_unique<CTrackRecord>(std::string(), listen.length, listen.start, listen.length);
    record->tag = CId3v1Tag(utf8ToAnsi(listen.artist), utf8ToAnsi(listen.album), utf8ToAnsi(listen.title), "", "",
                            CId3v1Tag::kNoGenre);
    return record;
}

// Plays by track (artist and title ignoring case), each with its start times in order, so that a
// listen is checked against the plays of its own track only and by a binary search: the check
// stays fast however many plays there are.
class PlayIndex {
public:
    explicit PlayIndex(const RecordArray& stored) {
        tracks_.reserve(stored.size() / 2 + 1);
        for (const auto& r : stored) tracks_[keyOf(*r)].stored.push_back(r->date);
        for (auto& entry : tracks_) std::sort(entry.second.stored.begin(), entry.second.stored.end());
    }

    // True when the record repeats a known play; otherwise it becomes known. Records must come in
    // the order of their dates.
    bool isDuplicate(const CTrackRecord& record) {
        Track& track = tracks_[keyOf(record)];
        if (near(track.stored, record.date) || near(track.added, record.date)) return true;
        track.added.push_back(record.date);
        return false;
    }

private:
    struct Track {
        std::vector<TimeValue> stored;  // sorted
        std::vector<TimeValue> added;   // sorted by the order of arrival
    };

    static std::string keyOf(const CTrackRecord& r) {
        std::string key = ansiFoldCase(r.tag.artist());
        key += '\0';
        key += ansiFoldCase(r.tag.title());
        return key;
    }

    static bool near(const std::vector<TimeValue>& dates, TimeValue date) {
        const std::int64_t from = static_cast<std::int64_t>(date) - kDuplicateWindowSeconds;
        auto it = std::lower_bound(dates.begin(), dates.end(), from,
                                   [](TimeValue d, std::int64_t value) { return d < value; });
        return it != dates.end() && static_cast<std::int64_t>(*it) <= static_cast<std::int64_t>(date) + kDuplicateWindowSeconds;
    }

    std::unordered_map<std::string, Track> tracks_;
};

// The import's duplicate rule: a play of a track already known (stored, or imported before it).
class KnownPlayRule : public IDuplicateRule {
public:
    explicit KnownPlayRule(const RecordArray& stored) : index_(stored) {}
    bool isDuplicate(const CTrackRecord& incoming, const CTrackRecord*) override { return index_.isDuplicate(incoming); }

private:
    PlayIndex index_;
};

}  // namespace

ImportResult importPlays(CDoc& doc, const std::string& path) {
    AppContext& context = doc.context();
    auto show = [&](const std::string& text, const char* key) {
        context.messages.showMessage(text, key);
    };
    auto ask = [&](const std::string& text) { return context.messages.askYesNo(text, ""); };
    ImportResult result;

    RecordArray incoming;
    try {
        std::string bytes, reason;
        if (!readWhole(context.files, path, bytes, reason)) {
            show(loadString(kCannotRead) + reason, "ErrorImportingPlays");
            return result;
        }
        std::vector<ImportedListen> listens;
        ReadError error;
        if (!readListens(bytes, listens, error)) {
            show(loadString(kNotImported) +
                     format(error.message, std::to_string(error.line), std::to_string(error.column), error.detail),
                 "ErrorImportingPlays");
            return result;
        }
        bytes = std::string();

        std::stable_sort(listens.begin(), listens.end(),
                         [](const ImportedListen& a, const ImportedListen& b) { return a.start < b.start; });
        incoming.reserve(listens.size());
        for (const ImportedListen& listen : listens) incoming.push_back(recordOf(listen));
    } catch (const std::bad_alloc&) {
        show(loadString(kCannotRead) + loadString(kNoMemory), "ErrorImportingPlays");
        return result;
    }

    // Nothing is lost without the user's word: a database beyond its limit loses its oldest plays
    // at the next save. The question comes once the new plays are known, before any is placed.
    bool declined = false;
    auto withinLimit = [&](std::size_t added) {
        result.added = added;
        const GeneralSettings settings = context.readSettings();
        const std::size_t total = doc.records().size() + added;
        if (added == 0 || !settings.NoLarger || settings.DBSize <= 0 || total <= static_cast<std::size_t>(settings.DBSize))
            return true;
        const std::string after = std::to_string(total), limit = std::to_string(settings.DBSize),
                          lost = std::to_string(total - static_cast<std::size_t>(settings.DBSize));
        if (ask(format(kRaiseLimit, after, limit, lost))) {
            // The limit is raised as far as the General page accepts, else lifted.
            const SettingsTable<GeneralSettings>& table = generalSettingsTable();
            const int largest = lineOf(table, &GeneralSettings::DBSize)->range.max;
            GeneralSettings raised = settings;
            raised.DBSize = static_cast<int>(total);
            raised.NoLarger = false;
            if (total <= static_cast<std::size_t>(largest))
                writeSetting(context.profile, table, &GeneralSettings::DBSize, raised);
            else
                writeSetting(context.profile, table, &GeneralSettings::NoLarger, raised);
            context.reloadSettings();
            result.limitChanged = true;
            return true;
        }
        declined = !ask(format(kImportAnyway, after, limit, lost));
        return !declined;
    };
    try {
        KnownPlayRule known(doc.records());
        if (doc.store().mergeByDate(std::move(incoming), known, &result.duplicates, withinLimit) != 0)
            context.views->refreshPlaytallyWindow();
    } catch (const std::bad_alloc&) {
        // Thrown before any record moved.
        show(loadString(kCannotRead) + loadString(kNoMemory), "ErrorImportingPlays");
        return ImportResult{};
    }
    if (declined) return ImportResult{};
    result.applied = true;
    show(format(kImported, std::to_string(result.added), std::to_string(result.duplicates)), "PlaysImported");
    return result;
}

// Importing listens kept elsewhere. Everything is worked out on the side first (the file read
// whole, each listen made a record, the duplicates found, the user asked about the size limit);
// the database changes in one step at the end, or not at all.
#include <algorithm>
#include <exception>
#include <initializer_list>
#include <new>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Utf.h"
#include "database/Doc.h"
#include "database/DuplicateRule.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "exchange/PlayExchange.h"
#include "exchange/PlayReaders.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/SettingsTable.h"
#include "core/StableOrder.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

// Read whole, with the plays it makes beside the database: a file beyond this could not be held
// in a 32-bit player's memory, and no export of a listener's history comes near it.
constexpr std::int64_t kLargestImport = 256 << 20;

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The string with %1, %2... replaced by the values in their order.
std::string format(int id, std::initializer_list<std::size_t> values) {
    std::string text = loadString(id);
    int n = 0;
    for (std::size_t value : values) text = replaceAll(text, "%" + std::to_string(++n), std::to_string(value));
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
        if (size > kLargestImport) {
            file->close();
            reason = loadString(IDS_IMPORT_TOO_LARGE);
            return false;
        }
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

// A listen as a stored play: no file, heard whole, its texts whole (the body built of them as a
// tag's would be), its track number where the file gives one, no genre.
std::unique_ptr<CTrackRecord> recordOf(const ImportedListen& listen) {
    auto record = std::make_unique<CTrackRecord>(std::string(), listen.length, listen.start, listen.length);
    TrackTexts texts;
    texts.artist = listen.artist;
    texts.title = listen.title;
    texts.album = listen.album;
    record->SetTexts(texts);
    record->tag.setTrackNumber(listen.track);
    return record;
}

// Plays by track (artist and title, whole and case folded), each with its starts in order, so
// that a listen is checked against the plays of its own track only and by a binary search: the
// check stays fast however many plays there are.
class PlayIndex {
public:
    explicit PlayIndex(const RecordArray& stored) {
        stored_.reserve(stored.size() / 2 + 1);
        for (const auto& r : stored) stored_[keyOf(*r)].push_back({r->ListenedAt(), r->length});
        for (auto& entry : stored_) std::sort(entry.second.begin(), entry.second.end(), earlier);
    }

    // True when `record` (a listen) repeats a known play; otherwise it becomes known. Listens must
    // come in the order of their starts.
    bool isDuplicate(const CTrackRecord& record) {
        const Sighting sighting{record.ListenedAt(), record.length};
        const std::string key = keyOf(record);
        auto known = stored_.find(key);
        if (known != stored_.end() && near(known->second, sighting)) return true;
        std::vector<Sighting>& added = added_[key];
        if (near(added, sighting)) return true;
        added.push_back(sighting);
        return false;
    }

private:
    struct Sighting {
        TimeValue start;
        std::int32_t length;
    };
    static bool earlier(const Sighting& a, const Sighting& b) { return a.start < b.start; }

    static std::string keyOf(const CTrackRecord& r) {
        std::string key = utf8FoldCase(r.Text(FieldArtist));
        key += '\0';
        key += utf8FoldCase(r.Text(FieldTitle));
        return key;
    }

    // Whether one of the plays of a track is repeated by `play` (the texts already agree).
    static bool near(const std::vector<Sighting>& plays, const Sighting& play) {
        const std::int64_t start = play.start;
        auto it = std::lower_bound(plays.begin(), plays.end(), start - kLongestDuplicateWindow,
                                   [](const Sighting& s, std::int64_t value) { return s.start < value; });
        for (; it != plays.end() && it->start <= start + kLongestDuplicateWindow; ++it) {
            const std::int64_t apart = start - static_cast<std::int64_t>(it->start);
            if ((apart < 0 ? -apart : apart) <= duplicateWindowSeconds(it->length, play.length)) return true;
        }
        return false;
    }

    std::unordered_map<std::string, std::vector<Sighting>> stored_;  // each sorted by start
    std::unordered_map<std::string, std::vector<Sighting>> added_;   // in the order of arrival
};

// The import's duplicate rule: a play of a track already known (stored, or imported before it).
class KnownPlayRule : public IDuplicateRule {
public:
    explicit KnownPlayRule(const RecordArray& stored) : index_(stored) {}
    bool isDuplicate(const CTrackRecord& incoming, const CTrackRecord*) override { return index_.isDuplicate(incoming); }

private:
    PlayIndex index_;
};

// What the next save removes for the size limit: the oldest `toGo` plays, `added` of them plays
// the import just placed (`placed`).
struct Trim {
    std::size_t limit = 0, toGo = 0, added = 0;
};

Trim nextTrim(CDoc& doc, const std::unordered_set<const CTrackRecord*>& placed) {
    const GeneralSettings settings = doc.context().readSettings();
    const RecordArray& records = doc.records();
    Trim trim;
    if (!settings.NoLarger || settings.DBSize <= 0 || records.size() <= static_cast<std::size_t>(settings.DBSize)) return trim;
    trim.limit = static_cast<std::size_t>(settings.DBSize);
    trim.toGo = records.size() - trim.limit;
    for (std::size_t i = 0; i < trim.toGo; ++i) trim.added += placed.count(records[i].get());
    return trim;
}

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
            show(loadString(IDS_IMPORT_CANNOT_READ) + reason, "ErrorImportingPlays");
            return result;
        }
        std::vector<ImportedListen> listens;
        ReadError error;
        if (!readListens(bytes, listens, error)) {
            show(loadString(IDS_IMPORT_NOT_IMPORTED) +
                     format(error.message, std::to_string(error.line), std::to_string(error.column), error.detail),
                 "ErrorImportingPlays");
            return result;
        }
        bytes = std::string();

        std::vector<std::size_t> byStart(listens.size());
        for (std::size_t i = 0; i < byStart.size(); ++i) byStart[i] = i;
        stableSortPositions(byStart, [&](std::size_t a, std::size_t b) { return listens[a].start < listens[b].start; });
        incoming.reserve(listens.size());
        for (std::size_t at : byStart) incoming.push_back(recordOf(listens[at]));
    } catch (const std::bad_alloc&) {
        show(loadString(IDS_IMPORT_CANNOT_READ) + loadString(IDS_NO_MEMORY), "ErrorImportingPlays");
        return result;
    } catch (const std::length_error&) {
        show(loadString(IDS_IMPORT_CANNOT_READ) + loadString(IDS_NO_MEMORY), "ErrorImportingPlays");
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
        if (ask(format(IDS_IMPORT_RAISE_LIMIT, after, limit, lost))) {
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
        declined = !ask(format(IDS_IMPORT_ANYWAY, after, limit, lost));
        return !declined;
    };
    // The plays placed are known by their addresses: each record stays where it was made.
    std::unordered_set<const CTrackRecord*> placed;
    try {
        placed.reserve(incoming.size());
        for (const auto& r : incoming) placed.insert(r.get());
        KnownPlayRule known(doc.records());
        if (doc.store().mergeByDate(std::move(incoming), known, &result.duplicates, withinLimit) != 0)
            context.views->refreshPlaytallyWindow();
    } catch (const std::bad_alloc&) {
        // Thrown before any record moved.
        show(loadString(IDS_IMPORT_CANNOT_READ) + loadString(IDS_NO_MEMORY), "ErrorImportingPlays");
        return ImportResult{};
    }
    if (declined) return ImportResult{};
    result.applied = true;
    // Imported anyway: say how many of the plays just added the limit takes away again.
    const Trim trim = nextTrim(doc, placed);
    if (trim.added > 0)
        show(format(IDS_PLAYS_IMPORTED_TO_GO, {result.added, result.duplicates, trim.limit, trim.toGo, trim.added}), "PlaysImported");
    else
        show(format(IDS_PLAYS_IMPORTED, {result.added, result.duplicates}), "PlaysImported");
    return result;
}

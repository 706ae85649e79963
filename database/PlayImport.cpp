// Importing listens kept elsewhere. Everything is worked out on the side first (the file read
// whole, each listen made a record, the duplicates found, the user asked about the size limit);
// the database changes in one step at the end, or not at all.
#include <algorithm>
#include <exception>
#include <new>
#include <unordered_map>
#include <vector>

#include "core/Utf.h"
#include "database/Doc.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "database/PlayExchange.h"
#include "database/PlayReaders.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "resources/StringTable.h"

namespace {

constexpr int kCannotRead = 2238;     // "ErrorImportingPlays", followed by the reason
constexpr int kNotImported = 2239;    // "ErrorImportingPlays", followed by the reader's message
constexpr int kImported = 2249;       // "PlaysImported": %1 added, %2 duplicates
constexpr int kRaiseLimit = 2250;     // %1 plays after the import, %2 the limit, %3 plays to go
constexpr int kImportAnyway = 2251;   // %3 plays to go
constexpr int kNoMemory = 2255;
constexpr int kLargestLimit = 100000; // the largest size the General page accepts

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

// A listen as a stored play: no file, heard whole, its texts whole (the body built of them as a
// tag's would be), no genre.
std::unique_ptr<CTrackRecord> recordOf(const ImportedListen& listen) {
    auto record = std::make_unique<CTrackRecord>(std::string(), listen.length, listen.start, listen.length);
    TrackTexts texts;
    texts.artist = listen.artist;
    texts.title = listen.title;
    texts.album = listen.album;
    record->SetTexts(texts);
    return record;
}

// Plays by track (artist and title ignoring case), each with its start times in order, so that a
// listen is checked against the plays of its own track only and by a binary search: the check
// stays fast however many plays there are.
class PlayIndex {
public:
    explicit PlayIndex(const RecordArray& stored) {
        tracks_.reserve(stored.size() / 2 + 1);
        for (const auto& r : stored) tracks_[keyOf(*r)].stored.push_back(r->ListenedAt());
        for (auto& entry : tracks_) std::sort(entry.second.stored.begin(), entry.second.stored.end());
    }

    // True when the record repeats a known play; otherwise it becomes known. Records must come in
    // the order of their dates.
    bool isDuplicate(const CTrackRecord& record) {
        Track& track = tracks_[keyOf(record)];
        if (near(track.stored, record.ListenedAt()) || near(track.added, record.ListenedAt())) return true;
        track.added.push_back(record.ListenedAt());
        return false;
    }

private:
    struct Track {
        std::vector<TimeValue> stored;  // sorted
        std::vector<TimeValue> added;   // sorted by the order of arrival
    };

    static std::string keyOf(const CTrackRecord& r) {
        std::string key = utf8FoldCase(r.Text(FieldArtist));
        key += '\0';
        key += utf8FoldCase(r.Text(FieldTitle));
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

// Places the new records (in date order) among the stored ones as a merge of another database
// does: each goes before the first stored play that started later.
RecordArray merged(RecordArray& stored, RecordArray& added) {
    RecordArray out;
    out.reserve(stored.size() + added.size());
    std::size_t next = 0;
    for (auto& s : stored) {
        while (next < added.size() && added[next]->date < s->date) out.push_back(std::move(added[next++]));
        out.push_back(std::move(s));
    }
    while (next < added.size()) out.push_back(std::move(added[next++]));
    return out;
}

}  // namespace

ImportResult importPlays(CDoc& doc, const std::string& path) {
    AppContext& context = doc.context();
    auto show = [&](const std::string& text, const char* key) {
        if (context.messages) context.messages->showMessage(text, key);
    };
    auto ask = [&](const std::string& text) { return context.messages && context.messages->askYesNo(text, ""); };
    ImportResult result;

    RecordArray added;
    try {
        std::string bytes, reason;
        if (!readWhole(*context.files, path, bytes, reason)) {
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
        PlayIndex index(doc.records);
        added.reserve(listens.size());
        for (const ImportedListen& listen : listens) {
            std::unique_ptr<CTrackRecord> record = recordOf(listen);
            if (index.isDuplicate(*record))
                ++result.duplicates;
            else
                added.push_back(std::move(record));
        }
    } catch (const std::bad_alloc&) {
        show(loadString(kCannotRead) + loadString(kNoMemory), "ErrorImportingPlays");
        return result;
    }
    result.added = added.size();

    // Nothing is lost without the user's word: a database beyond its limit loses its oldest plays
    // at the next save.
    const GeneralSettings settings = context.readSettings();
    const std::size_t total = doc.records.size() + added.size();
    if (!added.empty() && settings.NoLarger && settings.DBSize > 0 && total > static_cast<std::size_t>(settings.DBSize)) {
        const std::string after = std::to_string(total), limit = std::to_string(settings.DBSize),
                          lost = std::to_string(total - static_cast<std::size_t>(settings.DBSize));
        if (ask(format(kRaiseLimit, after, limit, lost))) {
            if (context.profile) {
                if (total <= static_cast<std::size_t>(kLargestLimit))
                    context.profile->writeInt(sectionGeneral(), "DBSize", static_cast<int>(total));
                else
                    context.profile->writeInt(sectionGeneral(), "NoLarger", 0);
            }
            context.reloadSettings();
            result.limitChanged = true;
        } else if (!ask(format(kImportAnyway, after, limit, lost))) {
            return ImportResult{};
        }
    }

    if (!added.empty()) {
        try {
            RecordArray all = merged(doc.records, added);
            doc.records = std::move(all);
            doc.RecordsChanged();  // rows built before name other positions now
        } catch (const std::bad_alloc&) {
            // Only the reservation can fail, before any record moved.
            show(loadString(kCannotRead) + loadString(kNoMemory), "ErrorImportingPlays");
            return ImportResult{};
        }
        if (context.views) context.views->refreshPlaytallyWindow();
    }
    result.applied = true;
    show(format(kImported, std::to_string(result.added), std::to_string(result.duplicates)), "PlaysImported");
    return result;
}

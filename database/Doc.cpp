#include "database/Doc.h"

#include <cmath>
#include <new>

#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "database/TrackTag.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

// More than 70 per cent heard, in floating point; a track of length 0 passes with any time heard.
bool heardEnough(std::int32_t length, std::int32_t played) {
    if (length == 0) return played > 0;
    return played * 100.0 / length > 70.0;
}

// A play within 10 per cent of the full length counts as complete.
bool nearlyComplete(std::int32_t length, std::int32_t played) {
    if (length == 0) return false;
    return std::fabs(static_cast<double>(length) - played) * 100.0 / length < 10.0;
}

}  // namespace

bool CDoc::AddTrack(const CTrackRecord& pending) {
    const GeneralSettings settings = context_.readSettings();
    if (!heardEnough(pending.length, pending.played) && pending.played < settings.StoreAfterIntervalSec)
        return false;
    try {
        std::int32_t played = nearlyComplete(pending.length, pending.played) ? pending.length : pending.played;
        auto record = std::make_unique<CTrackRecord>(pending.path, pending.length, pending.date, played);
        record->widePath = pending.widePath;
        record->firstStart = pending.firstStart;
        IFileSystem& files = context_.files;
        TagRules rules;
        rules.required = settings.DoNotStoreFields;
        rules.readOtherTags = settings.ReadOtherTags;
        rules.player = &*context_.player;
        // Without other tags a name the code page cannot hold stays unreadable, as it always was.
        if (!settings.ReadOtherTags) record->widePath.clear();
        try {
            if (readTrackTag(files, rules, *record) == TagSource::none) return false;
        } catch (const CMyReadMp3TagException&) {
            return false;  // an unreadable file is treated as untagged, without a message
        }
        for (int id = 0; id < kFieldCount; ++id) {
            if (settings.DoNotStoreFields[id] && record->GetFieldText(id, settings.DateFormat).empty()) return false;
        }
        store_.append(std::move(record));
        return true;
    } catch (const std::bad_alloc&) {
        context_.messages.showMessage(loadString(IDS_DB_ADDING_FAILED), "SongAddingError");
        return false;
    }
}

bool CDoc::IsSameGroup(const CTrackRecord& a, const CTrackRecord& b) const {
    return a.IsSameGroup(b, context_.current);
}

int CDoc::RecordOfRow(const CListRow& row, std::uint32_t builtAt) const {
    if (builtAt == store_.generation()) return row.recordIndex;
    return FindRecord(row.recordIdentity, row.recordIndex);
}

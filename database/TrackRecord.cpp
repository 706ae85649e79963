#include "database/TrackRecord.h"

#include <atomic>

#include "database/AnsiText.h"
#include "core/TimeFormat.h"

std::uint64_t RecordIdentity::next() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

CTrackRecord::CTrackRecord(const std::string& path_, std::int32_t length_, TimeValue date_, std::int32_t played_)
    : path(path_), length(length_), date(date_), played(played_) {}

std::string CTrackRecord::GetFieldText(int id, const std::string& dateFormat) const {
    switch (id) {
        case FieldDate: return formatDate(date, dateFormat);
        case FieldLength: return formatDuration(length);
        case FieldPlayed: return formatDuration(played);
        case FieldArtist: return std::string(tag.artist());
        case FieldTitle: return std::string(tag.title());
        case FieldAlbum: return std::string(tag.album());
        case FieldYear: return std::string(tag.year());
        case FieldGenre: return genreName(tag.genre());
        case FieldComment: return std::string(tag.comment());
        default: return std::string();  // Number, Hits and unknown ids have no text of their own
    }
}

void CTrackRecord::CopyAll(const CTrackRecord& other) {
    CopyAllButDate(other);
    date = other.date;
}

void CTrackRecord::CopyAllButDate(const CTrackRecord& other) {
    path = other.path;
    widePath = other.widePath;
    length = other.length;
    played = other.played;
    tag = other.tag;
}

bool CTrackRecord::ReadTagFromFile(IFileSystem& files) { return tag.ReadFromFile(files, path); }

bool CTrackRecord::IsSameGroup(const CTrackRecord& other, const GeneralSettings& settings) const {
    const FieldFlags& by = settings.GroupPlaytallyBy;
    if (by[FieldDate] &&
        !ansiEqualNoCase(formatDate(date, settings.DateFormat), formatDate(other.date, settings.DateFormat)))
        return false;
    if (by[FieldLength] && length != other.length) return false;
    if (by[FieldPlayed] && played != other.played) return false;
    if (by[FieldArtist] && !ansiEqualNoCase(tag.artist(), other.tag.artist())) return false;
    if (by[FieldTitle] && !ansiEqualNoCase(tag.title(), other.tag.title())) return false;
    if (by[FieldAlbum] && !ansiEqualNoCase(tag.album(), other.tag.album())) return false;
    if (by[FieldYear] && !ansiEqualNoCase(tag.year(), other.tag.year())) return false;
    if (by[FieldGenre] && tag.genre() != other.tag.genre()) return false;
    if (by[FieldComment] && !ansiEqualNoCase(tag.comment(), other.tag.comment())) return false;
    return true;
}

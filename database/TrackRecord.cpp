#include "database/TrackRecord.h"

#include <iterator>

#include "core/AnsiText.h"
#include "core/CodePage.h"
#include "core/Utf.h"
#include "core/TimeFormat.h"
#include "tags/Id3v2Tag.h"

namespace {

std::string bodyText(const CId3v1Tag& tag, int id) {
    switch (id) {
        case FieldTitle: return ansiToUtf8(tag.title());
        case FieldArtist: return ansiToUtf8(tag.artist());
        case FieldAlbum: return ansiToUtf8(tag.album());
        case FieldYear: return ansiToUtf8(tag.year());
        case FieldComment: return ansiToUtf8(tag.comment());
        case FieldGenre: return genreName(tag.genre());
        default: return std::string();
    }
}

// A tag's text ends at its first zero byte, as the body's places do.
std::string_view upToZero(const std::string& text) {
    const std::size_t zero = text.find('\0');
    return zero == std::string::npos ? std::string_view(text) : std::string_view(text).substr(0, zero);
}

}  // namespace

TrackTexts textsOfBody(const CId3v1Tag& body) {
    TrackTexts texts;
    for (int id : kTextFields) *texts.field(id) = bodyText(body, id);
    return texts;
}

std::uint64_t RecordIdentity::next() {
    // Records are made on the user-interface thread only: a plain counter, not an atomic one,
    // whose locked increment would cost a load of 100,000 plays a noticeable part of its time.
    static std::uint64_t counter = 0;
    return ++counter;
}

CTrackRecord::CTrackRecord(std::string_view path_, std::int32_t length_, TimeValue date_, std::int32_t played_)
    : length(length_), date(date_), played(played_), path(path_) {}

std::string dateFieldText(TimeValue date, const std::string& dateFormat) {
    return ansiToUtf8(formatDate(date, dateFormat));
}

std::string CTrackRecord::GetFieldText(int id, const std::string& dateFormat) const {
    switch (id) {
        case FieldDate: return dateFieldText(date, dateFormat);
        case FieldLength: return formatDuration(length);
        case FieldPlayed: return formatDuration(played);
        case FieldArtist:
        case FieldTitle:
        case FieldAlbum:
        case FieldYear:
        case FieldGenre:
        case FieldComment: return Text(id);
        default: return std::string();  // Number, Hits and unknown ids have no text of their own
    }
}

std::string CTrackRecord::Text(int id) const {
    std::string scratch;
    const std::string_view view = TextView(id, scratch);
    return view.data() == scratch.data() ? std::move(scratch) : std::string(view);
}

std::string_view CTrackRecord::TextView(int id, std::string& scratch) const {
    if (!whole_.empty()) {
        std::size_t at = 0;
        for (int field : kTextFields) {
            const std::size_t end = whole_.find('\0', at);
            if (field == id) return std::string_view(whole_).substr(at, end - at);
            at = end + 1;
        }
        return {};
    }
    std::string_view ansi;
    switch (id) {
        case FieldTitle: ansi = tag.title(); break;
        case FieldArtist: ansi = tag.artist(); break;
        case FieldAlbum: ansi = tag.album(); break;
        case FieldYear: ansi = tag.year(); break;
        case FieldComment: ansi = tag.comment(); break;
        case FieldGenre:
            if (const char* name = genreTableName(tag.genre())) return name;
            if (tag.genre() == CId3v1Tag::kNoGenre) return {};
            scratch = genreName(tag.genre());
            return scratch;
        default: return {};
    }
    for (char c : ansi) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            scratch.clear();
            appendAnsiAsUtf8(scratch, ansi);
            return scratch;
        }
    }
    return ansi;
}

void CTrackRecord::TextViews(std::string_view* views, std::string* scratch) const {
    if (whole_.empty()) {
        for (int id : kTextFields) views[id] = TextView(id, scratch[id]);
        return;
    }
    const std::string_view all(whole_);
    std::size_t at = 0;
    for (int id : kTextFields) {
        const std::size_t end = all.find('\0', at);
        views[id] = all.substr(at, end - at);
        at = end + 1;
    }
}

TrackTexts CTrackRecord::Texts() const {
    if (whole_.empty()) return textsOfBody(tag);
    TrackTexts texts;
    std::size_t at = 0;
    for (int field : kTextFields) {
        const std::size_t end = whole_.find('\0', at);
        texts.field(field)->assign(whole_, at, end - at);
        at = end + 1;
    }
    return texts;
}

void CTrackRecord::SetTexts(const TrackTexts& given) {
    TrackTexts texts;
    for (int id : kTextFields) {
        // Malformed UTF-8 never gets into a play; trailing white space is no part of a text.
        *texts.field(id) = std::string(utf8TrimRight(wellFormedUtf8(upToZero(*given.field(id)))));
    }
    std::uint8_t genre = texts.genre.empty() ? CId3v1Tag::kNoGenre : genreFromText(texts.genre);
    // The name a play shows for a number the table lacks ("Unknown (200)") keeps that number.
    const bool unnamed = genre == CId3v1Tag::kNoGenre && texts.genre.rfind("Unknown (", 0) == 0;
    for (int b = kGenreCount; unnamed && genre == CId3v1Tag::kNoGenre && b < CId3v1Tag::kNoGenre; ++b)
        if (texts.genre == genreName(static_cast<std::uint8_t>(b))) genre = static_cast<std::uint8_t>(b);
    // A genre of the table is named as the table names it, however the source wrote it ("(13)").
    if (genre != CId3v1Tag::kNoGenre) texts.genre = genreName(genre);
    tag = CId3v1Tag(utf8ToAnsi(texts.artist), utf8ToAnsi(texts.album), utf8ToAnsi(texts.title),
                    utf8ToAnsi(texts.year), utf8ToAnsi(texts.comment), genre);
    whole_.clear();
    if (texts == textsOfBody(tag)) return;
    for (int id : kTextFields) {
        whole_ += *texts.field(id);
        whole_ += '\0';
    }
    whole_.shrink_to_fit();
}

bool arePackedTexts(std::string_view packed) {
    std::size_t at = 0;
    for (std::size_t n = 0; n < std::size(kTextFields); ++n) {
        const std::size_t end = packed.find('\0', at);
        if (end == std::string_view::npos || !isWellFormedUtf8(packed.substr(at, end - at))) return false;
        at = end + 1;
    }
    return at == packed.size();
}

bool CTrackRecord::SetPackedTexts(std::string packed) {
    if (!packed.empty() && !arePackedTexts(packed)) return false;
    whole_ = std::move(packed);
    return true;
}

void CTrackRecord::SetTag(const CId3v1Tag& body) {
    tag = body;
    whole_.clear();
}

void CTrackRecord::CopyAll(const CTrackRecord& other) {
    CopyAllButDate(other);
    date = other.date;
    firstStart = other.firstStart;
}

void CTrackRecord::CopyAllButDate(const CTrackRecord& other) {
    path = other.path;
    widePath = other.widePath;
    length = other.length;
    played = other.played;
    tag = other.tag;
    whole_ = other.whole_;
}

bool CTrackRecord::IsSameGroup(const CTrackRecord& other, const GeneralSettings& settings) const {
    const FieldFlags& by = settings.GroupPlaytallyBy;
    if (by[FieldDate] &&
        !ansiEqualNoCase(formatDate(date, settings.DateFormat), formatDate(other.date, settings.DateFormat)))
        return false;
    if (by[FieldLength] && length != other.length) return false;
    if (by[FieldPlayed] && played != other.played) return false;
    std::string mine, theirs;
    for (int id : kTextFields)
        if (by[id] && !utf8EqualNoCase(TextView(id, mine), other.TextView(id, theirs))) return false;
    return true;
}

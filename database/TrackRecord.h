// One stored play of one file.
#pragma once
#include <cstdint>
#include <string>

#include "tags/Id3v1Tag.h"
#include "core/Clock.h"
#include "core/PathText.h"
#include "core/Prefetch.h"
#include "core/Settings.h"
#include "core/TrackTexts.h"

// Which object a record is, apart from what it holds. A command that waits for the user (a
// question, a dialog) finds its records again by it afterwards, although the timers may have
// trimmed, added or rebuilt meanwhile; an address could be handed to a new record in between.
// Numbers are never reused; a copy is another object and takes a number of its own.
class RecordIdentity {
public:
    RecordIdentity() : value_(next()) {}
    RecordIdentity(const RecordIdentity&) : value_(next()) {}
    RecordIdentity& operator=(const RecordIdentity&) { return *this; }  // an object keeps its identity
    std::uint64_t value() const { return value_; }

private:
    static std::uint64_t next();
    std::uint64_t value_;
};

class CTrackRecord {
public:
    // The members the list builder reads in its pass over every play (the whole texts, the
    // numbers, the mark and the body) lie side by side; a group then copies its first play, and
    // finds the path's length and first bytes right after the body. The rest of the path's place
    // comes last, and is read only as far as the path goes.
    RecordIdentity identity;   // never stored
    // The path of the played file whole when the ANSI code page cannot hold it ("" otherwise);
    // `path` then holds what the code page makes of it. Stored in the archive's wide string form.
    std::u16string widePath;

private:
    // The whole texts, one after another in the order of kTextFields, each ended by a zero
    // byte (a tag's text holds none); empty when the body says all. One allocation per play.
    std::string whole_;

public:
    std::int32_t length = 0;   // seconds
    TimeValue date = 0;        // start of the (last stretch of the) play
    // When the play first started, if that was before `date` (it was paused in between); 0
    // otherwise. What the services call the start of a listen.
    TimeValue firstStart = 0;
    std::int32_t played = 0;   // seconds listened to
    std::int32_t marked = 0;   // working mark of the list builder; never stored
    CId3v1Tag tag;
    // Full path of the played file as Winamp reported it, held in the record itself.
    CPathText path;

    CTrackRecord() = default;
    CTrackRecord(std::string_view path, std::int32_t length, TimeValue date, std::int32_t played);
    virtual ~CTrackRecord() = default;
    CTrackRecord(const CTrackRecord&) = default;
    CTrackRecord& operator=(const CTrackRecord&) = default;

    // The text form of field `id` in UTF-8 (Number and Hits are always ""); dates use
    // `dateFormat`; tag texts whole (Text).
    virtual std::string GetFieldText(int id, const std::string& dateFormat) const;

    // --- The texts whole ---
    // The whole text of a text field in UTF-8 (FieldArtist, FieldTitle, FieldAlbum, FieldYear,
    // FieldComment, FieldGenre: the genre's name); "" for any other id. A play that keeps no text
    // of its own answers what its body says.
    std::string Text(int id) const;
    // The same as a view, without allocating where it can: into the play's own texts or its body
    // (ASCII); a body's text beyond ASCII, or a genre's name, is made in `scratch`.
    std::string_view TextView(int id, std::string& scratch) const;
    // Every text field's view at once, indexed by field id (views and scratch of kFieldCount).
    void TextViews(std::string_view* views, std::string* scratch) const;
    TrackTexts Texts() const;
    // Sets the six texts: the body is made from them as an ID3v1 tag would hold them (the ANSI
    // code page, each cut to its place, the genre's byte from its name), and the texts are kept
    // whole only when they say more than that body.
    void SetTexts(const TrackTexts& texts);
    // Takes the body and the whole texts of another play.
    void TakeTexts(const CTrackRecord& other) {
        tag = other.tag;
        whole_ = other.whole_;
    }
    // Sets the body alone (a tag read from an ID3v1 tag or a stored play's): no whole text.
    void SetTag(const CId3v1Tag& body);
    // Whether the play keeps texts of its own beside its body.
    bool HasWholeTexts() const { return !whole_.empty(); }
    // Starts fetching the record itself (the members a list builder reads) into the cache.
    PTLY_PREFETCHING void Prefetch() const {
        const char* self = reinterpret_cast<const char*>(this);
        for (std::size_t at = 0; at < sizeof(CTrackRecord); at += 64) prefetchForRead(self + at);
    }
    // Starts fetching the whole texts (their first 192 bytes, which nearly always hold all six)
    // into the cache, for a caller about to read the texts of many plays in turn. A fetch past
    // the end of the texts is harmless: it never faults.
    PTLY_PREFETCHING void PrefetchTexts() const {
        if (whole_.empty()) return;
        const char* texts = whole_.data();
        prefetchForRead(texts);
        prefetchForRead(texts + 64);
        prefetchForRead(texts + 128);
    }
    // The whole texts as the database file stores them: the six texts in the order of
    // kTextFields, each ended by a zero byte; "" when the play keeps none.
    const std::string& PackedTexts() const { return whole_; }
    // Takes texts in that form beside the body, which stays as it is. False (and nothing changed)
    // when they are not six well-formed UTF-8 texts.
    bool SetPackedTexts(std::string packed);
    // The same with texts already found to be in that form (arePackedTexts).
    void AdoptPackedTexts(std::string packed) { whole_ = std::move(packed); }
    // The first start where the services want one: `firstStart`, else `date`.
    TimeValue ListenedAt() const { return firstStart != 0 ? firstStart : date; }

    // Copies path, length, date, played and the tag.
    void CopyAll(const CTrackRecord& other);
    // The same without the date.
    void CopyAllButDate(const CTrackRecord& other);
    // A play resumed after a pause: `date` moves to the new stretch, the first start stays.
    void StartStretch(TimeValue now) {
        if (firstStart == 0) firstStart = date;
        date = now;
        if (firstStart == date) firstStart = 0;
    }
    void EndStretch(TimeValue now) { played += now - date; }
    bool HasPath(std::string_view text) const { return path == text; }
    bool HasPath(std::string_view text, const std::u16string& wide) const { return path == text && widePath == wide; }
    // The grouping test, with the GroupPlaytallyBy flags and DateFormat of `settings`.
    bool IsSameGroup(const CTrackRecord& other, const GeneralSettings& settings) const;
};

// For a loop that reads plays one after another in a known order (`recordAt(turn)` gives the
// play of a turn). Each play's record and whole texts are allocations of their own and a play's
// turn is short, so each would wait for memory in turn. The record some turns ahead is asked for
// first, and the texts of the one halfway there (whose record has arrived meanwhile) next.
template <typename RecordAt>
PTLY_PREFETCHING void fetchPlaysAhead(std::size_t turn, std::size_t turns, RecordAt recordAt) {
    constexpr std::size_t kRecordsAhead = 16, kTextsAhead = 8;
    if (turn + kRecordsAhead < turns) recordAt(turn + kRecordsAhead).Prefetch();
    if (turn + kTextsAhead < turns) recordAt(turn + kTextsAhead).PrefetchTexts();
}

// The text of FieldDate for a play that started at `date` (what GetFieldText gives).
std::string dateFieldText(TimeValue date, const std::string& dateFormat);

// The text fields in the order a play keeps them.
constexpr int kTextFields[] = {FieldTitle, FieldArtist, FieldAlbum, FieldYear, FieldComment, FieldGenre};
// Whether the bytes are six well-formed UTF-8 texts each ended by a zero byte (PackedTexts).
bool arePackedTexts(std::string_view packed);
// The six texts that a body says, in UTF-8.
TrackTexts textsOfBody(const CId3v1Tag& body);

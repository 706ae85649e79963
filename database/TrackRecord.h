// One stored play of one file.
#pragma once
#include <cstdint>
#include <string>

#include "database/Id3v1Tag.h"
#include "core/Clock.h"
#include "core/Settings.h"

class IFileSystem;

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
    std::string path;          // full path of the played file as Winamp reported it
    // The path whole when the ANSI code page cannot hold it ("" otherwise); `path` then holds what
    // the code page makes of it. Stored in the archive's wide string form.
    std::u16string widePath;
    std::int32_t length = 0;   // seconds
    TimeValue date = 0;        // start of the (last stretch of the) play
    std::int32_t played = 0;   // seconds listened to
    CId3v1Tag tag;
    std::int32_t marked = 0;   // working mark of the list builder; never stored
    RecordIdentity identity;   // never stored

    CTrackRecord() = default;
    CTrackRecord(const std::string& path, std::int32_t length, TimeValue date, std::int32_t played);
    virtual ~CTrackRecord() = default;
    CTrackRecord(const CTrackRecord&) = default;
    CTrackRecord& operator=(const CTrackRecord&) = default;

    // The text form of field `id` (Number and Hits are always ""); dates use `dateFormat`.
    virtual std::string GetFieldText(int id, const std::string& dateFormat) const;

    // Copies path, length, date, played and the tag.
    void CopyAll(const CTrackRecord& other);
    // The same without the date.
    void CopyAllButDate(const CTrackRecord& other);
    // Reads the ID3v1 tag of the file at `path`; true when one was read. May raise
    // CMyReadMp3TagException.
    bool ReadTagFromFile(IFileSystem& files);
    void StartStretch(TimeValue now) { date = now; }
    void EndStretch(TimeValue now) { played += now - date; }
    bool HasPath(const std::string& text) const { return path == text; }
    bool HasPath(const std::string& text, const std::u16string& wide) const { return path == text && widePath == wide; }
    // The grouping test, with the GroupPlaytallyBy flags and DateFormat of `settings`.
    bool IsSameGroup(const CTrackRecord& other, const GeneralSettings& settings) const;
};

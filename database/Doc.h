// The database document: every stored play, and the list builder that makes rows of them for
// whoever shows them (the window's list, the report).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/GroupRecord.h"
#include "database/RecordStore.h"
#include "database/TrackRecord.h"

struct AppContext;
class CArchive;

// The parameters of one list build.
struct BuildListParams {
    TimeValue since = 0;       // plays before it are left out
    TimeValue till = 0;        // plays after it are left out
    bool logMode = false;      // Log mode, else Playtally mode
    bool topOn = false;        // whether topCount applies
    int topCount = 0;          // at most this many rows
    bool showProgress = false; // ask for a progress window even when no window is on screen
    // Log mode: plays that the rules keep out of the rankings are shown, marked (the window), or
    // left out (the report). Playtally mode always leaves them out.
    bool showKeptOut = false;
    // Playtally mode: rows ranked by the time heard (most first, equal times in the order of
    // their first plays) instead of by hits.
    bool rankByHeard = false;
};

class CDoc {
public:
    explicit CDoc(AppContext& context) : context_(context) {}
    virtual ~CDoc() = default;
    CDoc(const CDoc&) = delete;
    CDoc& operator=(const CDoc&) = delete;

    AppContext& context() { return context_; }

    // The stored plays, oldest first. Changes go through the store, which moves the generation.
    const RecordArray& records() const { return store_.all(); }
    CRecordStore& store() { return store_; }

    // --- Track record core (Doc.cpp) ---
    // Stores a copy of a finished play when the storing rules allow it; true when stored.
    bool AddTrack(const CTrackRecord& pending);
    // The grouping test with the application's current settings copy.
    bool IsSameGroup(const CTrackRecord& a, const CTrackRecord& b) const;
    // Changes with every change of records that makes rows built before it name the wrong
    // positions or show texts no longer stored: a load, a merge, a removal, a trimming save, a
    // tag edit. A new play appended or a path corrected leave it alone.
    std::uint32_t recordsGeneration() const { return store_.generation(); }
    // The position in records of the record a row stands for, the row built when the records'
    // generation was `builtAt`: its record index while nothing moved since, else wherever its
    // record went; -1 once that record is gone.
    int RecordOfRow(const CListRow& row, std::uint32_t builtAt) const;

    // --- Database file (DocFile.cpp) ---
    // The archive exchange: writes or reads `target` (null: records).
    virtual void SerializeDB(CArchive& archive, RecordArray* target);
    // Loads the database file named by "DBPath" into records (reporting failures itself).
    void LoadDatabase();
    // Saves records to the database file (reporting failures itself); false when it failed.
    bool SaveDatabase();
    // 0 when the file was read, -1 otherwise.
    int LoadFileIntoArray(const std::string& path, RecordArray* target);
    // Adds the plays of another database file without duplicates; 0 on success, -1 when that
    // file cannot be read.
    int MergeFrom(const std::string& path);
    // The database file at this path was not understood (unknown signature, or it could not be
    // read and could not be moved aside): the next save there keeps it aside first. "" for none.
    const std::string& notUnderstoodPath() const { return notUnderstoodPath_; }

    // --- List builder (ListBuilder.cpp) ---
    // The rows of the given mode, period and top count, for the caller to keep: no build changes
    // rows another caller holds.
    RowArray BuildList(const BuildListParams& params);

    // --- Record edits (RecordEdit.cpp) ---
    // The commands on the record behind a row of the Playtally window, `index` its position in
    // records. Each takes the record and its group as they are when it starts: the questions and
    // dialogs let timers run (a stored play, a trimming save), and what the user confirms acts on
    // those records wherever they went, never on records that moved into their places.
    // Removes the record (in Playtally mode with its group, after asking); true when any went.
    bool RemoveRecord(int index);
    // Asks for a new path (`missingPath` non-empty: its file, named whole by `missingWide` when
    // the code page cannot hold it, was not found) and sets it on the record or its group; true
    // when any path changed.
    bool ChangePath(int index, const std::string& missingPath, const std::u16string& missingWide = {});
    // Edits the stored tag of the record or of its group (never the file); true when any changed.
    bool EditTag(int index);
    // Plays the record's file in Winamp, asking for a new path while the file cannot be opened.
    void PlayRecord(int index);
    // The position in records of the record with this identity (looking at `hint` first), or -1.
    int FindRecord(std::uint64_t identity, int hint = -1) const;

private:
    AppContext& context_;
    CRecordStore store_;

    // --- Record edits (RecordEdit.cpp) ---
    // Identities of the records in the same group as `like` under the grouping of the window's
    // mode (reloading the settings; Log mode puts the instance flags in place), sorted.
    std::vector<std::uint64_t> groupOf(const CTrackRecord& like, bool logMode);

    // --- Database file (DocFile.cpp) ---
    enum class FileRole { database, mergeSource };
    // `target` null: the store.
    int loadFile(const std::string& path, RecordArray* target, FileRole role);
    bool keepAside(const std::string& path, const std::string& label, std::string& keptAs);
    // Keeps a database file that was not read whole aside as damaged (or marks it for the next
    // save when it cannot be moved now); returns where it is. Merge sources stay where they are.
    std::string keepDamaged(const std::string& path, FileRole role);
    std::string notUnderstoodPath_;
    std::string notUnderstoodLabel_;       // the name part of its kept-aside copy
    bool readUnknownSignature_ = false;    // set by SerializeDB when reading
    bool readTextCut_ = false;             // set by SerializeDB: the file ended inside a string
    bool readDamaged_ = false;             // set by SerializeDB: a record's bytes make no sense
    bool readNewer_ = false;               // set by SerializeDB: a newer version wrote the file
    bool readTrailerDamaged_ = false;      // set by SerializeDB: the whole texts could not be read
};

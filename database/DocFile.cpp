// The database file: reading and writing it through an archive, loading, saving and merging.
//
// Two rules keep the user's plays safe. A save never writes over the database: it writes a whole
// new file beside it, forces it to the disk and only then puts it in the database's place in one
// step. And a file that could not be understood is never deleted or overwritten: it is moved aside
// under a name that says why, and the user is told where it is.
#include <cstring>
#include <ctime>
#include <exception>
#include <new>

#include "database/Archive.h"
#include "database/Doc.h"
#include "database/WholeTextTrailer.h"
#include "core/FileSystem.h"
#include "core/ReplacingWrite.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

// A file that was not understood, moved aside at a save: news of its own, which a user who
// silenced the loading errors still gets.
const char kKeptAtSaveKey[] = "DBFileKeptAside";

// What a moved-aside copy is called after: <database>.<label>-<date>-<time>.
const char kDamagedLabel[] = "damaged";   // the file failed while being read
const char kUnknownLabel[] = "unknown";   // the file has an unknown signature
const char kUnreadableLabel[] = "unreadable";  // the file exists but could not be opened
const char kNewerLabel[] = "newer-version";   // a newer version's file, which may hold more than was read

// A new database is written here first, then put in the database's place.

void show(AppContext& context, const std::string& text, const char* key) {
    context.messages.showMessage(text, key);
}

// Local date and time as YYYYMMDD-HHMMSS.
std::string timeStamp(AppContext& context) {
    std::time_t t = static_cast<std::time_t>(context.clock.now());
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) local = std::tm{};
#else
    if (!localtime_r(&t, &local)) local = std::tm{};
#endif
    char text[32];
    if (std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local) == 0) return "0";
    return text;
}

// The loading failure message: the first sentence of the fatal-error text (the rest of it
// announced a deletion that no longer happens) and where the file now is.
std::string keptAsMessage(const std::string& where) {
    std::string text = loadString(IDS_DB_FATAL_LOADING);
    auto end = text.find('.');
    if (end != std::string::npos) text.erase(end + 1);
    return text + "\n" + loadString(IDS_DB_KEPT_AS) + where;
}

bool isNewer(std::uint32_t high, std::uint32_t low, const DatabaseSignature& ours) {
    return high > ours.versionHigh || (high == ours.versionHigh && low > ours.versionLow);
}

void writeRecord(CArchive& archive, const CTrackRecord& record) {
    archive.WriteInt32(record.date);
    archive.WriteInt32(record.played);
    archive.WriteInt32(record.length);
    // The wide form only where the code page cannot hold the name: every other path is stored as
    // it always was, and earlier versions read both forms.
    if (record.widePath.empty())
        archive.WriteString(record.path);
    else
        archive.WriteWideString(record.widePath);
    archive.Write(record.tag.body().data(), CId3v1Tag::kBodySize);
}

std::int32_t int32At(const std::uint8_t* b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
                                     (static_cast<std::uint32_t>(b[2]) << 16) |
                                     (static_cast<std::uint32_t>(b[3]) << 24));
}

void readRecord(CArchive& archive, CTrackRecord& record) {
    // Nearly every record has a path below 255 bytes and lies whole in the buffer: read it in one
    // piece. A large database is read mostly here.
    constexpr std::size_t kNumbers = 12, kBody = CId3v1Tag::kBodySize;
    if (const std::uint8_t* head = archive.Peek(kNumbers + 1)) {
        const std::size_t pathLength = head[kNumbers];
        if (pathLength < 0xFF) {
            const std::size_t size = kNumbers + 1 + pathLength + kBody;
            if (const std::uint8_t* b = archive.Peek(size)) {
                record.date = int32At(b);
                record.played = int32At(b + 4);
                record.length = int32At(b + 8);
                record.path.assign(std::string_view(reinterpret_cast<const char*>(b + kNumbers + 1), pathLength));
                std::memcpy(record.tag.body().data(), b + kNumbers + 1 + pathLength, kBody);
                record.tag.RebuildFields();
                archive.Skip(size);
                return;
            }
        }
    }
    record.date = archive.ReadInt32();
    record.played = archive.ReadInt32();
    record.length = archive.ReadInt32();
    std::string path;  // a long or wide path: rare enough for a string of its own on the way
    archive.ReadString(path, record.widePath);
    record.path = path;
    // Straight into the new record's body, which is all zero: a body cut short by the end of the
    // file keeps its missing texts empty, and a missing genre byte means no genre (255), not the
    // first one (0).
    CId3v1Tag::Body& body = record.tag.body();
    if (archive.Read(body.data(), body.size()) < body.size()) body[body.size() - 1] = CId3v1Tag::kNoGenre;
    record.tag.RebuildFields();
}

// Closes a file on a path that already failed; a second failure has nothing left to report.
void closeQuietly(std::unique_ptr<IFile>& file) {
    if (!file) return;
    try {
        file->close();
    } catch (...) {
    }
    file.reset();
}

}  // namespace

constexpr std::size_t kWriteAhead = 16;

void CDoc::SerializeDB(CArchive& archive, RecordArray* target) {
    const DatabaseSignature& signature = context_.signature;

    if (archive.IsStoring()) {
        GeneralSettings settings = context_.readSettings();
        // A size below 1 is outside what the settings page accepts: keep everything rather than
        // empty the database because of an odd registry value.
        const bool trim = settings.NoLarger && settings.DBSize > 0;
        const auto limit = static_cast<std::size_t>(settings.DBSize);
        if (trim && target && target->size() > limit) target->erase(target->begin(), target->end() - settings.DBSize);
        if (trim && !target) store_.keepNewest(limit);
        archive.WriteString(signature.description);
        archive.WriteUInt32(signature.versionHigh);
        archive.WriteUInt32(signature.versionLow);
        const RecordArray& saved = target ? *target : store_.all();
        std::vector<std::uint32_t> entries;
        for (std::size_t i = 0; i < saved.size(); ++i) {
            // The records lie apart in memory: each is asked for some turns ahead of its write.
            if (i + kWriteAhead < saved.size()) saved[i + kWriteAhead]->Prefetch();
            writeRecord(archive, *saved[i]);
            if (hasTrailerEntry(*saved[i])) entries.push_back(static_cast<std::uint32_t>(i));
        }
        writeWholeTextTrailer(archive, saved, entries);
        return;
    }

    readUnknownSignature_ = false;
    readTextCut_ = false;
    readDamaged_ = false;
    readNewer_ = false;
    readTrailerDamaged_ = false;
    if (archive.ReadString() != signature.description) {
        readUnknownSignature_ = true;
        show(context_, loadString(IDS_GEN_UNKNOWN_HEADER), "ErrorOpening");
        return;
    }
    std::uint32_t high = archive.ReadUInt32();
    std::uint32_t low = archive.ReadUInt32();
    readNewer_ = isNewer(high, low, signature);
    if (readNewer_) show(context_, loadString(IDS_DB_NEWER_FORMAT), "DBFileIsNewerFormat");

    // The stored plays go before the file is read: a file that fails half way leaves none.
    RecordArray loaded;
    if (!target) store_.replaceAll(RecordArray());
    RecordArray& records = target ? *target : loaded;
    records.clear();
    // No record is shorter than its numbers, a one-byte length and the tag body.
    constexpr std::uint64_t kShortestRecord = 12 + 1 + CId3v1Tag::kBodySize;
    records.reserve(static_cast<std::size_t>(archive.Remaining() / kShortestRecord) + 1);
    while (!archive.AtEnd()) {
        if (atWholeTextTrailer(archive)) {
            readTrailerDamaged_ = !readWholeTextTrailer(archive, records);
            // Only the trailer gives plays texts of their own: without it there is none to share.
            if (!readTrailerDamaged_) shareWholeTexts(records);
            break;
        }
        // Default-initialised: its members set themselves, and the object is not zeroed first.
        std::unique_ptr<CTrackRecord> record(new CTrackRecord);
        try {
            readRecord(archive, *record);
        } catch (const CArchiveTextCut&) {
            readTextCut_ = true;  // the end too, but the file may hold more than was read
            break;
        } catch (const CArchiveEndOfFile&) {
            break;  // the file ends inside this record: drop it, keep the ones before
        } catch (const CArchiveException&) {
            readDamaged_ = true;  // a length no writer makes: keep the plays before it
            break;
        }
        records.push_back(std::move(record));
    }
    if (!target) store_.replaceAll(std::move(loaded));
}

int CDoc::LoadFileIntoArray(const std::string& path, RecordArray* target) {
    return loadFile(path, target, target ? FileRole::mergeSource : FileRole::database);
}

int CDoc::loadFile(const std::string& path, RecordArray* target, FileRole role) {
    IFileSystem& files = context_.files;
    std::unique_ptr<IFile> file = files.openRead(path);
    const bool opened = file != nullptr;
    // A file that is missing or cannot be opened counts as empty: the first start, before any save.
    std::int64_t size = 0;
    try {
        if (file) size = file->size();
    } catch (...) {
        size = 0;
    }
    if (size <= 0) {
        closeQuietly(file);
        // A database that exists but could not be opened (locked by another program, say) is
        // not an empty one: the next save must not put the records in memory in its place.
        if (!opened && role == FileRole::database && files.exists(path) && !files.isFolder(path)) {
            notUnderstoodPath_ = path;
            notUnderstoodLabel_ = kUnreadableLabel;
        }
        return -1;
    }

    try {
        CArchive archive(*file, CArchive::load);
        SerializeDB(archive, target);
        closeQuietly(file);
    } catch (...) {
        closeQuietly(file);
        if (target)
            target->clear();
        else
            store_.replaceAll(RecordArray());
        show(context_, keptAsMessage(keepDamaged(path, role)), "UnknownErrorLoading");
        return -1;
    }

    if (readDamaged_) {
        // As a cut file: the plays before the damage are loaded, the file is kept aside whole.
        const std::string loaded = loadString(IDS_DB_DAMAGED_AFTER);
        const std::size_t at = loaded.find("%1");
        show(context_,
             (at == std::string::npos ? loaded : loaded.substr(0, at) + std::to_string(target ? target->size() : store_.size()) + loaded.substr(at + 2)) +
                 "\n" + loadString(IDS_DB_KEPT_AS) + keepDamaged(path, role),
             "DBFileIsDamaged");
        return 0;
    }
    if (readTextCut_) {
        // The plays before the cut are loaded; the file is kept as a damaged one is, since the
        // length that ended it may be the damage and more plays follow it.
        show(context_, loadString(IDS_DB_ENDS_INSIDE_PLAY) + "\n" + loadString(IDS_DB_KEPT_AS) + keepDamaged(path, role),
             "DBFileIsCut");
        return 0;
    }
    if (readTrailerDamaged_) {
        // Every play is loaded with its body; the whole texts stay in the kept file.
        show(context_, loadString(IDS_DB_TEXTS_DAMAGED) + "\n" + loadString(IDS_DB_KEPT_AS) + keepDamaged(path, role),
             "DBFileTextsDamaged");
        return 0;
    }
    if (role == FileRole::database) {
        if (readUnknownSignature_) {
            notUnderstoodPath_ = path;
            notUnderstoodLabel_ = kUnknownLabel;
        } else if (readNewer_) {
            // Saved in this version's form, it would lose what the newer one stored: the next
            // save keeps it aside first and says where.
            notUnderstoodPath_ = path;
            notUnderstoodLabel_ = kNewerLabel;
        } else if (notUnderstoodPath_ == path) {
            notUnderstoodPath_.clear();
        }
    }
    return 0;
}

std::string CDoc::keepDamaged(const std::string& path, FileRole role) {
    // Another database being merged is not ours to move.
    if (role != FileRole::database) return path;
    // Never delete what could not be read: move it out of the way of the next save.
    std::string keptAs;
    if (keepAside(path, kDamagedLabel, keptAs)) {
        if (notUnderstoodPath_ == path) notUnderstoodPath_.clear();
        return keptAs;
    }
    notUnderstoodPath_ = path;
    notUnderstoodLabel_ = kDamagedLabel;
    return path;
}

bool CDoc::keepAside(const std::string& path, const std::string& label, std::string& keptAs) {
    IFileSystem& files = context_.files;
    const std::string base = path + "." + label + "-" + timeStamp(context_);
    for (int n = 1; n <= 1000; ++n) {
        std::string candidate = n == 1 ? base : base + "-" + std::to_string(n);
        if (files.exists(candidate)) continue;
        if (files.moveFile(path, candidate)) {
            keptAs = candidate;
            return true;
        }
        // Taken in the meantime: try the next name; any other failure ends the attempt.
        if (!files.exists(candidate)) return false;
    }
    return false;
}

void CDoc::LoadDatabase() {
    GeneralSettings settings = context_.readSettings();
    std::string path = resolvePluginPath(settings.DBPath, context_.pluginFolder);
    if (path.empty()) {
        show(context_, loadString(IDS_DB_LOAD_PATH_EMPTY), "LoadDBIsEmpty");
        return;
    }
    LoadFileIntoArray(path, nullptr);
}

bool CDoc::SaveDatabase() {
    GeneralSettings settings = context_.readSettings();
    const std::string path = resolvePluginPath(settings.DBPath, context_.pluginFolder);
    if (path.empty()) {
        show(context_, loadString(IDS_DB_SAVE_PATH_EMPTY), "SaveDBIsEmpty");
        return false;
    }
    IFileSystem& files = context_.files;
    const std::size_t countBefore = store_.size();

    CReplacingWrite write(files, path);
    if (!write.file()) {
        show(context_, loadString(IDS_GEN_CANNOT_SAVE) + write.reason(), "ErrorSavingDBFile");
        return false;
    }
    try {
        CArchive archive(*write.file(), CArchive::store);
        SerializeDB(archive, nullptr);
        archive.Flush();
        write.file()->flush();
        write.close();
    } catch (...) {
        write.discard();
        show(context_, loadString(IDS_DB_FAILED_SAVING), "ErrorWhileSavingPTDB");
        return false;
    }

    // The window's rows name the records they show by position; after a trim it builds them again.
    if (store_.size() != countBefore) context_.views->refreshPlaytallyWindow();

    // A file that was never understood is kept aside before anything takes its place, and the
    // user learns where it went.
    if (!notUnderstoodPath_.empty() && notUnderstoodPath_ == path) {
        if (files.exists(path)) {
            std::string keptAs;
            if (!keepAside(path, notUnderstoodLabel_, keptAs)) {
                std::string reason = files.lastErrorText();
                write.discard();
                show(context_, loadString(IDS_GEN_CANNOT_SAVE) + reason, "ErrorSavingDBFile");
                return false;
            }
            show(context_, keptAsMessage(keptAs), kKeptAtSaveKey);
        }
        notUnderstoodPath_.clear();
    }

    if (!write.replace()) {
        // All was written; the file in the database's place refused to go (read-only, held open
        // by another program): a reason the system can name, like a file that cannot be created.
        show(context_, loadString(IDS_GEN_CANNOT_SAVE) + write.reason(), "ErrorSavingDBFile");
        return false;
    }
    return true;
}

int CDoc::MergeFrom(const std::string& path) {
    RecordArray other;
    if (loadFile(path, &other, FileRole::mergeSource) != 0) return -1;
    try {
        CSameSecondRule sameSecond;
        if (store_.mergeByDate(std::move(other), sameSecond) == 0) return 0;
    } catch (const std::bad_alloc&) {
        return -1;  // thrown before any record moved
    }
    context_.views->refreshPlaytallyWindow();
    return 0;
}

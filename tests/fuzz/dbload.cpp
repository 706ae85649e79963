// Loads arbitrary bytes as the database file through the real loader. Beyond not crashing: a file
// that fails to load, or whose whole texts cannot be read, is kept whole under another name, and
// whatever loads saves and loads again to the same records, whole texts and first starts included.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "database/Doc.h"
#include "core/MemoryFileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"

namespace {

class CountingMessages : public IMessages {
public:
    void showMessage(const std::string&, const std::string& key) override { last = key; }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    std::string last;
};

class FixedClock : public IClock {
public:
    TimeValue now() override { return 1796688902; }
};

const char kDb[] = "C:\\db\\x.dat";

bool sameRecords(const RecordArray& a, const RecordArray& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const CTrackRecord& x = *a[i];
        const CTrackRecord& y = *b[i];
        if (x.path != y.path || x.date != y.date || x.played != y.played || x.length != y.length ||
            x.tag.body() != y.tag.body() || x.tag.genre() != y.tag.genre() || x.PackedTexts() != y.PackedTexts() ||
            x.firstStart != y.firstStart)
            return false;
    }
    return true;
}

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFileSystem files;
    files.folders.insert("C:\\db");
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    files.put(kDb, bytes);

    MemoryProfile profile;
    profile.writeString(sectionGeneral(), "DBPath", kDb);
    profile.writeInt(sectionGeneral(), "NoLarger", 0);
    CountingMessages messages;
    FixedClock clock;
    AppContext context{profile, messages, clock, files};
    context.signature = {"Dozoderi Playtally WinAmp Plug-in", 0x00010002, 0};

    CDoc doc(context);
    doc.LoadDatabase();

    if (messages.last == "UnknownErrorLoading") {
        // Nothing deleted: the bytes are kept aside, and the database path is free.
        const std::string* kept = files.get(std::string(kDb) + ".damaged-20261208-001502");
        check(kept && *kept == bytes && !files.get(kDb) && doc.records().empty());
        return 0;
    }
    if (messages.last == "DBFileIsCut" || messages.last == "DBFileIsDamaged" || messages.last == "DBFileTextsDamaged") {
        // The plays before the cut or the damage are read (and checked below); the whole file is
        // kept aside.
        const std::string* kept = files.get(std::string(kDb) + ".damaged-20261208-001502");
        check(kept && *kept == bytes && !files.get(kDb));
    }
    if (messages.last == "ErrorOpening") {
        check(files.get(kDb) && *files.get(kDb) == bytes && doc.notUnderstoodPath() == kDb);
        return 0;
    }

    // Read: writing the records and reading them back gives the same records. A newer version's
    // file is kept aside whole before the first save over it.
    const bool newer = messages.last == "DBFileIsNewerFormat";
    doc.SaveDatabase();
    if (newer) {
        const std::string* kept = files.get(std::string(kDb) + ".newer-version-20261208-001502");
        check(kept && *kept == bytes);
    }
    if (size == 0) return 0;
    CDoc again(context);
    again.LoadDatabase();
    check(sameRecords(doc.records(), again.records()));
    return 0;
}

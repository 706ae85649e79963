// Saving and loading never lose the user's plays: failures at every step of a save, files that
// cannot be read or were not understood, odd database paths, and the trim to "DBSize".
#include <gtest/gtest.h>

#include <functional>

#include "core/Exceptions.h"
#include "core/MemoryFileSystem.h"
#include "resources/StringTable.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

const std::string kDbPath = "C:\\data\\db.dat";
const std::string kNewPath = kDbPath + ".tmp";
const std::string kSavingFailed =
    "Some critical error occured while saving Dozoderi Playtally Database.\nPlease contact the plug-in vendor for "
    "support. ";
const std::string kCannotCreate = "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\n";

// A memory file system that fails on request, and calls `afterStep` after every operation that
// changes a file, so a test can look at the disk at each moment a crash could happen.
class FailingFileSystem : public MemoryFileSystem {
public:
    int failAtWrite = 0;  // this write call (1, 2, ...) writes half its bytes and fails; 0: none
    bool failCreate = false, failFlush = false, failClose = false, failReplace = false, failMove = false;
    bool failOpenRead = false;  // as when another program holds the file locked
    int writes = 0;
    std::function<void()> afterStep = [] {};

    std::unique_ptr<IFile> openRead(const std::string& path) override {
        return failOpenRead ? nullptr : MemoryFileSystem::openRead(path);
    }
    std::unique_ptr<IFile> createWrite(const std::string& path) override {
        if (failCreate) {
            lastErrorText_ = "Disk is write-protected";
            return nullptr;
        }
        auto inner = MemoryFileSystem::createWrite(path);
        afterStep();
        return inner ? std::make_unique<File>(std::move(inner), *this) : nullptr;
    }
    bool replaceFile(const std::string& from, const std::string& to) override {
        bool ok = !failReplace && MemoryFileSystem::replaceFile(from, to);
        if (failReplace) lastErrorText_ = "The file is in use by another process";
        afterStep();
        return ok;
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        bool ok = !failMove && MemoryFileSystem::moveFile(from, to);
        if (failMove) lastErrorText_ = "Sharing violation";
        afterStep();
        return ok;
    }
    bool removeFile(const std::string& path) override {
        bool ok = MemoryFileSystem::removeFile(path);
        afterStep();
        return ok;
    }
    std::string lastErrorText() override {
        return lastErrorText_.empty() ? MemoryFileSystem::lastErrorText() : lastErrorText_;
    }

private:
    class File : public IFile {
    public:
        File(std::unique_ptr<IFile> inner, FailingFileSystem& fs) : inner_(std::move(inner)), fs_(fs) {}
        std::size_t read(void* b, std::size_t n) override { return inner_->read(b, n); }
        void write(const void* b, std::size_t n) override {
            if (++fs_.writes == fs_.failAtWrite) {
                inner_->write(b, n / 2);
                fs_.afterStep();
                throw CFileException("There is not enough space on the disk.");
            }
            inner_->write(b, n);
            fs_.afterStep();
        }
        void seek(std::int64_t p) override { inner_->seek(p); }
        std::int64_t size() override { return inner_->size(); }
        void flush() override {
            if (fs_.failFlush) throw CFileException("The device is not ready.");
            inner_->flush();
        }
        void close() override {
            inner_->close();
            if (fs_.failClose) throw CFileException("The network name is no longer available.");
        }

    private:
        std::unique_ptr<IFile> inner_;
        FailingFileSystem& fs_;
    };
    std::string lastErrorText_;
};

struct DbSafety : ::testing::Test {
    DbSafety() : setup(fs, kDbPath) { fs.folders.insert("C:\\data"); }
    FailingFileSystem fs;
    DocSetup setup;
};

}  // namespace

// A save that fails at any write, at the flush, the close or the replace leaves the old database
// whole; at no moment does the database path hold anything but the old or the new file, and the
// half-written new file is removed.
TEST_F(DbSafety, AFailureAtAnyStepOfASaveKeepsTheOldDatabase) {
    const std::string oldBytes = databaseBytes(plays(30, 500));
    const std::vector<Play> newPlays = plays(2500);  // several of the archive's buffers
    setup.setSize(false, 1000);
    const std::string newBytes = databaseBytes(newPlays);
    fs.afterStep = [&] {
        const std::string* db = fs.get(kDbPath);
        if (!db || (*db != oldBytes && *db != newBytes)) ADD_FAILURE() << "the database path holds a cut file";
    };

    auto saveWith = [&](const std::function<void()>& arrange) {
        fs.files.clear();
        fs.put(kDbPath, oldBytes);
        fs.writes = 0;
        fs.failAtWrite = 0;
        fs.failCreate = fs.failFlush = fs.failClose = fs.failReplace = false;
        setup.messages.shown.clear();
        setup.fill(newPlays);
        arrange();
        setup.doc.SaveDatabase();
        EXPECT_EQ(fs.get(kNewPath), nullptr) << "the new file was left behind";
        EXPECT_TRUE(holdsPlays(setup.doc.records(), newPlays)) << "memory changed";
    };

    saveWith([] {});
    const int totalWrites = fs.writes;
    ASSERT_GE(totalWrites, 5);  // the data spans several buffers
    EXPECT_EQ(*fs.get(kDbPath), newBytes);
    EXPECT_TRUE(setup.messages.shown.empty());

    for (int n = 1; n <= totalWrites; ++n) {
        SCOPED_TRACE(n);
        saveWith([&] { fs.failAtWrite = n; });
        EXPECT_EQ(*fs.get(kDbPath), oldBytes);
        ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorWhileSavingPTDB"});
        EXPECT_EQ(setup.messages.shown[0].text, kSavingFailed);
    }

    // Where the system names a reason (the new file cannot be made, or cannot take the database's
    // place), the user reads it.
    struct Step {
        const char* name;
        bool FailingFileSystem::*flag;
        std::string key, text;
    };
    const Step steps[] = {
        {"flush", &FailingFileSystem::failFlush, "ErrorWhileSavingPTDB", kSavingFailed},
        {"close", &FailingFileSystem::failClose, "ErrorWhileSavingPTDB", kSavingFailed},
        {"replace", &FailingFileSystem::failReplace, "ErrorSavingDBFile",
         kCannotCreate + "The file is in use by another process"},
        {"create", &FailingFileSystem::failCreate, "ErrorSavingDBFile", kCannotCreate + "Disk is write-protected"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        saveWith([&] { fs.*step.flag = true; });
        EXPECT_EQ(*fs.get(kDbPath), oldBytes);
        ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{step.key});
        EXPECT_EQ(setup.messages.shown[0].text, step.text);
    }
}

// A file not read whole is kept aside, never deleted, and the plays before the damage are loaded:
// a length of no known form, a path text that runs past the end (cut there, or its length damaged
// with more plays behind).
TEST_F(DbSafety, AFileNotReadWholeIsKeptAsideNotDeleted) {
    const std::vector<Play> ps = plays(3);
    const std::string kept = kDbPath + ".damaged-20261208-001502";
    const std::string secondNumbers = le32(1) + le32(2) + le32(3);
    const std::string damaged =
        "The Playtally database file is damaged after its first 1 plays: those plays were loaded.\n"
        "The file was kept as:\n";
    const std::string cut =
        "The Playtally database file ends in the middle of a play: the plays before it were loaded.\n"
        "The file was kept as:\n";
    struct Case {
        const char* name;
        std::string bytes;
        int result;
        std::vector<Play> loaded;
        std::string key, text;
    };
    const Case cases[] = {
        {"a length of no known form",
         header() + ps[0].block() + secondNumbers + "\xFF\xFE\xFF\xFF\xFE\xFF" + ps[2].block(), 0, {ps[0]},
         "DBFileIsDamaged", damaged},
        {"a length past the end, plays behind it", header() + ps[0].block() + secondNumbers + "\xFF\xFF\xFF" +
                                                       le32(0x7FFFFFF0) + ps[2].block(),
         0, {ps[0]}, "DBFileIsCut", cut},
        {"cut inside a path", databaseBytes(ps).substr(0, header().size() + ps[0].block().size() + 20), 0, {ps[0]},
         "DBFileIsCut", cut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs.files.clear();
        setup.messages.shown.clear();
        fs.put(kDbPath, c.bytes);
        setup.fill(plays(2, 7));
        const std::uint32_t generation = setup.doc.recordsGeneration();

        EXPECT_EQ(setup.doc.LoadFileIntoArray(kDbPath, nullptr), c.result);
        EXPECT_TRUE(holdsPlays(setup.doc.records(), c.loaded));
        EXPECT_NE(setup.doc.recordsGeneration(), generation) << "rows built before name records that are gone";
        ASSERT_NE(fs.get(kept), nullptr);
        EXPECT_EQ(*fs.get(kept), c.bytes);
        EXPECT_EQ(fs.get(kDbPath), nullptr);
        ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{c.key});
        EXPECT_EQ(setup.messages.shown[0].text, c.text + kept);
        EXPECT_EQ(setup.doc.notUnderstoodPath(), "");

        // The next save writes the plays in memory and leaves the kept file alone.
        setup.doc.store().append(plays(1, 5000)[0].record());
        setup.doc.SaveDatabase();
        std::vector<Play> saved = c.loaded;
        saved.push_back(plays(1, 5000)[0]);
        EXPECT_EQ(*fs.get(kDbPath), databaseBytes(saved));
        EXPECT_EQ(*fs.get(kept), c.bytes);
        EXPECT_EQ(setup.messages.shown.size(), 1u);
    }
}

TEST_F(DbSafety, ANewerVersionsFileIsKeptAsideBeforeTheFirstSaveOverIt) {
    const std::vector<Play> ps = plays(2);
    std::string newer = header(0x00010003, 0) + ps[0].block() + ps[1].block();
    fs.put(kDbPath, newer);
    setup.doc.LoadDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), ps));
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsNewerFormat"});
    EXPECT_EQ(*fs.get(kDbPath), newer);

    ASSERT_TRUE(setup.doc.SaveDatabase());
    const std::string kept = kDbPath + ".newer-version-" + kNowStamp;
    ASSERT_NE(fs.get(kept), nullptr);
    EXPECT_EQ(*fs.get(kept), newer);
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(ps));
    ASSERT_EQ(setup.messages.shown.size(), 2u);
    EXPECT_NE(setup.messages.shown[1].text.find(kept), std::string::npos);
    // Only the first save: the file in its place now is this version's own.
    ASSERT_TRUE(setup.doc.SaveDatabase());
    EXPECT_EQ(setup.messages.shown.size(), 2u);
}

TEST_F(DbSafety, KeptNamesDoNotReplaceEarlierKeptFiles) {
    const std::string base = kDbPath + ".damaged-" + kNowStamp;
    fs.put(base, "first");
    fs.put(base + "-2", "second");
    const std::string damaged = header() + le32(1) + le32(2) + le32(3) + std::string("\x50") + "abc";
    fs.put(kDbPath, damaged);
    setup.doc.LoadDatabase();
    EXPECT_EQ(*fs.get(base), "first");
    EXPECT_EQ(*fs.get(base + "-2"), "second");
    ASSERT_NE(fs.get(base + "-3"), nullptr);
    EXPECT_EQ(*fs.get(base + "-3"), damaged);
    EXPECT_NE(setup.messages.shown.at(0).text.find(base + "-3"), std::string::npos);
}

TEST_F(DbSafety, AnUnreadableFileThatCannotBeMovedIsKeptAsideBeforeTheNextSave) {
    const std::string bytes = header().substr(0, 20);
    fs.put(kDbPath, bytes);
    fs.failMove = true;
    setup.doc.LoadDatabase();
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"UnknownErrorLoading"});
    EXPECT_EQ(setup.messages.shown[0].text,
              "Fatal error occured while loading the Playtally Plug-in database file.\nThe file was kept as:\n" + kDbPath);
    EXPECT_EQ(setup.doc.notUnderstoodPath(), kDbPath);

    // While it still cannot be moved, no save writes over it.
    setup.fill(plays(2));
    setup.messages.shown.clear();
    setup.doc.SaveDatabase();
    EXPECT_EQ(*fs.get(kDbPath), bytes);
    EXPECT_EQ(fs.get(kNewPath), nullptr);
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorSavingDBFile"});
    EXPECT_EQ(setup.messages.shown[0].text, kCannotCreate + "Sharing violation");

    fs.failMove = false;
    setup.messages.shown.clear();
    setup.doc.SaveDatabase();
    EXPECT_EQ(*fs.get(kDbPath + ".damaged-" + kNowStamp), bytes);
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileKeptAside"});
    EXPECT_EQ(setup.messages.shown[0].text,
              "Fatal error occured while loading the Playtally Plug-in database file.\nThe file was kept as:\n" +
                  kDbPath + ".damaged-" + kNowStamp);
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(plays(2)));
    EXPECT_EQ(setup.doc.notUnderstoodPath(), "");
}

TEST_F(DbSafety, AFileWithAnUnknownSignatureIsKeptAsideBeforeTheFirstSave) {
    const std::string foreign = header(1, 2, "Somebody else's file") + std::string(300, 'z');
    fs.put(kDbPath, foreign);
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorOpening"});
    EXPECT_EQ(*fs.get(kDbPath), foreign);

    setup.doc.SaveDatabase();
    const std::string kept = kDbPath + ".unknown-" + kNowStamp;
    // Under a key of its own: a user who silenced the loading errors still learns where it went.
    EXPECT_EQ(setup.messages.keys(), (std::vector<std::string>{"ErrorOpening", "DBFileKeptAside"}));
    ASSERT_NE(fs.get(kept), nullptr);
    EXPECT_EQ(*fs.get(kept), foreign);
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(plays(2)));
    EXPECT_EQ(setup.doc.notUnderstoodPath(), "");

    // Once kept, later saves simply replace the database.
    setup.doc.SaveDatabase();
    std::size_t keptFiles = 0;
    for (const auto& f : fs.files) keptFiles += f.first.find(".unknown-") != std::string::npos;
    EXPECT_EQ(keptFiles, 1u);
}

// A file that cannot be opened loads as an empty one; the next save then must not put
// the plays in memory in the place of the history it could not read.
TEST_F(DbSafety, ADatabaseThatCouldNotBeOpenedIsKeptAsideBeforeTheFirstSave) {
    const std::string history = databaseBytes(plays(40));
    fs.put(kDbPath, history);
    fs.failOpenRead = true;
    setup.doc.LoadDatabase();
    EXPECT_TRUE(setup.messages.shown.empty());
    EXPECT_TRUE(setup.doc.records().empty());
    EXPECT_EQ(setup.doc.notUnderstoodPath(), kDbPath);

    fs.failOpenRead = false;
    setup.fill(plays(2, 90000));
    setup.doc.SaveDatabase();
    const std::string kept = kDbPath + ".unreadable-" + kNowStamp;
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileKeptAside"});
    ASSERT_NE(fs.get(kept), nullptr);
    EXPECT_EQ(*fs.get(kept), history);
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(plays(2, 90000)));

    // A folder at the path, or no file at all, is not kept aside.
    fs.files.clear();
    fs.failOpenRead = true;
    setup.doc.LoadDatabase();
    EXPECT_EQ(setup.doc.notUnderstoodPath(), "");
    fs.folders.insert(kDbPath);
    setup.doc.LoadDatabase();
    EXPECT_EQ(setup.doc.notUnderstoodPath(), "");
}

TEST_F(DbSafety, ASuccessfulLoadForgetsAnEarlierUnknownFile) {
    fs.put(kDbPath, header(1, 2, "Somebody else's file"));
    setup.doc.LoadDatabase();
    ASSERT_EQ(setup.doc.notUnderstoodPath(), kDbPath);
    fs.put(kDbPath, databaseBytes(plays(3)));
    setup.doc.LoadDatabase();
    EXPECT_EQ(setup.doc.notUnderstoodPath(), "");
    setup.doc.SaveDatabase();
    EXPECT_EQ(fs.files.size(), 1u);
}

TEST_F(DbSafety, EmptyPathIsReportedOnLoadAndSave) {
    setup.setDbPath("");
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    setup.doc.SaveDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));
    EXPECT_TRUE(fs.files.empty());
    ASSERT_EQ(setup.messages.keys(), (std::vector<std::string>{"LoadDBIsEmpty", "SaveDBIsEmpty"}));
    EXPECT_EQ(setup.messages.shown[0].text,
              "Can't Load Playtally Database bacause no database file path is given.\nSet the Playtally Database "
              "file path or disable the plug-in.");
    EXPECT_EQ(setup.messages.shown[1].text,
              "Can't Save Playtally Database bacause no database file path is given.\nSet the Playtally Database "
              "file path or disable the plug-in.");
}

TEST_F(DbSafety, BareFileNameLivesInThePluginFolder) {
#ifdef _WIN32
    const std::string path = "C:\\Winamp\\Plugins\\mine.dat";
#else
    const std::string path = "C:\\Winamp\\Plugins/mine.dat";
#endif
    fs.folders.insert("C:\\Winamp\\Plugins");
    setup.setDbPath("mine.dat");
    setup.fill(plays(2));
    setup.doc.SaveDatabase();
    ASSERT_NE(fs.get(path), nullptr);
    EXPECT_EQ(*fs.get(path), databaseBytes(plays(2)));
    setup.doc.store().replaceAll({});
    setup.doc.LoadDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));
}

TEST_F(DbSafety, OddDatabasePaths) {
    // Each save fails with the system's reason.
    struct Case {
        const char* name;
        std::string path;
        std::function<void()> arrange;
        std::string reason;
    };
    const Case cases[] = {
        {"a folder", "C:\\data\\sub", [&] { fs.folders.insert("C:\\data\\sub"); }, "Is a folder"},
        {"a missing folder", "C:\\nowhere\\db.dat", [] {}, "No such folder"},
        {"read-only", kDbPath,
         [&] {
             fs.put(kDbPath, databaseBytes(plays(4, 9)));
             fs.readOnly.insert(kDbPath);
         },
         "Access denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs.files.clear();
        fs.folders = {"C:\\data"};
        fs.readOnly.clear();
        setup.messages.shown.clear();
        c.arrange();
        const auto before = fs.files;
        const std::string* oldBytes = fs.get(c.path);
        const std::string kept = oldBytes ? *oldBytes : "";
        setup.setDbPath(c.path);
        setup.fill(plays(2));

        setup.doc.SaveDatabase();
        ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorSavingDBFile"});
        EXPECT_EQ(setup.messages.shown[0].text, kCannotCreate + c.reason);
        EXPECT_EQ(fs.files.size(), before.size()) << "a file was left behind";
        if (oldBytes) {
            EXPECT_EQ(*fs.get(c.path), kept);
        }
        EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));

        setup.messages.shown.clear();
        setup.doc.LoadDatabase();
        if (oldBytes) {
            EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(4, 9)));  // a read-only file still loads
        } else {
            EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));  // nothing there: nothing loaded, no message
            EXPECT_TRUE(setup.messages.shown.empty());
        }
    }
}

TEST_F(DbSafety, MissingFolderReasonIsShown) {
    setup.setDbPath("C:\\nowhere\\db.dat");
    setup.doc.SaveDatabase();
    ASSERT_EQ(setup.messages.shown.size(), 1u);
    EXPECT_EQ(setup.messages.shown[0].text, kCannotCreate + "No such folder");
}

TEST_F(DbSafety, SaveTrimsToDBSizeInMemoryAndFile) {
    const std::vector<Play> ps = plays(1005);
    setup.fill(ps);
    setup.setSize(true, 1000);
    setup.doc.SaveDatabase();
    const std::vector<Play> newest(ps.begin() + 5, ps.end());
    EXPECT_TRUE(holdsPlays(setup.doc.records(), newest));
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(newest));
    EXPECT_EQ(setup.views.refreshes, 1);  // the list's rows pointed at the old positions

    // Within the limit nothing is removed and the list stays as it is.
    setup.doc.SaveDatabase();
    EXPECT_EQ(setup.doc.records().size(), 1000u);
    EXPECT_EQ(setup.views.refreshes, 1);
}

TEST_F(DbSafety, NoLargerOffKeepsEverything) {
    const std::vector<Play> ps = plays(1005);
    setup.fill(ps);
    setup.setSize(false, 1000);
    setup.doc.SaveDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), ps));
    EXPECT_EQ(*fs.get(kDbPath), databaseBytes(ps));
}

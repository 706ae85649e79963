// The database file through the Windows file calls: saving replaces in one step, read-only and
// folder targets fail cleanly, unreadable files are moved aside, wide paths use the code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "database/Archive.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

// The kept-aside name's date and time: the clock's time in local time.
std::string localStamp(TimeValue t) {
    std::time_t time = t;
    std::tm local{};
    localtime_s(&local, &time);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

struct DbWin : ::testing::Test {
    DbWin() : db(dir.file("db.dat")), setup(systemFileSystem(), db) {}
    WinTempDir dir;
    std::string db;
    DocSetup setup;
};

}  // namespace

TEST_F(DbWin, SaveLoadAndReplaceAnExistingFile) {
    setup.fill(plays(20));
    setup.doc.SaveDatabase();
    EXPECT_EQ(contentOf(db), databaseBytes(plays(20)));

    setup.fill(plays(5, 7000));
    setup.doc.SaveDatabase();
    EXPECT_EQ(contentOf(db), databaseBytes(plays(5, 7000)));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});

    setup.doc.records.clear();
    setup.doc.LoadDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records, plays(5, 7000)));
    EXPECT_TRUE(setup.messages.shown.empty());
}

TEST_F(DbWin, ReadOnlyDatabaseIsNotReplaced) {
    const std::string old = databaseBytes(plays(3, 500));
    writeFile(db, old);
    ASSERT_TRUE(SetFileAttributesA(db.c_str(), FILE_ATTRIBUTE_READONLY));
    setup.fill(plays(4));
    setup.doc.SaveDatabase();
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorWhileSavingPTDB"});
    EXPECT_EQ(contentOf(db), old);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});

    setup.doc.LoadDatabase();  // it still loads
    EXPECT_TRUE(holdsPlays(setup.doc.records, plays(3, 500)));
}

TEST_F(DbWin, PathThatIsAFolderOrOnAMissingFolder) {
    ASSERT_TRUE(CreateDirectoryA(db.c_str(), nullptr));
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    EXPECT_TRUE(setup.messages.shown.empty());
    EXPECT_TRUE(holdsPlays(setup.doc.records, plays(2)));
    setup.doc.SaveDatabase();
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorWhileSavingPTDB"});
    EXPECT_NE(GetFileAttributesA(db.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});

    setup.messages.shown.clear();
    setup.setDbPath(dir.file("none\\db.dat"));
    setup.doc.SaveDatabase();
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorSavingDBFile"});
    const std::string prefix = "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\n";
    EXPECT_EQ(setup.messages.shown[0].text.substr(0, prefix.size()), prefix);
    EXPECT_GT(setup.messages.shown[0].text.size(), prefix.size());  // the system's reason
}

TEST_F(DbWin, UnreadableAndUnknownFilesAreKeptAside) {
    const std::string damaged = header() + le32(1) + le32(2) + le32(3) + "\xFF\xFF\xFF" + le32(0xFFFFFF00u) + "x";
    writeFile(db, damaged);
    setup.doc.LoadDatabase();
    const std::string keptDamaged = "db.dat.damaged-" + localStamp(kNow);
    EXPECT_EQ(contentOf(dir.file(keptDamaged)), damaged);
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"UnknownErrorLoading"});

    const std::string foreign = header(1, 1, "Another program's data");
    writeFile(db, foreign);
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    setup.doc.SaveDatabase();
    EXPECT_EQ(contentOf(dir.file("db.dat.unknown-" + localStamp(kNow))), foreign);
    EXPECT_EQ(contentOf(db), databaseBytes(plays(2)));
    EXPECT_EQ(dir.names().size(), 3u);
}

TEST(ArchiveWin, WideStringsUseTheAnsiCodePage) {
    const std::uint16_t units[] = {'a', 0xE9, 0x20AC, 0x0416};
    std::string text = wideToAnsi(units, 4);
    RecordProperty("acp", static_cast<int>(GetACP()));
    if (GetACP() == 1252)
        EXPECT_EQ(text, "a\xE9\x80?");
    else
        EXPECT_EQ(text.substr(0, 1), "a");
}

// The database file through the Windows file calls: saving replaces in one step, read-only and
// folder targets fail cleanly, unreadable files are moved aside, wide paths use the code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "core/AnsiText.h"
#include "core/CodePage.h"
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

const std::string kSaveFailedBecause =
    "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\n";

// A failed save that names the system's reason, and nothing else.
::testing::AssertionResult failedWithAReason(const RecordingMessages& messages) {
    if (messages.keys() != std::vector<std::string>{"ErrorSavingDBFile"})
        return ::testing::AssertionFailure() << messages.shown.size() << " messages, not one ErrorSavingDBFile";
    const std::string& text = messages.shown[0].text;
    if (text.rfind(kSaveFailedBecause, 0) != 0 || text.size() == kSaveFailedBecause.size())
        return ::testing::AssertionFailure() << "no reason in: " << text;
    return ::testing::AssertionSuccess();
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

    setup.doc.store().replaceAll({});
    setup.doc.LoadDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(5, 7000)));
    EXPECT_TRUE(setup.messages.shown.empty());
}

TEST_F(DbWin, ReadOnlyDatabaseIsNotReplaced) {
    const std::string old = databaseBytes(plays(3, 500));
    writeFile(db, old);
    ASSERT_TRUE(SetFileAttributesA(db.c_str(), FILE_ATTRIBUTE_READONLY));
    setup.fill(plays(4));
    setup.doc.SaveDatabase();
    EXPECT_TRUE(failedWithAReason(setup.messages));
    EXPECT_EQ(contentOf(db), old);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});

    setup.doc.LoadDatabase();  // it still loads
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(3, 500)));
}

TEST_F(DbWin, PathThatIsAFolderOrOnAMissingFolder) {
    ASSERT_TRUE(CreateDirectoryA(db.c_str(), nullptr));
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    EXPECT_TRUE(setup.messages.shown.empty());
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));
    setup.doc.SaveDatabase();
    EXPECT_TRUE(failedWithAReason(setup.messages));
    EXPECT_NE(GetFileAttributesA(db.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});

    setup.messages.shown.clear();
    setup.setDbPath(dir.file("none\\db.dat"));
    setup.doc.SaveDatabase();
    EXPECT_TRUE(failedWithAReason(setup.messages));
}

// A file held open by another program without sharing cannot be replaced: the save says why and
// the file stays as it was.
TEST_F(DbWin, DatabaseHeldOpenIsNotReplaced) {
    const std::string old = databaseBytes(plays(3, 500));
    writeFile(db, old);
    HANDLE held = CreateFileA(db.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    setup.fill(plays(4));
    setup.doc.SaveDatabase();
    CloseHandle(held);
    EXPECT_TRUE(failedWithAReason(setup.messages));
    EXPECT_EQ(contentOf(db), old);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"db.dat"});
}

TEST_F(DbWin, UnreadableAndUnknownFilesAreKeptAside) {
    // A play whose path runs past the end: the play before it loads, the file is kept.
    const std::string cut = header() + plays(1, 40)[0].block() + le32(1) + le32(2) + le32(3) + "\xFF\xFF\xFF" +
                            le32(0xFFFFFF00u) + "x";
    writeFile(db, cut);
    setup.doc.LoadDatabase();
    const std::string keptDamaged = "db.dat.damaged-" + localStamp(kNow);
    EXPECT_EQ(contentOf(dir.file(keptDamaged)), cut);
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsCut"});
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(1, 40)));

    const std::string foreign = header(1, 1, "Another program's data");
    writeFile(db, foreign);
    setup.fill(plays(2));
    setup.messages.shown.clear();
    setup.doc.LoadDatabase();
    setup.doc.SaveDatabase();
    EXPECT_EQ(setup.messages.keys(), (std::vector<std::string>{"ErrorOpening", "DBFileKeptAside"}));
    EXPECT_EQ(contentOf(dir.file("db.dat.unknown-" + localStamp(kNow))), foreign);
    EXPECT_EQ(contentOf(db), databaseBytes(plays(2)));
    EXPECT_EQ(dir.names().size(), 3u);
}

TEST(CodePageWin, TheSystemCodePageAndTheSharedFolding) {
    bool lossless = true;
    const std::string text = utf16ToAnsi(u"a\u00E9\u20AC\u0416", &lossless);
    RecordProperty("acp", static_cast<int>(GetACP()));
    EXPECT_FALSE(lossless);
    if (GetACP() == 1252) {
        EXPECT_EQ(text, "a\xE9\x80?");
        EXPECT_EQ(ansiToUtf8("\x80\x9A"), "\xE2\x82\xAC\xC5\xA1");
        // The letters the system folds for this code page fold alike through the shared table.
        for (unsigned c = 0x80; c < 0x100; ++c) {
            char one[2] = {static_cast<char>(c), 0};
            CharUpperBuffA(one, 1);
            if (one[0] != static_cast<char>(c)) EXPECT_TRUE(ansiEqualNoCase(std::string(1, static_cast<char>(c)), one)) << c;
        }
    } else {
        EXPECT_EQ(text.substr(0, 1), "a");
    }
    EXPECT_EQ(ansiToUtf16(utf16ToAnsi(u"plain")), u"plain");
}

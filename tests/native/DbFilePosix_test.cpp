// The database file through the system's own file calls, in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/native/DbFileSupport.h"
#include "tests/native/TempDir.h"

using namespace dbtest;

namespace {

std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct DbDisk : ::testing::Test {
    DbDisk() : db(dir.file("db.dat")), setup(systemFileSystem(), db) {}
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    TempDir dir;
    std::string db;
    DocSetup setup;
};

}  // namespace

TEST_F(DbDisk, SaveLoadAndReplace) {
    setup.fill(plays(20));
    setup.doc.SaveDatabase();
    EXPECT_EQ(contentOf(db), databaseBytes(plays(20)));

    setup.fill(plays(7, 5000));
    setup.doc.SaveDatabase();  // over the existing file
    EXPECT_EQ(contentOf(db), databaseBytes(plays(7, 5000)));
    EXPECT_EQ(names(), std::vector<std::string>{"db.dat"});

    setup.doc.store().replaceAll({});
    setup.doc.LoadDatabase();
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(7, 5000)));
    EXPECT_TRUE(setup.messages.shown.empty());
}

TEST_F(DbDisk, DamagedFileIsMovedAsideOnDisk) {
    const std::string bytes = header() + le32(1) + le32(2) + le32(3) + "\xFF\xFF\xFF" + le32(0xFFFFFF00u) + "x";
    dir.write("db.dat", bytes);
    setup.doc.LoadDatabase();
    EXPECT_EQ(names(), std::vector<std::string>{"db.dat.damaged-" + kNowStamp});
    EXPECT_EQ(contentOf(db + ".damaged-" + kNowStamp), bytes);
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsCut"});
}

TEST_F(DbDisk, PathThatIsAFolder) {
    std::filesystem::create_directory(db);
    setup.fill(plays(2));
    setup.doc.LoadDatabase();
    EXPECT_TRUE(setup.messages.shown.empty());
    EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));
    setup.doc.SaveDatabase();
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorSavingDBFile"});
    EXPECT_EQ(setup.messages.shown[0].text,
              "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\nIs a directory");
    EXPECT_TRUE(std::filesystem::is_directory(db));
    EXPECT_EQ(names(), std::vector<std::string>{"db.dat"});
}

TEST_F(DbDisk, MissingFolderGivesTheSystemsReason) {
    setup.setDbPath(dir.file("none/db.dat"));
    setup.doc.SaveDatabase();
    ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorSavingDBFile"});
    EXPECT_EQ(setup.messages.shown[0].text,
              "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\nNo such file or "
              "directory");
    EXPECT_TRUE(names().empty());
}

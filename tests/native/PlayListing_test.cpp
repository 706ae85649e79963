// The text listing of a database file (ListPlays.exe): ranking, log order, alignment, and files
// it must refuse without changing them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "DbFileSupport.h"
#include "TempDir.h"
#include "core/MemoryFileSystem.h"
#include "tools/host/PlayListing.h"

using namespace dbtest;

namespace {

struct Listing {
    int code;
    std::string out, err;
};

Listing listFile(const std::string& path) {
    std::ostringstream out, err;
    const int code = writePlayListing(path, out, err);
    return {code, out.str(), err.str()};
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    return names;
}

// 1000000000 is 2001-09-09 01:46:40 UTC (the tests run with TZ=UTC). The same song twice, with
// another one between: fields are date, played, length, path, title, artist, album, year,
// comment, genre.
const std::vector<Play> kThreePlays = {
    {1000000000, 8, 8, "C:\\Music\\tide.mp3", "Morning Tide", "Harbour Lights", "Salt and Stone", "2003", "", 17},
    {1000000100, 10, 10, "C:\\Music\\lanterns.mp3", "Paper Lanterns", "Mira Okafor", "Night Market", "2011", "", 8},
    {1000000200, 7, 8, "C:\\Music\\tide.mp3", "Morning Tide", "Harbour Lights", "Salt and Stone", "2003", "", 17},
};

}  // namespace

TEST(PlayListing, RanksByHitsThenLogsLatestFirstInAlignedColumns) {
    TempDir dir;
    const std::string path = dir.write("db.dat", databaseBytes(kThreePlays));
    const Listing listing = listFile(path);
    ASSERT_EQ(listing.code, kListingDone) << listing.err;
    EXPECT_EQ(listing.err, "");
    // The repeated song leads with 2 hits and the time of both plays; the last column is not padded.
    EXPECT_EQ(listing.out,
              "Database: " + path + " (3 plays)\n"
              "\n"
              "Ranked plays: most hits first, grouped by artist, title and album (2 rows)\n"
              "#  hits  artist          title           album           played\n"
              "-  ----  --------------  --------------  --------------  --------\n"
              "1     2  Harbour Lights  Morning Tide    Salt and Stone  00:00:15\n"
              "2     1  Mira Okafor     Paper Lanterns  Night Market    00:00:10\n"
              "\n"
              "Log of plays: latest first (3 plays)\n"
              "#  date            artist          title           album           length    played\n"
              "-  --------------  --------------  --------------  --------------  --------  --------\n"
              "1  09/09/01 01:50  Harbour Lights  Morning Tide    Salt and Stone  00:00:08  00:00:07\n"
              "2  09/09/01 01:48  Mira Okafor     Paper Lanterns  Night Market    00:00:10  00:00:10\n"
              "3  09/09/01 01:46  Harbour Lights  Morning Tide    Salt and Stone  00:00:08  00:00:08\n");
    EXPECT_EQ(readBytes(path), databaseBytes(kThreePlays));
}

TEST(PlayListing, RowNumbersPastNineStayRightAligned) {
    TempDir dir;
    const std::vector<Play> many = plays(12);  // twelve different songs, one play each
    const Listing listing = listFile(dir.write("db.dat", databaseBytes(many)));
    ASSERT_EQ(listing.code, kListingDone) << listing.err;
    EXPECT_NE(listing.out.find("\n #  hits  artist"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("\n 9     1  "), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("\n12     1  "), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("(12 rows)"), std::string::npos);
    EXPECT_NE(listing.out.find("(12 plays)\n #  date"), std::string::npos) << listing.out;
}

TEST(PlayListing, WholeTextsAreWrittenInUtf8AndAlignedByCharacters) {
    TempDir dir;
    // The database the plug-in writes: whole texts in the trailer after the records.
    MemoryFileSystem memory;
    memory.folders.insert("C:\\d");
    DocSetup setup(memory, "C:\\d\\db.dat");
    const std::string kino = "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE";  // four letters, eight bytes
    auto record = std::make_unique<CTrackRecord>("C:\\m.mp3", 8, 1000000000, 8);
    record->SetTexts({"Symphony No. 9 in D minor, Op. 125: IV. Presto", kino, "", "", "", ""});
    setup.doc.store().append(std::move(record));
    ASSERT_TRUE(setup.doc.SaveDatabase());
    const Listing listing = listFile(dir.write("db.dat", *memory.get("C:\\d\\db.dat")));
    ASSERT_EQ(listing.code, kListingDone) << listing.err;
    EXPECT_NE(listing.out.find("#  hits  artist  title"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("1     1  " + kino + "    Symphony No. 9 in D minor, Op. 125: IV. Presto  "), std::string::npos)
        << listing.out;
}

TEST(PlayListing, AnEmptyDatabaseListsNoRows) {
    TempDir dir;
    const Listing listing = listFile(dir.write("db.dat", header()));
    ASSERT_EQ(listing.code, kListingDone) << listing.err;
    EXPECT_NE(listing.out.find("(0 plays)\n\nRanked plays"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("(0 rows)\n#  hits  artist  title  album  played\n-  ----  ------  -----  -----  ------\n\n"),
              std::string::npos)
        << listing.out;
    EXPECT_NE(listing.out.find("(0 plays)\n#  date  artist"), std::string::npos) << listing.out;
}

TEST(PlayListing, ANewerFileIsListedWithTheNotice) {
    TempDir dir;
    std::string bytes = header(kVersionHigh + 1, 0);
    for (const Play& p : kThreePlays) bytes += p.block();
    const Listing listing = listFile(dir.write("db.dat", bytes));
    ASSERT_EQ(listing.code, kListingDone) << listing.err;
    EXPECT_EQ(listing.err.rfind("ListPlays: ", 0), 0u) << listing.err;
    EXPECT_NE(listing.out.find("1     2  Harbour Lights"), std::string::npos) << listing.out;
}

// Files that are not a readable database: a message, a failure code, no listing, and the file
// left exactly as it was, under its own name (the plug-in keeps damaged databases aside; a
// listing tool must not).
TEST(PlayListing, RefusesWhatIsNotADatabaseAndLeavesItAlone) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"empty file", "", "cannot read"},
        {"foreign signature", header(kVersionHigh, kVersionLow, "Some Other Program") + kThreePlays[0].block(),
         "cannot read"},
        {"cut inside the signature", header().substr(0, 9), "cannot read"},
        {"string length past the end", header() + le32(1000000000) + le32(8) + le32(8) + "\xFF\xFF\xFF\xF0\xFF\xFF\xFF",
         "cannot read"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.write("db.dat", c.bytes);
        const Listing listing = listFile(path);
        EXPECT_EQ(listing.code, kListingFailed);
        EXPECT_EQ(listing.out, "");
        EXPECT_NE(listing.err.find(std::string("ListPlays: ") + c.says), std::string::npos) << listing.err;
        EXPECT_EQ(readBytes(path), c.bytes);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"db.dat"});
    }
}

TEST(PlayListing, MissingFilesAndFoldersAreNamedInTheMessage) {
    TempDir dir;
    const Listing missing = listFile(dir.file("nothing here.dat"));
    EXPECT_EQ(missing.code, kListingFailed);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "ListPlays: no such file: " + dir.file("nothing here.dat") + "\n");

    const Listing folder = listFile(dir.path());
    EXPECT_EQ(folder.code, kListingFailed);
    EXPECT_EQ(folder.err, "ListPlays: " + dir.path() + " is a folder, not a database file\n");

    EXPECT_EQ(listFile("").code, kListingFailed);
}

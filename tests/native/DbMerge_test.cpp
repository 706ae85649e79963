// Adding the plays of another database file.
#include <gtest/gtest.h>

#include "core/MemoryFileSystem.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

const std::string kDbPath = "C:\\data\\db.dat";
const std::string kOther = "C:\\data\\other.dat";

struct DbMerge : ::testing::Test {
    DbMerge() : setup(fs, kDbPath) { fs.folders.insert("C:\\data"); }
    MemoryFileSystem fs;
    DocSetup setup;
};

// One play per date, its path naming where it came from.
std::vector<Play> at(std::initializer_list<TimeValue> dates, const std::string& origin) {
    std::vector<Play> out;
    for (TimeValue d : dates) {
        Play p = plays(1, d)[0];
        p.path = origin + std::to_string(d);
        out.push_back(p);
    }
    return out;
}

std::vector<std::string> pathsOf(const RecordArray& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(r->path.str());
    return out;
}

}  // namespace

TEST_F(DbMerge, MergeCases) {
    struct Case {
        const char* name;
        std::vector<Play> own, other;
        std::vector<std::string> merged;
    };
    const Case cases[] = {
        {"a copy of itself adds nothing", at({10, 20, 30}, "db"), at({10, 20, 30}, "db"), {"db10", "db20", "db30"}},
        {"earlier plays go in front", at({100, 101, 102}, "db"), at({10, 11}, "x"),
         {"x10", "x11", "db100", "db101", "db102"}},
        {"later plays go at the end", at({10, 20}, "db"), at({30, 40}, "x"), {"db10", "db20", "x30", "x40"}},
        {"interleaving", at({10, 20, 30}, "db"), at({5, 15, 25, 35}, "x"),
         {"x5", "db10", "x15", "db20", "x25", "db30", "x35"}},
        // The same second is the same play, whatever its path or tag.
        {"duplicates by the same second", at({10, 20, 30}, "db"), at({10, 20, 22}, "x"),
         {"db10", "db20", "x22", "db30"}},
        // Only one play of the other file is looked at per own play.
        {"two plays in one second", at({10}, "db"), at({10, 10}, "x"), {"db10", "x10"}},
        {"into an empty database", {}, at({1, 2}, "x"), {"x1", "x2"}},
        {"an empty other file", at({1, 2}, "db"), {}, {"db1", "db2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setup.fill(c.own);
        setup.views.refreshes = 0;
        setup.messages.shown.clear();
        const std::uint32_t generation = setup.doc.recordsGeneration();
        std::vector<const CTrackRecord*> ownObjects;
        for (const auto& r : setup.doc.records()) ownObjects.push_back(r.get());
        fs.put(kOther, databaseBytes(c.other));

        EXPECT_EQ(setup.doc.MergeFrom(kOther), 0);
        EXPECT_EQ(pathsOf(setup.doc.records()), c.merged);
        EXPECT_TRUE(setup.messages.shown.empty());
        EXPECT_EQ(*fs.get(kOther), databaseBytes(c.other));
        const bool added = c.merged.size() > c.own.size();
        EXPECT_EQ(setup.views.refreshes, added ? 1 : 0);
        EXPECT_EQ(setup.doc.recordsGeneration() != generation, added);
        // The database's own records are the same objects, unchanged.
        std::size_t own = 0;
        for (const auto& r : setup.doc.records())
            if (own < ownObjects.size() && r.get() == ownObjects[own]) ++own;
        EXPECT_EQ(own, ownObjects.size());
        RecordArray ownRecords;
        for (const auto& r : setup.doc.records())
            if (r->path.view().rfind("db", 0) == 0) ownRecords.push_back(std::make_unique<CTrackRecord>(*r));
        EXPECT_TRUE(holdsPlays(ownRecords, c.own));
    }
}

TEST_F(DbMerge, MergedRecordsKeepEveryField) {
    setup.fill(at({10, 30}, "db"));
    std::vector<Play> other = plays(1, 20);
    fs.put(kOther, databaseBytes(other));
    ASSERT_EQ(setup.doc.MergeFrom(kOther), 0);
    RecordArray middle;
    middle.push_back(std::make_unique<CTrackRecord>(*setup.doc.records()[1]));
    EXPECT_TRUE(holdsPlays(middle, other));
}

TEST_F(DbMerge, FilesThatCannotBeMergedLeaveTheDatabaseAlone) {
    struct Case {
        const char* name;
        bool present;
        std::string bytes;
        int result;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {"missing", false, "", -1, {}},
        {"empty", true, "", -1, {}},
        {"damaged in its first play", true, header() + le32(1) + le32(2) + le32(3) + "\xFF\xFE\xFF\xFF\xFE\xFF", 0,
         {"DBFileIsDamaged"}},
        {"unknown signature", true, header(1, 1, "Other") + Play{5, 1, 1, "p", "t", "a", "", "", "", 1}.block(), 0,
         {"ErrorOpening"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs.files.clear();
        setup.messages.shown.clear();
        setup.fill(at({10, 20}, "db"));
        if (c.present) fs.put(kOther, c.bytes);

        EXPECT_EQ(setup.doc.MergeFrom(kOther), c.result);
        EXPECT_EQ(pathsOf(setup.doc.records()), (std::vector<std::string>{"db10", "db20"}));
        EXPECT_EQ(setup.messages.keys(), c.keys);
        // The other file is not the database: it stays where it is, and no save will keep it aside.
        if (c.present) {
            EXPECT_EQ(*fs.get(kOther), c.bytes);
        }
        EXPECT_EQ(fs.files.size(), c.present ? 1u : 0u);
        EXPECT_EQ(setup.doc.notUnderstoodPath(), "");
    }
}

TEST_F(DbMerge, ADamagedFileGivesThePlaysBeforeTheDamage) {
    setup.fill(at({10, 30}, "db"));
    const std::vector<Play> other = plays(1, 20);
    fs.put(kOther, header() + other[0].block() + le32(1) + le32(2) + le32(3) + "\xFF\xFE\xFF\xFF\xFE\xFF");
    EXPECT_EQ(setup.doc.MergeFrom(kOther), 0);
    ASSERT_EQ(setup.doc.records().size(), 3u);
    EXPECT_EQ(setup.doc.records()[1]->path, other[0].path);
    EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsDamaged"});
}

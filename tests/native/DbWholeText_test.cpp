// The whole texts and first starts in the database file: kept in a trailer that a reader of the
// original layout passes over, read back whole, and never a cause of a lost play.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/MemoryFileSystem.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

const std::string kDbPath = "C:\\data\\db.dat";
const std::string kKeptPath = kDbPath + ".damaged-" + kNowStamp;

struct WholePlay {
    const char* path;
    TrackTexts texts;
    TimeValue firstStart;  // 0: not paused
};

// Long titles, several scripts, a genre outside the table, a play from the ID3v1 days.
std::vector<WholePlay> wholePlays() {
    return {
        {"C:\\m\\queen.mp3", {"Bohemian Rhapsody (Remastered 2011)", "Queen", "A Night at the Opera", "1975", "", "Rock"}, 0},
        {"C:\\m\\tokyo.mp3", {"\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89", "\xE6\x9D\xB1\xE4\xBA\xAC", "", "2004", "", "Synthwave"}, 999999400},
        {"C:\\m\\plain.mp3", {"Short", "Band", "", "", "", "Pop"}, 0},
        {"C:\\m\\sigur.mp3", {"Hopp\xC3\xADpolla", "Sigur R\xC3\xB3s \xE2\x80\x93 live", "", "", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", ""}, 999999000},
    };
}

void fillWhole(DocSetup& setup) {
    setup.doc.store().replaceAll(RecordArray());
    TimeValue date = 1000000000;
    for (const WholePlay& p : wholePlays()) {
        auto r = std::make_unique<CTrackRecord>(p.path, 300, date++, 250);
        r->SetTexts(p.texts);
        r->firstStart = p.firstStart;
        setup.doc.store().append(std::move(r));
    }
}

// A reader that follows the original layout and nothing else: records to the end of the file; a
// number or a string that cannot be read whole ends it. Returns the records' bodies.
std::vector<std::string> originalLayoutBodies(const std::string& file) {
    std::size_t at = 0;
    auto has = [&](std::size_t n) { return file.size() - at >= n; };
    auto u16 = [&] { const auto v = static_cast<unsigned char>(file[at]) | (static_cast<unsigned char>(file[at + 1]) << 8); at += 2; return static_cast<std::uint32_t>(v); };
    auto u32 = [&] { std::uint32_t v = 0; for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(file[at + k]); at += 4; return v; };
    // A string's byte count, or false when the file ends first.
    auto string = [&](std::uint64_t& bytes) {
        if (!has(1)) return false;
        const auto first = static_cast<unsigned char>(file[at++]);
        bytes = first;
        if (first < 0xFF) return has(bytes);
        if (!has(2)) return false;
        std::uint32_t n = u16(), unit = 1;
        if (n == 0xFFFE) {
            unit = 2;
            if (!has(1)) return false;
            n = static_cast<unsigned char>(file[at++]);
            if (n == 0xFF) { if (!has(2)) return false; n = u16(); if (n == 0xFFFF) { if (!has(4)) return false; n = u32(); } }
        } else if (n == 0xFFFF) {
            if (!has(4)) return false;
            n = u32();
        }
        bytes = std::uint64_t(n) * unit;
        return has(bytes);
    };
    std::uint64_t n = 0;
    std::vector<std::string> bodies;
    if (!string(n)) return bodies;
    at += n;
    if (!has(8)) return bodies;
    at += 8;
    while (at < file.size()) {
        if (!has(12)) break;
        at += 12;
        if (!string(n)) break;
        at += n;
        bodies.push_back(file.substr(at, 125));
        at += std::min<std::size_t>(125, file.size() - at);
    }
    return bodies;
}

struct DbWholeText : ::testing::Test {
    DbWholeText() : setup(fs, kDbPath) { fs.folders.insert("C:\\data"); }
    std::string saved() {
        fillWhole(setup);
        EXPECT_TRUE(setup.doc.SaveDatabase());
        return *fs.get(kDbPath);
    }
    MemoryFileSystem fs;
    DocSetup setup;
};

}  // namespace

TEST_F(DbWholeText, TextsAndFirstStartsComeBackWholeAndTheBodiesAsAlways) {
    const std::string bytes = saved();
    setup.doc.store().replaceAll(RecordArray());
    setup.doc.LoadDatabase();
    EXPECT_TRUE(setup.messages.shown.empty());
    const auto expected = wholePlays();
    ASSERT_EQ(setup.doc.records().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CTrackRecord& r = *setup.doc.records()[i];
        SCOPED_TRACE(r.path);
        CTrackRecord fresh;
        fresh.SetTexts(expected[i].texts);
        EXPECT_EQ(r.Texts(), fresh.Texts());
        EXPECT_EQ(r.tag.body(), fresh.tag.body());
        EXPECT_EQ(r.firstStart, expected[i].firstStart);
    }
    EXPECT_FALSE(setup.doc.records()[2]->HasWholeTexts()) << "a play its body says whole keeps no texts";
    EXPECT_EQ(setup.doc.records()[0]->tag.title(), "Bohemian Rhapsody (Remastered");
    EXPECT_EQ(setup.doc.records()[1]->tag.genre(), CId3v1Tag::kNoGenre);
    // Saved again: the same bytes.
    setup.doc.SaveDatabase();
    EXPECT_EQ(*fs.get(kDbPath), bytes);
}

TEST_F(DbWholeText, AReaderOfTheOriginalLayoutReadsEveryRecordWithItsBody) {
    const std::string bytes = saved();
    const std::vector<std::string> bodies = originalLayoutBodies(bytes);
    ASSERT_EQ(bodies.size(), setup.doc.records().size());
    for (std::size_t i = 0; i < bodies.size(); ++i)
        EXPECT_EQ(bodies[i], std::string(reinterpret_cast<const char*>(setup.doc.records()[i]->tag.body().data()), 125));
}

TEST_F(DbWholeText, ADamagedTrailerLosesNoPlayKeepsTheFileAndSaysSoOnce) {
    const std::string good = saved();
    const std::size_t trailer = good.find("PTLY-WHOLE");
    ASSERT_NE(trailer, std::string::npos);
    const std::size_t entries = trailer + 19 + 12;  // the mark, the path's claim, three counts
    auto with = [&](std::size_t at, const std::string& bytes) { return good.substr(0, at) + bytes + good.substr(at + bytes.size()); };
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        {"cut before its end", good.substr(0, good.size() - 3)},
        {"cut inside the entries", good.substr(0, entries + 9)},
        {"more records claimed", with(trailer + 23, le32(99))},
        {"more entries than records", with(trailer + 27, le32(5))},
        {"an entry for a record that is not there", with(entries, le32(7))},
        {"a text longer than the file", with(entries + 5, le32(0x7FFFFFF0))},
        {"a text that is not UTF-8", with(good.find("Bohemian", trailer), "\xC0\x80")},
        {"a later layout", with(trailer + 19, le32(2))},
        {"bytes after its end", good + "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs.files.clear();
        fs.put(kDbPath, c.file);
        setup.messages.shown.clear();
        setup.doc.LoadDatabase();
        ASSERT_EQ(setup.doc.records().size(), 4u);
        for (const auto& r : setup.doc.records()) EXPECT_FALSE(r->HasWholeTexts());
        EXPECT_EQ(setup.doc.records()[0]->tag.title(), "Bohemian Rhapsody (Remastered");
        EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileTextsDamaged"});
        ASSERT_NE(fs.get(kKeptPath), nullptr);
        EXPECT_EQ(*fs.get(kKeptPath), c.file);
    }
}

TEST_F(DbWholeText, APlayFromBeforeTakesTheTextsOfTheSameFileAndTag) {
    fillWhole(setup);
    // The same file with the same tag, stored before texts were kept whole, and another file.
    auto before = std::make_unique<CTrackRecord>(*setup.doc.records()[1]);
    before->SetTag(before->tag);
    before->date = 900000000;
    auto other = std::make_unique<CTrackRecord>(*before);
    other->path = "C:\\m\\elsewhere.mp3";
    other->SetTag(other->tag);
    {
        RecordArray all;
        all.push_back(std::move(before));
        for (const auto& r : setup.doc.records()) all.push_back(std::make_unique<CTrackRecord>(*r));
        setup.doc.store().replaceAll(std::move(all));
    }
    setup.doc.store().append(std::move(other));
    ASSERT_TRUE(setup.doc.SaveDatabase());
    setup.doc.LoadDatabase();
    ASSERT_EQ(setup.doc.records().size(), 6u);
    EXPECT_EQ(setup.doc.records()[0]->Text(FieldTitle), wholePlays()[1].texts.title);
    EXPECT_FALSE(setup.doc.records()[5]->HasWholeTexts());
}

// The fuzzer's seed of the trailer: written by this test, so no file from elsewhere seeds it.
TEST_F(DbWholeText, SeedCorpusHoldsAFileWithTheTrailer) {
    const std::string bytes = saved();
    const std::string path = std::string(PTLY_SOURCE_DIR) + "/tests/fuzz/corpus/dbload/wholetext.dat";
    if (std::getenv("PTLY_WRITE_CORPUS")) {
        std::ofstream(path, std::ios::binary) << bytes;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), bytes) << "run the test with PTLY_WRITE_CORPUS=1";
}

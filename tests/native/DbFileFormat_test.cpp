// The database file's bytes: what a save writes and what a load makes of any file.
#include <gtest/gtest.h>

#include <random>

#include "core/MemoryFileSystem.h"
#include "resources/StringTable.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

const std::string kDbPath = "C:\\data\\db.dat";
const std::string kKeptPath = kDbPath + ".damaged-" + kNowStamp;

struct DbFormat : ::testing::Test {
    DbFormat() : setup(fs, kDbPath) { fs.folders.insert("C:\\data"); }
    std::string saved() {
        setup.doc.SaveDatabase();
        const std::string* bytes = fs.get(kDbPath);
        return bytes ? *bytes : "<no file>";
    }
    int load(const std::string& bytes) {
        fs.put(kDbPath, bytes);
        return setup.doc.LoadFileIntoArray(kDbPath, nullptr);
    }
    MemoryFileSystem fs;
    DocSetup setup;
};

}  // namespace

TEST_F(DbFormat, EmptyDatabaseIsExactlyTheHeader) {
    std::string expected = std::string("\x21") + "Dozoderi Playtally WinAmp Plug-in" + std::string("\x02\x00\x01\x00", 4) +
                           std::string(4, '\0');
    ASSERT_EQ(expected.size(), 42u);
    EXPECT_EQ(saved(), expected);
    EXPECT_TRUE(setup.messages.shown.empty());
    EXPECT_EQ(fs.get(kDbPath + ".tmp"), nullptr);

    setup.fill(plays(2));
    EXPECT_EQ(load(expected), 0);
    EXPECT_TRUE(setup.doc.records().empty());
    EXPECT_TRUE(setup.messages.shown.empty());
}

TEST_F(DbFormat, RecordWithEmptyPathTakes138Bytes) {
    Play p{0x01020304, 5, 7, "", "Song", "Band", "Disc", "1999", "Note", 17};
    setup.fill({p});
    std::string block = std::string("\x04\x03\x02\x01", 4) + std::string("\x05\0\0\0", 4) + std::string("\x07\0\0\0", 4) +
                        std::string(1, '\0') + tagBody("Song", "Band", "Disc", "1999", "Note", 17);
    ASSERT_EQ(block.size(), 138u);
    EXPECT_EQ(saved(), header() + block);

    setup.doc.store().replaceAll({});
    EXPECT_EQ(load(header() + block), 0);
    EXPECT_TRUE(holdsPlays(setup.doc.records(), {p}));
    EXPECT_EQ(setup.doc.records()[0]->tag.title(), "Song");
    EXPECT_EQ(setup.doc.records()[0]->tag.artist(), "Band");
}

TEST_F(DbFormat, LongPathsGetTheWiderPrefixes) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    // The first two on either side of what a record keeps in place, the others on the heap.
    const std::size_t inPlace = CPathText::kInlineCapacity;
    const Case cases[] = {
        {inPlace, std::string(1, static_cast<char>(inPlace))},
        {inPlace + 1, std::string(1, static_cast<char>(inPlace + 1))},
        {254, "\xFE"},
        {255, "\xFF" + le16(255)},
        {300, "\xFF" + le16(300)},
        {65533, "\xFF" + le16(65533)},
        {65534, "\xFF\xFF\xFF" + le32(65534)},
        {100000, "\xFF\xFF\xFF" + le32(100000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        Play p = plays(1, 1000000000, static_cast<int>(c.length))[0];
        ASSERT_EQ(p.path.size(), c.length);
        setup.fill({p});
        std::string body = tagBody(p.title, p.artist, p.album, p.year, p.comment, p.genre);
        EXPECT_EQ(saved(), header() + le32(static_cast<std::uint32_t>(p.date)) + le32(static_cast<std::uint32_t>(p.played)) +
                               le32(static_cast<std::uint32_t>(p.length)) + c.prefix + p.path + body);
        setup.doc.store().replaceAll({});
        EXPECT_EQ(setup.doc.LoadFileIntoArray(kDbPath, nullptr), 0);
        EXPECT_TRUE(holdsPlays(setup.doc.records(), {p}));
    }
}

TEST_F(DbFormat, WidePathsAreReadAndConverted) {
    // A path the code page cannot hold comes in the wide form.
    std::string wide = "\xFF\xFE\xFF\x04" + le16('C') + le16(':') + le16(0xE9) + le16(0x4E2D);
    std::string block = le32(100) + le32(20) + le32(30) + wide + tagBody("T", "A");
    const Play second{200, 1, 2, "D:\\x.mp3", "T2", "A2", "", "", "", 3};
    EXPECT_EQ(load(header() + block + second.block()), 0);
    ASSERT_EQ(setup.doc.records().size(), 2u);
    EXPECT_EQ(setup.doc.records()[0]->path, "C:\xE9?");
    EXPECT_EQ(setup.doc.records()[0]->date, 100);
    EXPECT_EQ(setup.doc.records()[1]->path, "D:\\x.mp3");
    EXPECT_TRUE(setup.messages.shown.empty());
    // Kept whole beside its code page form, it is saved as it came.
    EXPECT_EQ(setup.doc.records()[0]->widePath, u"C:\u00E9\u4E2D");
    EXPECT_EQ(saved(), header() + block + second.block());
}

TEST_F(DbFormat, VersionWordsOfOlderEqualAndNewerFiles) {
    struct Case {
        std::uint32_t high, low;
        bool newer;
    };
    const Case cases[] = {
        {0x00010001, 0x00000005, false},  // 1.1.0.5
        {0x00010002, 0x00000000, false},  // 1.2.0.0, the plug-in's own
        {0x00010002, 0x00000001, true},   // 1.2.0.1
        {0x00010003, 0x00000000, true},
        {0x00000002, 0xFFFFFFFF, false},  // the high word decides first
        {0xFFFFFFFF, 0x00000000, true},   // compared unsigned
    };
    const std::vector<Play> ps = plays(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.high << "." << c.low);
        setup.messages.shown.clear();
        std::string bytes = header(c.high, c.low);
        for (const Play& p : ps) bytes += p.block();
        EXPECT_EQ(load(bytes), 0);
        EXPECT_TRUE(holdsPlays(setup.doc.records(), ps));
        if (c.newer) {
            ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsNewerFormat"});
            EXPECT_EQ(setup.messages.shown[0].text,
                      "Dozoderi Playtally database file is more recent than the plug-in DLL.\nSome data may be "
                      "unavailable.\nPlease download the latest version of the Dozoderi Playtally Winamp plug-in.");
        } else {
            EXPECT_TRUE(setup.messages.shown.empty());
        }
    }
}

TEST_F(DbFormat, HeaderAndHalfARecordLoadsTheCompleteRecords) {
    const std::vector<Play> ps = plays(3);
    std::string bytes = header() + ps[0].block() + ps[1].block() + ps[2].block().substr(0, 7);
    EXPECT_EQ(load(bytes), 0);
    EXPECT_TRUE(holdsPlays(setup.doc.records(), {ps[0], ps[1]}));
    EXPECT_TRUE(setup.messages.shown.empty());
}

TEST_F(DbFormat, CutTagBodyKeepsTheRecordWithEmptyTextsAndNoGenre) {
    const std::vector<Play> ps = plays(2);
    std::string full = ps[1].block();
    std::string bytes = header() + ps[0].block() + full.substr(0, full.size() - 100);
    EXPECT_EQ(load(bytes), 0);
    ASSERT_EQ(setup.doc.records().size(), 2u);
    const CTrackRecord& r = *setup.doc.records()[1];
    std::string body(reinterpret_cast<const char*>(r.tag.body().data()), 125);
    std::string expected = tagBody(ps[1].title, ps[1].artist, ps[1].album, ps[1].year, ps[1].comment, ps[1].genre);
    EXPECT_EQ(body, expected.substr(0, 25) + std::string(99, '\0') + "\xFF");
    EXPECT_EQ(r.tag.title(), ps[1].title);
    EXPECT_EQ(r.tag.genre(), 255);  // no genre, not the first one
    EXPECT_EQ(r.path, ps[1].path);
}

TEST_F(DbFormat, UnknownSignatureLeavesRecordsAndFileAlone) {
    for (const std::string& signature : {std::string("Some other program"), std::string("dozoderi playtally winamp plug-in")}) {
        SCOPED_TRACE(signature);
        setup.messages.shown.clear();
        setup.fill(plays(2));
        std::string bytes = header(kVersionHigh, kVersionLow, signature) + plays(4, 5)[3].block();
        EXPECT_EQ(load(bytes), 0);
        EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2)));
        ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"ErrorOpening"});
        EXPECT_EQ(setup.messages.shown[0].text,
                  "Some error occured while opening the Dozoderi Playtally database file.\nThe file has an unknow "
                  "header.\nThe file maybe of different format or it may be corrupted.");
        EXPECT_EQ(*fs.get(kDbPath), bytes);
        EXPECT_EQ(setup.doc.notUnderstoodPath(), kDbPath);
    }
}

// Every prefix of a valid file: records before the cut stay; a cut inside a number or a length
// prefix ends the data there; a cut inside a tag body keeps that record; a cut inside a path's text
// (the length promises more than the file holds) ends the data too, but says so once and keeps the
// file aside whole; a cut inside the header is a failed read, and the file is kept aside whole.
TEST_F(DbFormat, ValidDatabaseCutAtEveryOffset) {
    std::vector<Play> ps = plays(3);
    ps[1].path.resize(300, 'y');  // a 3-byte length prefix
    const std::string full = databaseBytes(ps);
    const std::size_t headerEnd = header().size();

    struct Span {
        std::size_t start, pathTextStart, bodyStart, end;
    };
    std::vector<Span> spans;
    std::size_t at = headerEnd;
    for (const Play& p : ps) {
        std::size_t prefix = p.path.size() < 255 ? 1 : 3;
        Span s{at, at + 12 + prefix, at + 12 + prefix + p.path.size(), at + p.block().size()};
        spans.push_back(s);
        at = s.end;
    }
    ASSERT_EQ(at, full.size());

    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        SCOPED_TRACE(cut);
        fs.files.clear();
        setup.messages.shown.clear();
        setup.fill(plays(1, 7));
        const std::string bytes = full.substr(0, cut);
        int result = load(bytes);

        if (cut == 0) {  // an empty file: the first start
            EXPECT_EQ(result, -1);
            EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(1, 7)));
            EXPECT_TRUE(setup.messages.shown.empty());
            continue;
        }
        const bool failure = cut < headerEnd;
        std::size_t complete = 0;
        bool keepsCutBody = false, cutInText = false;
        for (const Span& s : spans) {
            if (cut >= s.end) {
                ++complete;
            } else if (cut > s.start) {
                if (cut >= s.pathTextStart && cut < s.bodyStart) cutInText = true;
                if (cut >= s.bodyStart) keepsCutBody = true;
                break;
            } else {
                break;
            }
        }
        if (failure) {
            EXPECT_EQ(result, -1);
            EXPECT_TRUE(setup.doc.records().empty());
            EXPECT_EQ(setup.messages.keys(), std::vector<std::string>{"UnknownErrorLoading"});
            EXPECT_EQ(fs.get(kDbPath), nullptr);
            ASSERT_NE(fs.get(kKeptPath), nullptr);
            EXPECT_EQ(*fs.get(kKeptPath), bytes);
            continue;
        }
        EXPECT_EQ(result, 0);
        std::vector<Play> expected(ps.begin(), ps.begin() + static_cast<std::ptrdiff_t>(complete));
        if (cutInText) {
            EXPECT_TRUE(holdsPlays(setup.doc.records(), expected));
            ASSERT_EQ(setup.messages.keys(), std::vector<std::string>{"DBFileIsCut"});
            EXPECT_EQ(setup.messages.shown[0].text,
                      "The Playtally database file ends in the middle of a play: the plays before it were loaded.\n"
                      "The file was kept as:\n" + kKeptPath);
            EXPECT_EQ(fs.get(kDbPath), nullptr);
            ASSERT_NE(fs.get(kKeptPath), nullptr);
            EXPECT_EQ(*fs.get(kKeptPath), bytes);
            continue;
        }
        EXPECT_TRUE(setup.messages.shown.empty());
        if (!keepsCutBody) {
            EXPECT_TRUE(holdsPlays(setup.doc.records(), expected));
        } else {
            ASSERT_EQ(setup.doc.records().size(), complete + 1);
            EXPECT_EQ(setup.doc.records().back()->path, ps[complete].path);
        }
        EXPECT_EQ(*fs.get(kDbPath), bytes);
    }
}

// Whatever the bytes, a load ends in one of the defined outcomes and the bytes stay on the disk.
TEST_F(DbFormat, RandomBytesNeverCrashOrLoseTheFile) {
    std::mt19937 random(12345);
    const std::string valid = databaseBytes(plays(4));
    int outcomes[5] = {};
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(round);
        fs.files.clear();
        setup.messages.shown.clear();
        setup.fill(plays(2, 7));
        std::string bytes;
        std::size_t length = random() % 700;
        if (round % 2 == 0) {
            bytes = valid.substr(0, std::min(length, valid.size()));
            for (int flips = 1 + static_cast<int>(random() % 6); flips > 0 && !bytes.empty(); --flips)
                bytes[random() % bytes.size()] = static_cast<char>(random());
        } else {
            for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>(random()));
        }
        int result = load(bytes);
        std::vector<std::string> keys = setup.messages.keys();
        // A newer version is reported and reading goes on, to whatever end.
        if (!keys.empty() && keys[0] == "DBFileIsNewerFormat") keys.erase(keys.begin());
        if (result == 0 && keys.empty()) {
            ++outcomes[0];  // read; records are whatever the bytes said
        } else if (result == 0 && keys == std::vector<std::string>{"ErrorOpening"}) {
            ++outcomes[1];
            EXPECT_TRUE(holdsPlays(setup.doc.records(), plays(2, 7)));
        } else if (result == -1 && keys == std::vector<std::string>{"UnknownErrorLoading"}) {
            ++outcomes[2];
            EXPECT_TRUE(setup.doc.records().empty());
            ASSERT_NE(fs.get(kKeptPath), nullptr);
            EXPECT_EQ(*fs.get(kKeptPath), bytes);
            continue;
        } else if (result == 0 && keys == std::vector<std::string>{"DBFileIsCut"}) {
            ++outcomes[4];  // the records before the cut, and the file kept
            ASSERT_NE(fs.get(kKeptPath), nullptr);
            EXPECT_EQ(*fs.get(kKeptPath), bytes);
            EXPECT_EQ(fs.get(kDbPath), nullptr);
            continue;
        } else if (result == -1 && keys.empty() && bytes.empty()) {
            ++outcomes[3];
        } else {
            ADD_FAILURE() << "result " << result << " with " << keys.size() << " messages";
        }
        ASSERT_NE(fs.get(kDbPath), nullptr);
        EXPECT_EQ(*fs.get(kDbPath), bytes);
    }
    // The rounds reach the read, unknown-signature, failure and cut outcomes alike.
    EXPECT_GT(outcomes[0], 0);
    EXPECT_GT(outcomes[1], 0);
    EXPECT_GT(outcomes[2], 0);
    EXPECT_GT(outcomes[4], 0);
}

TEST_F(DbFormat, SavingWhatWasLoadedGivesTheSameBytes) {
    const std::string bytes = databaseBytes(plays(50));
    ASSERT_EQ(load(bytes), 0);
    EXPECT_EQ(saved(), bytes);
}

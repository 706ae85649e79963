#include <gtest/gtest.h>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "tests/native/TempDir.h"

namespace {

class RecordingMessages : public IMessages {
public:
    void showMessage(const std::string& text, const std::string& key) override { shown.push_back(key + ": " + text); }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    std::vector<std::string> shown;
};

CTrackRecord taggedRecord(const std::string& artist, const std::string& title, const std::string& album = "",
                          std::uint8_t genre = 1) {
    CTrackRecord r("x.mp3", 200, 1000, 200);
    r.tag = CId3v1Tag(artist, album, title, "", "", genre);
    return r;
}

struct DocFixture : ::testing::Test {
    DocFixture() : doc(context) {
        context.userName = "guest";
    }
    std::string mp3(const std::string& name, const std::string& artist, const std::string& title,
                    unsigned char genre = 7) {
        return dir.write(name, std::string(500, 'a') + id3v1Block(title, artist, "Album", "2004", "", genre));
    }
    void setFlags(const char* key, const char* flags) { profile.writeString(sectionGeneral(), key, flags); }

    TempDir dir;
    MemoryProfile profile;
    RecordingMessages messages;
    SystemClock systemClock;
    AppContext context{profile, messages, systemClock, systemFileSystem()};
    CDoc doc;
};

}  // namespace

TEST_F(DocFixture, StoringRulesForHeardTimeAndRounding) {
    const std::string path = mp3("song.mp3", "Artist", "Title");
    struct Case {
        std::int32_t length, played, storeAfter;
        bool stored;
        std::int32_t storedPlayed;
    } cases[] = {
        {100, 71, 1000, true, 71},   // more than 70 per cent
        {100, 70, 1000, false, 0},   // exactly 70 per cent is not more
        {100, 70, 70, true, 70},     // ... unless it meets the seconds rule
        {100, 95, 30, true, 100},    // within 10 per cent: counted as complete
        {100, 90, 30, true, 90},     // 10 per cent is not less than 10
        {100, 29, 30, false, 0},
        {1000, 30, 30, true, 30},    // the seconds rule alone
        {0, 1, 1000, true, 1},       // length 0 passes the ratio test with any time heard
        {0, 0, 1000, false, 0},
        {100, 105, 30, true, 100},   // a little over the length also counts as complete
    };
    for (const Case& c : cases) {
        profile.writeInt(sectionGeneral(), "StoreAfterIntervalSec", c.storeAfter);
        doc.store().replaceAll({});
        CTrackRecord pending(path, c.length, 12345, c.played);
        EXPECT_EQ(doc.AddTrack(pending), c.stored) << c.length << "/" << c.played;
        ASSERT_EQ(doc.records().size(), c.stored ? 1u : 0u);
        if (c.stored) {
            const CTrackRecord& r = *doc.records()[0];
            EXPECT_EQ(r.played, c.storedPlayed);
            EXPECT_EQ(r.length, c.length);
            EXPECT_EQ(r.date, 12345);
            EXPECT_EQ(r.path, path);
            EXPECT_EQ(r.tag.artist(), "Artist");
            EXPECT_EQ(r.marked, 0);
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DocFixture, RequiredFieldsAndMissingTags) {
    const std::string tagged = mp3("a.mp3", "Artist", "Title", 255);
    const std::string noArtist = mp3("b.mp3", "", "Title");
    const std::string untagged = dir.write("c.mp3", std::string(1000, 'z'));
    const std::string tiny = dir.write("d.mp3", "short");
    struct Case {
        std::string path;
        const char* required;
        bool stored;
    } cases[] = {
        {tagged, "0,0,0,0,0,1,1,0,0,0,0,", true},
        {noArtist, "0,0,0,0,0,1,1,0,0,0,0,", false},
        {noArtist, "0,0,0,0,0,0,1,0,0,0,0,", true},
        {tagged, "0,0,0,0,0,0,0,0,0,1,0,", false},  // genre 255 when genre is required
        {tagged, "1,", false},                      // Number never has a text: refuses every track
        {tagged, "0,0,1,", false},                  // so does Hits
        {tagged, "0,1,0,1,1,", true},               // Date, Length and Played never refuse
        {tagged, "0,0,0,0,0,0,0,0,1,", true},       // the year is there
        {untagged, "", false},
        {tiny, "", false},                          // the tag exception: dropped without a message
        {dir.file("missing.mp3"), "", false},
        {dir.path(), "", false},
    };
    for (const Case& c : cases) {
        setFlags("DoNotStoreFields", c.required);
        doc.store().replaceAll({});
        EXPECT_EQ(doc.AddTrack(CTrackRecord(c.path, 100, 1, 100)), c.stored) << c.path << " " << c.required;
        EXPECT_EQ(doc.records().size(), c.stored ? 1u : 0u);
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST(TrackRecordText, FieldTexts) {
    CTrackRecord r("p", 3725, 1700000000, 86400 + 61);
    r.tag = CId3v1Tag("Artist", "Album", "Title", "2001", "Note", 17);
    const std::string fmt = "%Y-%m-%d";
    const char* expected[kFieldCount] = {"", "2023-11-14", "", "01:02:05", "00:01:01", "Artist",
                                         "Title", "Album", "2001", "Rock", "Note"};
    for (int id = 0; id < kFieldCount; ++id) EXPECT_EQ(r.GetFieldText(id, fmt), expected[id]) << id;
    EXPECT_EQ(r.GetFieldText(11, fmt), "");
    EXPECT_EQ(r.GetFieldText(-1, fmt), "");
    EXPECT_TRUE(r.HasPath("p"));
    EXPECT_FALSE(r.HasPath("P"));
}

TEST(TrackRecordCopy, CopyAllButDateKeepsTheDate) {
    CTrackRecord a("a", 1, 2, 3), b("b", 10, 20, 30);
    b.tag = CId3v1Tag("X", "", "", "", "", 4);
    a.CopyAllButDate(b);
    EXPECT_EQ(a.path, "b");
    EXPECT_EQ(a.length, 10);
    EXPECT_EQ(a.played, 30);
    EXPECT_EQ(a.date, 2);
    EXPECT_EQ(a.tag.artist(), "X");
    a.CopyAll(b);
    EXPECT_EQ(a.date, 20);
}

TEST(TrackRecordStretch, PlayedTimeAcrossStretches) {
    CTrackRecord r("p", 100, 1000, 0);
    r.EndStretch(1030);  // 30 s played, then a pause
    r.StartStretch(1090);
    r.EndStretch(1100);
    EXPECT_EQ(r.played, 40);
    EXPECT_EQ(r.date, 1090);
}

TEST(Grouping, EachFlagAndNone) {
    GeneralSettings s;
    s.DateFormat = "%H:%M";
    CTrackRecord base = taggedRecord("Artist", "Title", "Album", 5);
    base.date = 60 * 100;
    struct Case {
        int flag;
        void (*change)(CTrackRecord&);
        bool same;
    } cases[] = {
        {FieldArtist, [](CTrackRecord& r) { r.tag = CId3v1Tag("ARTIST", "Album", "Title", "", "", 5); }, true},
        {FieldArtist, [](CTrackRecord& r) { r.tag = CId3v1Tag("Artist2", "Album", "Title", "", "", 5); }, false},
        {FieldTitle, [](CTrackRecord& r) { r.tag = CId3v1Tag("Artist", "Album", "title", "", "", 5); }, true},
        {FieldAlbum, [](CTrackRecord& r) { r.tag = CId3v1Tag("Artist", "Other", "Title", "", "", 5); }, false},
        {FieldGenre, [](CTrackRecord& r) { r.tag = CId3v1Tag("Artist", "Album", "Title", "", "", 6); }, false},
        {FieldLength, [](CTrackRecord& r) { r.length = 201; }, false},
        {FieldPlayed, [](CTrackRecord& r) { r.played = 1; }, false},
        {FieldDate, [](CTrackRecord& r) { r.date += 59; }, true},   // same minute
        {FieldDate, [](CTrackRecord& r) { r.date += 60; }, false},  // next minute
        {FieldNumber, [](CTrackRecord& r) { r.path = "other"; }, true},  // Number, Hits, path: never compared
        {FieldHits, [](CTrackRecord& r) { r.length = 1; }, true},
    };
    for (const Case& c : cases) {
        s.GroupPlaytallyBy = {};
        s.GroupPlaytallyBy[c.flag] = true;
        CTrackRecord other = base;
        c.change(other);
        EXPECT_EQ(base.IsSameGroup(other, s), c.same) << "flag " << c.flag;
        EXPECT_EQ(other.IsSameGroup(base, s), c.same) << "flag " << c.flag;
        if (c.flag != FieldNumber && c.flag != FieldHits) {
            s.GroupPlaytallyBy = {};  // with no flag every two records group together
            EXPECT_TRUE(base.IsSameGroup(other, s));
        }
    }
}

TEST_F(DocFixture, GroupingUsesTheCurrentCopyNotTheProfile) {
    CTrackRecord a = taggedRecord("A", "T"), b = taggedRecord("B", "T");
    context.current.GroupPlaytallyBy = {};
    context.current.GroupPlaytallyBy[FieldTitle] = true;
    setFlags("GroupPlaytallyBy", "0,0,0,0,0,1,");
    EXPECT_TRUE(doc.IsSameGroup(a, b));
    context.reloadSettings();
    EXPECT_FALSE(doc.IsSameGroup(a, b));
}

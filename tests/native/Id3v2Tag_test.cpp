#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "database/Archive.h"
#include "core/Exceptions.h"
#include "tags/Id3v2Tag.h"
#include "core/MemoryFileSystem.h"
#include "database/TrackTag.h"
#include "core/PlayerMetadata.h"
#include "tests/native/CountingFile.h"
#include "tests/native/Id3v2Bytes.h"
#include "tests/native/TagBytes.h"

using namespace id3v2;

namespace {

const std::string kAudio(600, '\x55');  // what follows the tag: never read

struct Expect {
    std::string title, artist, album, year, comment;
    std::uint8_t genre;
};

struct TagCase {
    const char* name;
    std::string file;
    bool found;
    Expect expect;
};

// A 2.4 comment longer than 127 bytes whose size is written plain: read as syncsafe it would end
// inside its own text.
std::string plainSizedComment() {
    const std::string text(200, 'c');
    return frame(4, "COMM", commentData(0, "", text), 0, 0, SizeForm::plainIn24) + frame(4, "TIT2", textData(0, "After"));
}

// UTF-16 with a 0xFF 0x00 character right after the byte order mark: undone twice, the character
// would change.
std::string unsyncWideTitle() { return std::string("\x01\xFF\xFE\xFF\x00\x62\x00", 7); }

std::vector<TagCase> tagCases() {
    const std::string six3 = sixFrames(3, 0, "Title", "Artist", "Album", "1999", "Note", "(17)");
    return {
        {"2.3 Latin-1", tag(3, six3) + kAudio, true, {"Title", "Artist", "Album", "1999", "Note", 17}},
        {"2.3 UTF-16 little-endian mark", tag(3, sixFrames(3, 1, "Café", "Zoë", "Noël", "2001", "Olé", "Pop")) + kAudio,
         true, {"Café", "Zoë", "Noël", "2001", "Olé", 13}},
        {"2.3 UTF-16 big-endian mark",
         tag(3, frame(3, "TIT2", "\x01" + encode(1, "Élan", false)) + frame(3, "TPE1", textData(1, "A"))), true,
         {"Élan", "A", "", "", "", 255}},
        {"2.4 UTF-8, a letter outside Latin-1, several values",
         tag(4, frame(4, "TIT2", textData(3, "Ж and ü")) +
                    frame(4, "TPE1", textData(3, std::vector<std::string>{"First", "Second"})) +
                    frame(4, "TDRC", textData(3, "2004-05-06")) +
                    frame(4, "TCON", textData(3, std::vector<std::string>{"31", "Pop"}))),
         true, {"Ж and ü", "First", "", "2004", "", 31}},
        {"2.4 UTF-8 refuses an overlong zero and a cut sequence",
         tag(4, frame(4, "TIT2", std::string("\x03" "AB\xC0\x80\xCD", 6))), true, {"AB\uFFFD\uFFFD\uFFFD", "", "", "", "", 255}},
        {"2.4 UTF-8 refuses a surrogate written as UTF-8",
         tag(4, frame(4, "TIT2", std::string("\x03" "x\xED\xA0\x80y", 6))), true, {"x\uFFFD\uFFFD\uFFFDy", "", "", "", "", 255}},
        {"2.4 UTF-16BE", tag(4, sixFrames(4, 2, "Bé", "Art", "Alb", "2010", "C", "13")), true,
         {"Bé", "Art", "Alb", "2010", "C", 13}},
        {"2.2 three-letter frames", tag(2, sixFrames(2, 0, "Old", "Timer", "Vinyl", "1971", "Hiss", "(8)Jazz")), true,
         {"Old", "Timer", "Vinyl", "1971", "Hiss", 8}},
        {"2.3 whole-tag unsynchronisation",
         tag(3, unsynchronise(frame(3, "TIT2", unsyncWideTitle()) + frame(3, "TPE1", textData(1, "Ünsync"))), 0x80),
         true, {"ÿb", "Ünsync", "", "", "", 255}},
        {"2.4 per-frame unsynchronisation, header flag too, undone once",
         tag(4, frame(4, "TIT2", syncsafe(7) + unsynchronise(unsyncWideTitle()), 0, 0x03) + frame(4, "TPE1", textData(0, "A")),
             0x80),
         true, {"ÿb", "A", "", "", "", 255}},
        {"2.4 plain frame size", tag(4, plainSizedComment()), true, {"After", "", "", "", std::string(200, 'c'), 255}},
        {"2.3 extended header", tag(3, plain(6) + std::string(6, '\0') + six3, 0x40), true,
         {"Title", "Artist", "Album", "1999", "Note", 17}},
        {"2.4 extended header counting itself",
         tag(4, syncsafe(6) + std::string("\x01\x00", 2) + frame(4, "TIT2", textData(0, "X")), 0x40), true,
         {"X", "", "", "", "", 255}},
        {"2.3 extended-header flag without one", tag(3, six3, 0x40), true, {"Title", "Artist", "Album", "1999", "Note", 17}},
        {"2.4 extended-header flag without one", tag(4, frame(4, "TIT2", textData(0, "Y")), 0x40), true,
         {"Y", "", "", "", "", 255}},
        {"compressed and encrypted frames skipped",
         tag(3, frame(3, "TIT2", textData(0, "Packed"), 0, 0x80) + frame(3, "TPE1", textData(0, "Hidden"), 0, 0x40) +
                    frame(3, "TALB", textData(0, "Plain"))),
         true, {"", "", "Plain", "", "", 255}},
        {"padding ends the frames", tag(3, frame(3, "TIT2", textData(0, "T")) + std::string(20, '\0') + "TPE1junk"), true,
         {"T", "", "", "", "", 255}},
        {"private comments ignored, the undescribed one wins",
         tag(3, frame(3, "COMM", commentData(0, "iTunNORM", " 0000")) + frame(3, "COMM", commentData(0, "Label", "Described")) +
                    frame(3, "COMM", commentData(1, "", "Mine")) + frame(3, "COMM", commentData(0, "", "Later"))),
         true, {"", "", "", "", "Mine", 255}},
        {"damaged frame keeps what came before", tag(3, frame(3, "TIT2", textData(0, "Kept")) + "ti\x01T" + plain(5) + "xx"),
         true, {"Kept", "", "", "", "", 255}},
        {"frame claiming more than the tag",
         tag(3, frame(3, "TIT2", textData(0, "K")) + "TPE1" + plain(9999) + std::string("\0\0ab", 4)), true,
         {"K", "", "", "", "", 255}},
        // A cut download: the frames that are there.
        {"tag claiming one byte more than the file holds", tag(3, six3, 0, static_cast<std::uint32_t>(six3.size() + 1)),
         true, {"Title", "Artist", "Album", "1999", "Note", 17}},
        {"tag cut inside its last frame", tag(3, six3).substr(0, 10 + six3.size() - 2), true,
         {"Title", "Artist", "Album", "1999", "Note", 255}},
        {"tag above the cap", tag(3, six3, 0, 0x0FFFFFFF) + kAudio, false, {}},
        {"unknown version", std::string("ID3\x05\x00\x00", 6) + syncsafe(10) + std::string(20, 'x'), false, {}},
        {"compressed 2.2 tag", tag(2, sixFrames(2, 0, "a", "b", "c", "1999", "d", "1"), 0x40), false, {}},
        {"no header", "RIFF" + kAudio, false, {}},
        {"header alone", "ID3\x03", false, {}},
    };
}

Id3v2Fields readFields(const std::string& file, bool& found, std::size_t* bytesRead = nullptr) {
    CountingFile counting(file);
    Id3v2Fields fields;
    found = readId3v2Tag(counting, fields);
    if (bytesRead) *bytesRead = counting.bytesRead;
    return fields;
}

}  // namespace

TEST(Id3v2Tag, ReadsTheSixFieldsOfEachVersionEncodingAndFault) {
    for (const TagCase& c : tagCases()) {
        SCOPED_TRACE(c.name);
        bool found = false;
        const Id3v2Fields f = readFields(c.file, found);
        ASSERT_EQ(found, c.found);
        if (!found) continue;
        EXPECT_EQ(f.title, c.expect.title);
        EXPECT_EQ(f.artist, c.expect.artist);
        EXPECT_EQ(f.album, c.expect.album);
        EXPECT_EQ(f.year, c.expect.year);
        EXPECT_EQ(f.comment, c.expect.comment);
        EXPECT_EQ(f.genre, c.expect.genre);
    }
}

TEST(Id3v2Tag, GenreAndYearTexts) {
    const struct {
        const char* text;
        int genre;
    } genres[] = {{"(13)", 13},   {"(13)Pop", 13},      {"13", 13},       {"Pop", 13},       {"classic rock", 1},
                  {"  (0) ", 0},  {"(RX)", 255},        {"(CR)Rock", 17}, {"Synthwave", 255}, {"13x", 255},
                  {"(255)", 255}, {"(300)", 255},       {"", 255},        {"(", 255},        {"((Pop)", 255},
                  {"Rythmic Soul", 117}};
    for (const auto& g : genres) EXPECT_EQ(genreFromText(g.text), g.genre) << g.text;
    EXPECT_EQ(yearFromText("2004-05-06T10:00"), "2004");
    EXPECT_EQ(yearFromText("1999"), "1999");
    EXPECT_EQ(yearFromText("99"), "");
    EXPECT_EQ(yearFromText("c. 1950"), "");
}

TEST(Id3v2Tag, ACoverPictureIsPassedBySeekingNotRead) {
    const std::string six = sixFrames(3, 1, "Title", "Artist", "Album", "1999", "Note", "(17)");
    const std::string text = tag(3, six) + kAudio;
    const std::string withCover = tag(3, frame(3, "APIC", std::string(5 * 1024 * 1024, '\x89')) + six) + kAudio;
    bool found = false;
    std::size_t textBytes = 0, coverBytes = 0;
    const Id3v2Fields a = readFields(text, found, &textBytes);
    ASSERT_TRUE(found);
    const Id3v2Fields b = readFields(withCover, found, &coverBytes);
    ASSERT_TRUE(found);
    EXPECT_EQ(b.title, a.title);
    EXPECT_EQ(b.genre, a.genre);
    EXPECT_LE(coverBytes, textBytes + 10);  // the picture frame's header, nothing of its data
}

// --- Which tag a record gets ---

namespace {

class FakePlayer : public IPlayerMetadata {
public:
    std::map<std::string, std::string> fields;  // empty: the player cannot describe the file
    int asked = 0;
    bool fileInfo(const std::string&, const std::u16string&, const char* field, std::string& value) override {
        ++asked;
        if (fields.empty()) return false;
        value = fields[field];
        return true;
    }
};

const std::string kV1Full = id3v1Block("V1 Title", "V1 Artist", "V1 Album", "1980", "v1", 2);
const std::string kV1NoArtist = id3v1Block("V1 Title", "", "V1 Album", "1980", "v1", 2);
const std::string kV2 = tag(3, frame(3, "TIT2", textData(1, "V2 Title")) + frame(3, "TPE1", textData(1, "V2 Artist")));

}  // namespace

TEST(TrackTag, WhichTagWins) {
    FieldFlags artistTitle{};
    artistTitle[FieldArtist] = artistTitle[FieldTitle] = true;
    const struct {
        const char* name;
        std::string file;  // "": no file at all
        bool readOtherTags;
        bool playerKnows;
        TagSource source;
        std::string body;  // the 125 bytes expected ("": not checked)
        bool throws;
    } cases[] = {
        {"full ID3v1 wins as it is", kV2 + kAudio + kV1Full, true, true, TagSource::id3v1, kV1Full.substr(3), false},
        {"ID3v2 fills, ID3v1 gives what it lacks", kV2 + kAudio + kV1NoArtist, true, true, TagSource::id3v2,
         tagBody("V2 Title", "V2 Artist", "V1 Album", "1980", "v1", 2), false},
        {"ID3v2 alone", kV2 + kAudio, true, true, TagSource::id3v2, tagBody("V2 Title", "V2 Artist"), false},
        {"no ID3: the player", "OggS" + kAudio, true, true, TagSource::player,
         tagBody("P Title", "P Artist", "P Album", "2020", "", 13), false},
        {"no ID3, the player knows nothing", "OggS" + kAudio, true, false, TagSource::none, "", false},
        {"shorter than an ID3v1 tag: the player", "OggS", true, true, TagSource::player, "", false},
        {"no file: the player", "", true, true, TagSource::player, "", false},
        {"ID3v1 without artist, the player's is whole", kAudio + kV1NoArtist, true, true, TagSource::player, "", false},
        {"ID3v1 without artist, nothing better", kAudio + kV1NoArtist, true, false, TagSource::id3v1,
         kV1NoArtist.substr(3), false},
        {"off: ID3v2 alone is no tag", kV2 + kAudio, false, true, TagSource::none, "", false},
        {"off: ID3v1 as always", kV2 + kAudio + kV1NoArtist, false, true, TagSource::id3v1, kV1NoArtist.substr(3), false},
        {"off: a short file raises as always", "OggS", false, true, TagSource::none, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        if (!c.file.empty()) files.put("/m/a.mp3", c.file);
        FakePlayer player;
        if (c.playerKnows)
            player.fields = {{"title", "P Title"}, {"artist", "P Artist"}, {"album", "P Album"}, {"year", "2020"}, {"genre", "Pop"}};
        TagRules rules;
        rules.required = artistTitle;
        rules.readOtherTags = c.readOtherTags;
        rules.player = &player;
        CTrackRecord result;
        if (c.throws) {
            EXPECT_THROW(readTrackTag(files, "/m/a.mp3", u"", rules, result), CMyReadMp3TagException);
            continue;
        }
        EXPECT_EQ(readTrackTag(files, "/m/a.mp3", u"", rules, result), c.source);
        if (!c.body.empty()) {
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(result.tag.body().data()), CId3v1Tag::kBodySize), c.body);
        }
        if (!c.readOtherTags) {
            EXPECT_EQ(player.asked, 0);
        }
    }
}

TEST(TrackTag, AWideNameIsOpenedWhole) {
    MemoryFileSystem files;
    files.put("/m/\xD0\x96.mp3", kV2 + kAudio);  // the Cyrillic letter Zhe, under its UTF-8 form
    TagRules rules;
    CTrackRecord result;
    EXPECT_EQ(readTrackTag(files, "/m/?.mp3", u"/m/\u0416.mp3", rules, result), TagSource::id3v2);
    EXPECT_EQ(result.tag.title(), "V2 Title");
    EXPECT_EQ(readTrackTag(files, "/m/?.mp3", u"", rules, result), TagSource::none);
}

// --- The archive's wide string form ---

TEST(ArchiveWideString, AWideNameIsStoredWholeAndReadBack) {
    MemoryFileSystem files;
    const std::u16string wide = u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\\u6771\u4EAC.mp3";
    {
        auto file = files.createWrite("a");
        CArchive out(*file, CArchive::store);
        out.WriteWideString(wide);
        out.WriteString("C:\\plain.mp3");
        out.Flush();
    }
    const std::string& bytes = *files.get("a");
    // 0xFF, 0xFFFE, the length in characters, UTF-16LE.
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE\xFF", 3) + static_cast<char>(wide.size()));
    EXPECT_EQ(bytes.substr(4, 4), std::string("C\0:\0", 4));
    auto file = files.openRead("a");
    CArchive in(*file, CArchive::load);
    std::u16string readWide;
    std::string text;
    in.ReadString(text, readWide);
    EXPECT_EQ(text, "C:\\??????\\??.mp3");
    EXPECT_EQ(readWide, wide);
    in.ReadString(text, readWide);
    EXPECT_EQ(text, "C:\\plain.mp3");
    EXPECT_TRUE(readWide.empty());
}

// --- The fuzzer's seed corpus: tags made here, so no file from elsewhere ever seeds it ---

TEST(Id3v2Tag, SeedCorpusIsTheTagsOfTheseTests) {
    const std::string folder = std::string(PTLY_SOURCE_DIR) + "/tests/fuzz/corpus/id3v2/";
    const bool write = std::getenv("PTLY_WRITE_CORPUS") != nullptr;
    int n = 0;
    for (const TagCase& c : tagCases()) {
        const std::string path = folder + "seed" + std::to_string(n++);
        if (write) {
            std::ofstream(path, std::ios::binary) << c.file;
            continue;
        }
        std::ifstream in(path, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        EXPECT_EQ(content.str(), c.file) << path << " differs from the case \"" << c.name
                                         << "\": run the test with PTLY_WRITE_CORPUS=1";
    }
}

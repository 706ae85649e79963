// Exporting and importing plays. Every export is checked by an independent reader (the JSON library
// for ListenBrainz, the published column rules for the scrobbler log, a small RFC 4180 reader for
// the CSV), and every import through the database it leaves.
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <deque>
#include <functional>

#include "core/CodePage.h"
#include "core/MemoryFileSystem.h"
#include "database/DuplicateRule.h"
#include "exchange/PlayExchange.h"
#include "exchange/PlayReaders.h"
#include "core/Progress.h"
#include "tests/native/DbFileSupport.h"

using namespace dbtest;

namespace {

const std::string kOut = "C:\\out\\plays";
// Imported listens start no earlier than October 2002.
constexpr TimeValue kT = 1100000000;
const std::string kIn = "C:\\out\\in";

// Answers the questions from a script (Yes when it runs out) and records everything shown.
class ScriptedMessages : public IMessages {
public:
    void showMessage(const std::string& text, const std::string& key) override { shown.push_back({text, key}); }
    bool askYesNo(const std::string& text, const std::string&) override {
        asked.push_back(text);
        if (answers.empty()) return true;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<RecordingMessages::Shown> shown;
    std::vector<std::string> asked;
    std::deque<bool> answers;
};

// Cancels at the given look (0: never).
class CancellingProgress : public IProgress, public IProgressFactory {
public:
    std::unique_ptr<IProgress> create() override {
        struct View : IProgress {
            explicit View(CancellingProgress& p) : p(p) {}
            void Show(const std::string&, int, int) override { ++p.shown; }
            void SetRange(int, int) override {}
            void SetStep(int) override {}
            int SetPos(int) override { return 0; }
            int Advance(int) override {
                if (p.onLook) p.onLook();  // what the window's message pump runs
                return ++p.looks == p.cancelAt ? 1 : 0;
            }
            bool CheckCancel() override { return ++p.looks == p.cancelAt; }
            void SetText(const std::string&) override {}
            CancellingProgress& p;
        };
        return std::make_unique<View>(*this);
    }
    void Show(const std::string&, int, int) override {}
    void SetRange(int, int) override {}
    void SetStep(int) override {}
    int SetPos(int) override { return 0; }
    int Advance(int) override { return 0; }
    bool CheckCancel() override { return false; }
    void SetText(const std::string&) override {}
    int shown = 0, looks = 0, cancelAt = 0;
    std::function<void()> onLook;
};

struct Exchange : ::testing::Test {
    Exchange() : setup(fs, "C:\\out\\db.dat", &messages) {
        fs.folders.insert("C:\\out");
        setup.context.progress = &progress;
        setup.setSize(false, 1000);
    }
    CDoc& doc() { return setup.doc; }

    void add(TimeValue date, const std::string& artist, const std::string& title, const std::string& album = "",
             std::int32_t length = 200, const std::string& comment = "", const std::string& path = "C:\\m.mp3") {
        auto r = std::make_unique<CTrackRecord>(path, length, date, length - 10);
        r->tag = CId3v1Tag(artist, album, title, "1999", comment, 17);
        doc().store().append(std::move(r));
    }
    // A play with the ID3v1.1 track number in its comment.
    void addWithTrack(TimeValue date, const std::string& artist, const std::string& title, int track) {
        add(date, artist, title, "Album");
        auto& body = doc().records().back()->tag.body();
        body[94 + 28] = 0;
        body[94 + 29] = static_cast<std::uint8_t>(track);
    }
    std::string exported(PlayFormat format) {
        EXPECT_EQ(exportPlays(doc(), kOut, format), ExportStatus::written);
        const std::string* bytes = fs.get(kOut);
        return bytes ? *bytes : std::string();
    }
    ImportResult import(const std::string& bytes) {
        fs.put(kIn, bytes);
        messages.shown.clear();
        return importPlays(doc(), kIn);
    }
    std::vector<std::string> summary() const {
        std::vector<std::string> out;
        for (const auto& r : setup.doc.records())
            out.push_back(std::to_string(r->date) + " " + std::string(r->tag.artist()) + "/" +
                          std::string(r->tag.title()) + "/" + std::string(r->tag.album()) + " " +
                          std::to_string(r->length));
        return out;
    }

    MemoryFileSystem fs;
    DocSetup setup;
    ScriptedMessages messages;
    CancellingProgress progress;
};

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> out(1);
    for (char c : text)
        if (c == by)
            out.emplace_back();
        else
            out.back() += c;
    return out;
}

// RFC 4180: fields separated by commas, records by CRLF; a quoted field may hold commas, CRLF and
// doubled quotes.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"' && field.empty()) {
            quoted = true;
        } else if (c == ',') {
            row.push_back(field), field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            row.push_back(field), field.clear(), rows.push_back(row), row.clear(), ++i;
        } else {
            EXPECT_NE(c, '"') << "a quote inside an unquoted field";
            EXPECT_NE(c, '\n') << "a bare line feed";
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && row.empty()) << "the last record has no CRLF";
    return rows;
}

}  // namespace

TEST_F(Exchange, ListenBrainzExportParsedByTheLibrary) {
    add(1000000000, "Caf\xE9 Tacuba", "Say \"hi\" \\ now", "Re", 245);
    add(1000000300, "Artist", "Title", "", 0);  // no album, no length: keys left out
    addWithTrack(1000000600, "Band", "Song", 7);
    const std::string json = exported(PlayFormat::listenBrainz);

    rapidjson::Document d;
    ASSERT_FALSE(d.Parse(json.c_str()).HasParseError());
    ASSERT_TRUE(d.IsArray());
    ASSERT_EQ(d.Size(), 3u);
    for (rapidjson::SizeType i = 0; i < d.Size(); ++i) {
        SCOPED_TRACE(i);
        const CTrackRecord& r = *doc().records()[i];
        const auto& listen = d[i];
        EXPECT_EQ(listen["listened_at"].GetInt64(), r.date);
        const auto& meta = listen["track_metadata"];
        EXPECT_EQ(ansiToUtf8(r.tag.artist()), meta["artist_name"].GetString());
        EXPECT_EQ(ansiToUtf8(r.tag.title()), meta["track_name"].GetString());
        EXPECT_EQ(meta.HasMember("release_name"), !r.tag.album().empty());
        if (!r.tag.album().empty()) {
            EXPECT_EQ(std::string(r.tag.album()), meta["release_name"].GetString());
        }
        const auto& info = meta["additional_info"];
        EXPECT_EQ(info.HasMember("duration_ms"), r.length > 0);
        if (r.length > 0) {
            EXPECT_EQ(info["duration_ms"].GetInt64(), r.length * 1000LL);
        }
        EXPECT_EQ(info.HasMember("tracknumber"), i == 2);
        EXPECT_STREQ(info["media_player"].GetString(), "Winamp");
        EXPECT_STREQ(info["submission_client"].GetString(), "Dozoderi Playtally");
        EXPECT_STREQ(info["submission_client_version"].GetString(), "1.4");
        for (auto m = info.MemberBegin(); m != info.MemberEnd(); ++m)
            EXPECT_FALSE(m->value.IsString() && m->value.GetStringLength() == 0) << m->name.GetString();
    }
    EXPECT_STREQ(d[0]["track_metadata"]["artist_name"].GetString(), "Caf\xC3\xA9 Tacuba");
    EXPECT_STREQ(d[0]["track_metadata"]["track_name"].GetString(), "Say \"hi\" \\ now");
    EXPECT_EQ(d[2]["track_metadata"]["additional_info"]["tracknumber"].GetInt(), 7);
    EXPECT_EQ(defaultExportName(PlayFormat::listenBrainz, kNow), "playtally_lb-2026-12-08.json");
}

TEST_F(Exchange, ScrobblerLogFollowsTheColumnRules) {
    add(1000000000, "A\tB", "Line\r\nbreak", "Caf\xE9", 245);
    addWithTrack(1000000600, "Band", "Song", 12);
    const std::string log = exported(PlayFormat::scrobblerLog);

    EXPECT_NE(log.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_EQ(log.find('\r'), std::string::npos);
    ASSERT_EQ(log.back(), '\n');
    std::vector<std::string> lines = split(log.substr(0, log.size() - 1), '\n');
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "#AUDIOSCROBBLER/1.1");
    EXPECT_EQ(lines[1], "#TZ/UTC");
    EXPECT_EQ(lines[2], "#CLIENT/Dozoderi Playtally 1.4");
    // artist, album, title, track, duration, rating, start (UTC), track id.
    const std::vector<std::vector<std::string>> expected = {
        {"A B", "Caf\xC3\xA9", "Line  break", "", "245", "L", "1000000000", ""},
        {"Band", "Album", "Song", "12", "200", "L", "1000000600", ""},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(split(lines[3 + i], '\t'), expected[i]);
    EXPECT_EQ(defaultExportName(PlayFormat::scrobblerLog, kNow), ".scrobbler.log");
}

TEST_F(Exchange, CsvReadByAnRfc4180Reader) {
    add(1000000000, "Smith, John", "He said \"no\"", "Caf\xE9", 245, "two\r\nlines", "C:\\a,b.mp3");
    add(1000000060, "Plain", "Title");
    const std::string csv = exported(PlayFormat::csv);

    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    auto rows = readCsv(csv.substr(3));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"start_local", "start_unix", "artist", "title", "album", "year",
                                                   "genre", "comment", "length_s", "played_s", "path"}));
    // The tests run in UTC, so local time is UTC here.
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2001-09-09T01:46:40", "1000000000", "Smith, John", "He said \"no\"",
                                                   "Caf\xC3\xA9", "1999", "Rock", "two\r\nlines", "245", "235",
                                                   "C:\\a,b.mp3"}));
    EXPECT_EQ(rows[2][2], "Plain");
    EXPECT_EQ(rows[2][1], "1000000060");
}

TEST_F(Exchange, CsvShowsFormulasAsTextAndPathsWhole) {
    const struct {
        const char* given;
        const char* written;
    } texts[] = {{"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"}, {"+1", "'+1"}, {"-2", "'-2"}, {"@SUM(A1)", "'@SUM(A1)"},
                 {"a=b", "a=b"}, {"", ""}};
    for (const auto& t : texts) add(1000, t.given, "T");
    add(2000, "A", "T", "", 200, "", "C:\\?.mp3");
    doc().records().back()->widePath = u"C:\\\u0416.mp3";
    const auto rows = readCsv(exported(PlayFormat::csv).substr(3));
    ASSERT_EQ(rows.size(), std::size(texts) + 2);
    for (std::size_t i = 0; i < std::size(texts); ++i) EXPECT_EQ(rows[1 + i][2], texts[i].written);
    EXPECT_EQ(rows.back()[10], "C:\\\xD0\x96.mp3");
}

TEST_F(Exchange, RoundTripThroughAnEmptyDatabaseGivesTheSameListens) {
    for (PlayFormat format : {PlayFormat::listenBrainz, PlayFormat::scrobblerLog}) {
        SCOPED_TRACE(static_cast<int>(format));
        doc().store().replaceAll({});
        add(kT, "Caf\xE9 Tacuba", "Eres", "Cuatro Caminos", 245);
        add(kT + 100, "Artist", "Title", "", 0);
        add(kT + 200, "Artist", "Title", "Album", 180);
        addWithTrack(kT + 400, "Band", "Song", 7);
        addWithTrack(kT + 600, "Band", "Last", 255);
        const std::vector<std::string> original = summary();
        const std::string first = exported(format);

        doc().store().replaceAll({});
        ImportResult result = import(first);
        EXPECT_TRUE(result.applied);
        EXPECT_EQ(result.added, 5u);
        EXPECT_EQ(summary(), original);
        EXPECT_EQ(doc().records()[3]->tag.trackNumber(), 7);
        for (const auto& r : doc().records()) {
            EXPECT_EQ(r->path, "");
            EXPECT_EQ(r->played, r->length);
            EXPECT_EQ(r->tag.genre(), CId3v1Tag::kNoGenre);
        }
        // The same listens again, byte for byte where a listen has no more than the import keeps.
        EXPECT_EQ(exported(format), first);

        // A second import of the same file adds nothing.
        result = import(first);
        EXPECT_EQ(result.added, 0u);
        EXPECT_EQ(result.duplicates, 5u);
        EXPECT_EQ(summary(), original);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].key, "PlaysImported");
        EXPECT_NE(messages.shown[0].text.find("0 plays were added"), std::string::npos);
    }
}

TEST_F(Exchange, DuplicatesAndPlacement) {
    struct Case {
        const char* name;
        std::string listens;  // ListenBrainz lines
        std::vector<std::string> after;
        std::size_t duplicates;
    };
    auto line = [](TimeValue t, const char* artist, const char* title) {
        return "{\"listened_at\":" + std::to_string(kT + t) + ",\"track_metadata\":{\"artist_name\":\"" + artist +
               "\",\"track_name\":\"" + title + "\"}}\n";
    };
    const Case cases[] = {
        {"30 seconds apart, other case: the same play", line(1030, "ARTIST", "title") + line(1970, "artist", "Title"), {}, 2},
        {"31 seconds apart: another play", line(1031, "Artist", "Title"),
         {"1100001000 Artist/Title/ 200", "1100001031 Artist/Title/ 0", "1100002000 Artist/Title/ 200"}, 0},
        {"same time, other title: another play", line(1000, "Artist", "Other"),
         {"1100001000 Artist/Title/ 200", "1100001000 Artist/Other/ 0", "1100002000 Artist/Title/ 200"}, 0},
        {"placed by date, repeats inside the file skipped",
         line(3000, "B", "x") + line(500, "A", "y") + line(1500, "C", "z") + line(1510, "c", "Z"),
         {"1100000500 A/y/ 0", "1100001000 Artist/Title/ 200", "1100001500 C/z/ 0", "1100002000 Artist/Title/ 200", "1100003000 B/x/ 0"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc().store().replaceAll({});
        add(kT + 1000, "Artist", "Title");
        add(kT + 2000, "Artist", "Title");
        std::vector<std::string> before = summary();
        setup.views.refreshes = 0;
        ImportResult result = import(c.listens);
        EXPECT_EQ(result.duplicates, c.duplicates);
        EXPECT_EQ(summary(), c.after.empty() ? before : c.after);
        EXPECT_EQ(setup.views.refreshes, c.after.empty() ? 0 : 1);
    }
}

TEST_F(Exchange, TheDuplicateRuleKeepsEveryPlayThatWasHeard) {
    auto log = [](const std::vector<std::string>& lines) {
        std::string text = "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n";
        for (const std::string& l : lines) text += l + "\n";
        return text;
    };
    auto play = [](const std::string& artist, const std::string& title, int length, TimeValue start) {
        return artist + "\t\t" + title + "\t\t" + std::to_string(length) + "\tL\t" + std::to_string(kT + start) + "\t";
    };
    const std::string cyrillic1 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // six letters each
    const std::string cyrillic2 = "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0";
    const std::string long30(30, 'L');
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::size_t added;
    } cases[] = {
        {"a 20-second track six times back to back",
         {play("A", "Short", 20, 5000), play("A", "Short", 20, 5020), play("A", "Short", 20, 5040),
          play("A", "Short", 20, 5060), play("A", "Short", 20, 5080), play("A", "Short", 20, 5100)}, 6},
        {"half a 20-second track apart: one play", {play("A", "Short", 20, 5000), play("a", "SHORT", 20, 5010)}, 1},
        {"two titles the code page cannot hold", {play("A", cyrillic1, 200, 5000), play("A", cyrillic2, 200, 5000)}, 2},
        {"titles alike in their first 30 bytes", {play("A", long30 + "1", 200, 5000), play("A", long30 + "2", 200, 5000)}, 2},
        {"the stored play within 30 seconds", {play("Artist", "Title", 200, 1030)}, 0},
        {"a stored title the code page replaced is not compared", {play("Artist", cyrillic1, 200, 3000)}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc().store().replaceAll({});
        add(kT + 1000, "Artist", "Title");
        add(kT + 3000, "Artist", "??????");
        const ImportResult result = import(log(c.lines));
        EXPECT_TRUE(result.applied);
        EXPECT_EQ(result.added, c.added);
        EXPECT_EQ(result.duplicates, c.lines.size() - c.added);
    }
    // The rule on two stored plays, as a merge asks it.
    const struct {
        std::int32_t lengthA, lengthB;
        std::int64_t window;
    } windows[] = {{20, 20, 10}, {200, 200, 30}, {0, 0, 30}, {0, 40, 20}, {300, 20, 10}};
    for (const auto& w : windows) EXPECT_EQ(duplicateWindowSeconds(w.lengthA, w.lengthB), w.window) << w.lengthA << "/" << w.lengthB;
    CTrackRecord a("C:\\a.mp3", 20, 5000, 20), b("C:\\b.mp3", 20, 5010, 20);
    a.tag = CId3v1Tag("Artist", "", "Title", "", "", 1);
    b.tag = CId3v1Tag("ARTIST", "", "title", "", "", 1);
    EXPECT_TRUE(isDuplicatePlay(a, b));
    b.date = 5011;
    EXPECT_FALSE(isDuplicatePlay(a, b));
}

TEST_F(Exchange, ScrobblerLogImportsListenedRowsOnly) {
    const std::string log =
        "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Rockbox sansae200 $Revision$\n#ANOTHER/header line\n"
        "Heard\tAlbum\tOne\t1\t200\tL\t1100000000\t\n"
        "Skipped\tAlbum\tTwo\t2\t180\tS\t1100000300\tb0a1\n"
        "\n"
        "#1 Dads\t\tThree\t\t\tL\t1100000600\t\r\n";  // a play, not a header: the header is over
    ImportResult result = import(log);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(summary(), (std::vector<std::string>{"1100000000 Heard/One/Album 200", "1100000600 #1 Dads/Three/ 0"}));

    // Version 1.0 has seven fields; lines may end in a lone CR.
    doc().store().replaceAll({});
    EXPECT_TRUE(import("#AUDIOSCROBBLER/1.0\r#TZ/UTC\rOld form\t\tFour\t\t\tL\t1100000900\rA\t\tFive\t\t9\tL\t1100001000\r").applied);
    EXPECT_EQ(summary(), (std::vector<std::string>{"1100000900 Old form/Four/ 0", "1100001000 A/Five/ 9"}));

    // "#TZ/UNKNOWN": the times are the device's local clock.
    std::vector<ImportedListen> listens;
    ReadError error;
    ASSERT_TRUE(readListens("#AUDIOSCROBBLER/1.1\n#TZ/UNKNOWN\nA\tB\tC\t\t10\tL\t1100005000\t\n", listens, error,
                            [](std::int64_t local) { return static_cast<TimeValue>(local - 3600); }));
    ASSERT_EQ(listens.size(), 1u);
    EXPECT_EQ(listens[0].start, 1100001400);
}

TEST_F(Exchange, BrokenFilesChangeNothingAndSayWhere) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string says;  // part of the message
    };
    const std::string good = "{\"listened_at\":1100000000,\"track_metadata\":{\"artist_name\":\"a\",\"track_name\":\"t\"}}";
    auto logLine = [](TimeValue start) { return "A\tB\tC\t\t4\tL\t" + std::to_string(start) + "\t\n"; };
    const Case cases[] = {
        {"not a plays file", "artist,title\n", "neither ListenBrainz JSON nor a scrobbler log"},
        {"empty", "", "neither ListenBrainz JSON nor a scrobbler log"},
        {"array cut short", "[\n" + good + ",\n" + good, "broken at line 3"},
        {"second line broken", good + "\n{\"listened_at\":1100000002,\n", "broken at line 3"},
        {"array followed by more", "[" + good + "]\n x", "broken at line 2, column 2"},
        {"listen without time", good + "\n" + good + "\n{\"track_metadata\":{}}\n", "Line 3, column 1"},
        {"time as text", "[" + good + ",\n{\"listened_at\":\"x\",\"track_metadata\":{}}]", "Line 2"},
        {"artist as number", "[{\"listened_at\":1100000000,\"track_metadata\":{\"artist_name\":5}}]", "\"artist_name\" must be a text"},
        {"not a listen", "[" + good + ",3]", "must be a JSON object"},
        {"bad UTF-8", "[{\"listened_at\":1100000000,\"track_metadata\":{\"track_name\":\"\xC3\"}}]", "broken at line 1"},
        {"log rating", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t1\tL\t1100000005\t\nA\tB\tC\t\t1\tX\t1100000005\t\n", "Line 3: the rating"},
        {"log field count", "#AUDIOSCROBBLER/1.1\n#TZ/UTC\nA\tB\tC\n", "Line 3: a scrobbler log line holds 3 fields"},
        {"log cut in its last line", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t1\tL\t1100000005\t\nA\tB\tC\t\t1\tL\t16168",
         "Line 3: a scrobbler log line holds 7 fields"},
        {"log start", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t1\tL\tsoon\t\n", "Line 2: the start time"},
        {"log duration", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t-4\tL\t1100000005\t\n", "Line 2: the duration"},
        {"log start before 1970", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t4\tL\t-5\t\n", "Line 2: the start time (the seventh field) is before October 2002"},
        {"log start a second before October 2002", "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n" + logLine(1033430400) + logLine(1033430399),
         "Line 4: the start time (the seventh field) is before October 2002"},
        {"skipped log line before October 2002", "#AUDIOSCROBBLER/1.1\nA\tB\tC\t\t4\tS\t16168\t\n", "Line 2: the start time"},
        {"listen before 1970", "[" + good + ",\n{\"listened_at\":-1,\"track_metadata\":{}}]", "Line 2, column 1: the listen's \"listened_at\" is before October 2002"},
        {"listen in 2001", "[" + good + ",\n{\"listened_at\":1000000000,\"track_metadata\":{}}]", "Line 2, column 1: the listen's \"listened_at\" is before October 2002"},
    };
    add(1000, "Artist", "Title");
    const std::vector<std::string> before = summary();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImportResult result = import(c.bytes);
        EXPECT_FALSE(result.applied);
        EXPECT_EQ(summary(), before);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].key, "ErrorImportingPlays");
        EXPECT_NE(messages.shown[0].text.find(c.says), std::string::npos) << messages.shown[0].text;
    }
    // A length beyond a day is unknown; a "\u0000" in a text is left out.
    doc().store().replaceAll({});
    EXPECT_TRUE(import("{\"listened_at\":1033430400,\"track_metadata\":{\"artist_name\":\"A\\u0000B\",\"track_name\":\"T\","
                       "\"additional_info\":{\"duration\":86401}}}\n").applied);
    EXPECT_EQ(summary(), std::vector<std::string>{"1033430400 AB/T/ 0"});
    // A file of a gigabyte (as the 32-bit build could never hold whole) is refused before reading.
    struct HugeFile : IFile {
        std::size_t read(void*, std::size_t) override { return 0; }
        void write(const void*, std::size_t) override {}
        void seek(std::int64_t) override {}
        std::int64_t size() override { return std::int64_t{1} << 30; }
        void flush() override {}
        void close() override {}
    };
    struct HugeFiles : MemoryFileSystem {
        std::unique_ptr<IFile> openRead(const std::string&) override { return std::make_unique<HugeFile>(); }
    } huge;
    DocSetup hugeSetup(huge, "C:\\db.dat", &messages);
    messages.shown.clear();
    EXPECT_FALSE(importPlays(hugeSetup.doc, "C:\\out\\huge.json").applied);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("larger than 256 MB"), std::string::npos);
    // A missing file.
    messages.shown.clear();
    EXPECT_FALSE(importPlays(doc(), "C:\\out\\none.json").applied);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("No such file"), std::string::npos);
}

TEST_F(Exchange, TextsEnterInTheCodePageCutToTheTag) {
    import("[{\"listened_at\":1100000005,\"track_metadata\":{\"artist_name\":\"Caf\xC3\xA9 \xE6\x9D\xB1\","
           "\"track_name\":\"A title much longer than thirty bytes\",\"release_name\":\"R\"},"
           "\"additional_info\":{\"duration_ms\":1}},"
           "{\"listened_at\":1100000009,\"track_metadata\":{\"artist_name\":null,\"track_name\":\"T\","
           "\"additional_info\":{\"duration\":61.6,\"tracknumber\":\"3\",\"x\":[{\"y\":[1,{}]}]}},\"extra\":[]}]");
    EXPECT_EQ(summary(), (std::vector<std::string>{"1100000005 Caf\xE9 ?/A title much longer than thirt/R 0", "1100000009 /T/ 62"}));
}

TEST_F(Exchange, TrackNumbersBecomeTheTagsTrackByte) {
    const struct {
        const char* given;  // the JSON value of "tracknumber"; in the log, the text between the quotes
        int track;
    } cases[] = {{"7", 7},     {"255", 255},   {"\"3\"", 3}, {"\"3/12\"", 3}, {"256", 0},    {"0", 0},
                 {"-1", 0},    {"2.5", 0},     {"\"x\"", 0}, {"\"\"", 0},     {"null", 0},   {"\"1000\"", 0},
                 {"\"/3\"", 0}, {"\"4/\"", 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        doc().store().replaceAll({});
        ASSERT_TRUE(import("{\"listened_at\":" + std::to_string(kT) + ",\"track_metadata\":{\"artist_name\":\"A\","
                           "\"track_name\":\"T\",\"additional_info\":{\"tracknumber\":" + c.given + "}}}\n").applied);
        ASSERT_EQ(doc().records().size(), 1u);
        EXPECT_EQ(doc().records()[0]->tag.trackNumber(), c.track);
        const std::string given = c.given;
        if (given.front() != '"') continue;
        doc().store().replaceAll({});
        ASSERT_TRUE(import("#AUDIOSCROBBLER/1.1\nA\t\tT\t" + given.substr(1, given.size() - 2) + "\t\tL\t" +
                           std::to_string(kT) + "\t\n").applied);
        EXPECT_EQ(doc().records()[0]->tag.trackNumber(), c.track);
    }
}

TEST_F(Exchange, WholeTextsInManyScriptsLeaveAndComeBackUnchanged) {
    const TrackTexts texts[] = {
        {"Bohemian Rhapsody (Remastered 2011)", "Queen", "A Night at the Opera (2011 Remaster)", "", "", ""},
        {"\xE7\xBE\xA4\xE9\x9D\x92\xE6\x97\xA5\xE5\x92\x8C", "\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89", "\xE6\x95\x99\xE8\x82\xB2", "", "", ""},
        {"\xD0\x93\xD1\x80\xD1\x83\xD0\xBF\xD0\xBF\xD0\xB0 \xD0\xBA\xD1\x80\xD0\xBE\xD0\xB2\xD0\xB8", "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "", "", "", ""},
        {"Hopp\xC3\xADpolla", "Sigur R\xC3\xB3s \xE2\x80\x93 \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1 \xF0\x9F\x8E\xB5", "Takk...", "", "", ""},
    };
    for (PlayFormat format : {PlayFormat::listenBrainz, PlayFormat::scrobblerLog}) {
        SCOPED_TRACE(static_cast<int>(format));
        doc().store().replaceAll(RecordArray());
        TimeValue date = kT;
        for (const TrackTexts& t : texts) {
            auto r = std::make_unique<CTrackRecord>("C:\\m.mp3", 200, date += 1000, 190);
            r->SetTexts(t);
            doc().store().append(std::move(r));
        }
        // Paused for ten minutes: the listen started at its first start.
        doc().records()[0]->firstStart = doc().records()[0]->date - 600;
        const std::string first = exported(format);
        EXPECT_NE(first.find(std::to_string(doc().records()[0]->date - 600)), std::string::npos);
        for (const TrackTexts& t : texts) {
            EXPECT_NE(first.find(t.title), std::string::npos) << t.title;
            EXPECT_NE(first.find(t.artist), std::string::npos) << t.artist;
        }
        doc().store().replaceAll(RecordArray());
        EXPECT_EQ(import(first).added, 4u);
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(doc().records()[i]->Text(FieldTitle), texts[i].title);
            EXPECT_EQ(doc().records()[i]->Text(FieldArtist), texts[i].artist);
            EXPECT_EQ(doc().records()[i]->Text(FieldAlbum), texts[i].album);
        }
        EXPECT_EQ(exported(format), first);
        // The listen that started before its pause is the same listen, whichever time it carries.
        EXPECT_EQ(import(first).duplicates, 4u);
    }
}

TEST_F(Exchange, CsvNamesAGenreTheTableLacks) {
    auto r = std::make_unique<CTrackRecord>("C:\\m.mp3", 200, 1000000000, 190);
    r->SetTexts({"T", "A", "", "", "", "Synthwave"});
    doc().store().append(std::move(r));
    const auto rows = readCsv(exported(PlayFormat::csv));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][6], "Synthwave");
}

TEST_F(Exchange, SizeLimitQuestion) {
    struct Case {
        const char* name;
        bool noLarger;
        int size;
        std::deque<bool> answers;
        std::size_t questions;
        std::size_t records;  // after the import
        int sizeAfter;
        bool noLargerAfter;
        TimeValue fileFrom;   // the file's three plays start here, 10 s apart
        int fileGone;         // how many of them the next save removes
    };
    // Two plays stored (kT + 1000 and kT + 2000), three imported.
    const Case cases[] = {
        {"within the limit: no question", true, 5, {}, 0, 5, 5, true, kT, 0},
        {"limit off: no question", false, 3, {}, 0, 5, 3, false, kT, 0},
        {"raise the limit", true, 4, {true}, 1, 5, 5, true, kT, 0},
        {"import anyway, the file's plays the oldest", true, 3, {false, true}, 2, 5, 3, true, kT, 2},
        {"import anyway, one of the file's among the oldest", true, 3, {false, true}, 2, 5, 3, true, kT + 1500, 1},
        {"import anyway, the file's plays the newest", true, 4, {false, true}, 2, 5, 4, true, kT + 3000, 0},
        {"cancel", true, 4, {false, false}, 2, 2, 4, true, kT, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc().store().replaceAll({});
        add(kT + 1000, "A", "1");
        add(kT + 2000, "A", "2");
        setup.setSize(c.noLarger, c.size);
        messages.asked.clear();
        messages.answers = c.answers;
        std::string file = "#AUDIOSCROBBLER/1.1\n";
        for (int i = 0; i < 3; ++i) file += "B\t\t" + std::to_string(i) + "\t\t1\tL\t" + std::to_string(c.fileFrom + 10 * i) + "\t\n";
        ImportResult result = import(file);
        EXPECT_EQ(messages.asked.size(), c.questions);
        EXPECT_EQ(doc().records().size(), c.records);
        EXPECT_EQ(result.applied, c.records == 5);
        EXPECT_EQ(setup.context.readSettings().DBSize, c.sizeAfter);
        EXPECT_EQ(setup.context.readSettings().NoLarger, c.noLargerAfter);
        if (c.questions) {
            EXPECT_NE(messages.asked[0].find("hold 5 plays, more than its limit of " + std::to_string(c.size)), std::string::npos);
        }
        if (!result.applied) continue;
        // The closing message tells how many of the file's plays the save removes, and it does.
        ASSERT_EQ(messages.shown.size(), 1u);
        const std::string& text = messages.shown[0].text;
        EXPECT_EQ(text.find("3 plays were added to your database; 0 were there already"), 0u) << text;
        const std::string gone = "so its oldest " + std::to_string(5 - c.size) + " plays will be removed at the next save, and " +
                                 std::to_string(c.fileGone) + " of the 3 plays just added are among them.";
        EXPECT_EQ(text.find(gone) != std::string::npos, c.fileGone > 0) << text;
        ASSERT_TRUE(doc().SaveDatabase());
        EXPECT_EQ(std::count_if(doc().records().begin(), doc().records().end(), [](const auto& r) { return r->tag.artist() == "B"; }),
                  3 - c.fileGone);
    }
    // Beyond the largest size the page accepts, the limit is turned off instead.
    doc().store().replaceAll({});
    for (int i = 0; i < 100000; ++i) doc().store().append(std::make_unique<CTrackRecord>("", 1, i, 1));
    setup.setSize(true, 100000);
    messages.answers = {true};
    EXPECT_TRUE(import("#AUDIOSCROBBLER/1.1\nB\t\tx\t\t1\tL\t" + std::to_string(kT) + "\t\n").limitChanged);
    EXPECT_FALSE(setup.context.readSettings().NoLarger);
    EXPECT_FALSE(setup.context.current.NoLarger);
}

TEST_F(Exchange, ExportSurvivesTheRecordsItHasNotWrittenBeingTrimmedOrRemoved) {
    // 8,000 plays over a limit of 5,000, as right after "Import anyway": the auto-save timer runs
    // inside the progress window's pump and trims the oldest while the export goes on.
    for (int i = 0; i < 8000; ++i) add(1000 + i, "A", "T" + std::to_string(i));
    setup.setSize(true, 5000);
    progress.onLook = [&] {
        if (progress.looks == 0) ASSERT_TRUE(doc().SaveDatabase());
        if (progress.looks == 2) {
            const CTrackRecord* newest = doc().records().back().get();
            doc().store().removeWhere([newest](const CTrackRecord& r) { return &r == newest; });
        }
    };
    const std::vector<std::string> lines = split(exported(PlayFormat::scrobblerLog), '\n');
    // The first thousand were written; of the rest, what the trim and the removal left.
    ASSERT_EQ(lines.size(), 1000u + 4999 + 3 + 1);
    EXPECT_NE(lines[3].find("\tT0\t"), std::string::npos);
    EXPECT_NE(lines[1003].find("\tT3000\t"), std::string::npos);
    EXPECT_NE(lines[lines.size() - 2].find("\tT7998\t"), std::string::npos);
}

TEST_F(Exchange, ExportNeitherReplacesTheDatabaseNorTouchesTheUsersFilesBesideTheTarget) {
    add(1000, "A", "T");
    fs.put("C:\\out\\db.dat", "the database");
    for (const char* database : {"C:\\out\\db.dat", "c:\\OUT\\DB.dat"}) {
        SCOPED_TRACE(database);
        messages.shown.clear();
        EXPECT_EQ(exportPlays(doc(), database, PlayFormat::csv), ExportStatus::failed);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].key, "ExportOntoDatabase");
        EXPECT_EQ(*fs.get("C:\\out\\db.dat"), "the database");
    }
    // Files of the user's under the names a new file beside the target could take stay as they are.
    const std::vector<std::string> beside = {kOut + ".tmp", kOut + ".ptly-export.tmp", kOut + ".ptly-export-1.tmp"};
    for (const std::string& name : beside) fs.put(name, "the user's " + name);
    exported(PlayFormat::csv);
    for (const std::string& name : beside) EXPECT_EQ(*fs.get(name), "the user's " + name);
    EXPECT_EQ(fs.get(kOut + ".ptly-export-2.tmp"), nullptr);
}

TEST_F(Exchange, ExportLeavesNoFileUnlessComplete) {
    for (int i = 0; i < 6000; ++i) add(1000 + i, "A", "T" + std::to_string(i));
    fs.put(kOut, "the user's old file");

    progress.cancelAt = 3;  // a look every thousand plays
    EXPECT_EQ(exportPlays(doc(), kOut, PlayFormat::csv), ExportStatus::cancelled);
    EXPECT_EQ(progress.shown, 1);
    EXPECT_EQ(*fs.get(kOut), "the user's old file");
    EXPECT_EQ(fs.get(kOut + ".ptly-export.tmp"), nullptr);

    // The folder is gone: the message gives the system's reason, no file appears.
    messages.shown.clear();
    EXPECT_EQ(exportPlays(doc(), "C:\\gone\\plays.json", PlayFormat::listenBrainz), ExportStatus::failed);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].key, "ErrorExportingPlays");
    EXPECT_NE(messages.shown[0].text.find("No such folder"), std::string::npos);

    // Replacing a read-only file fails after the whole new file was written: it is removed.
    fs.readOnly.insert(kOut);
    EXPECT_EQ(exportPlays(doc(), kOut, PlayFormat::scrobblerLog), ExportStatus::failed);
    EXPECT_EQ(*fs.get(kOut), "the user's old file");
    EXPECT_EQ(fs.get(kOut + ".ptly-export.tmp"), nullptr);

    fs.readOnly.clear();
    progress.cancelAt = 0;
    EXPECT_EQ(exportPlays(doc(), kOut, PlayFormat::scrobblerLog), ExportStatus::written);
    EXPECT_EQ(split(*fs.get(kOut), '\n').size(), 6000u + 3 + 1);
}

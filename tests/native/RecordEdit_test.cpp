// The record commands on a small database: which records each touches for each answer, which
// question it asks, and that what the user confirms acts on the records chosen when the command
// began, although timers stored and trimmed while the question or dialog was open.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/AnsiText.h"
#include "database/Doc.h"
#include "core/MemoryFileSystem.h"
#include "core/RecordDialogs.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/ProgramRunner.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

// Every fake the commands reach, answering as scripted and recording what they were asked.
struct RecordEditTest : ::testing::Test, IViewHooks, IMessages, IRecordDialogs, IProgramRunner {
    bool exists = true, logMode = false;
    int refreshes = 0;
    std::function<void()> onRefresh, whileAsking, whileDialog;
    bool answer = true;
    std::vector<std::string> asked;
    std::vector<std::optional<std::string>> pathAnswers;  // in order; none left (or nullopt): Cancel
    std::u16string wideAnswer;  // what each confirmed path sets as its wide form
    std::vector<std::string> missingShown;
    std::optional<CId3v1Tag> tagAnswer;                   // none: Cancel
    std::vector<std::string> runs;

    bool playtallyWindowExists() const override { return exists; }
    bool playtallyWindowVisible() const override { return exists; }
    bool settingsSheetOpen() const override { return false; }
    void refreshPlaytallyWindow() override {
        ++refreshes;
        if (onRefresh) onRefresh();
    }
    void destroyPlaytallyWindow() override { exists = false; }
    bool playtallyWindowInLogMode() const override { return logMode; }

    void showMessage(const std::string& text, const std::string&) override { asked.push_back("notice " + text); }
    bool askYesNo(const std::string& text, const std::string& key) override {
        EXPECT_EQ(key, "") << "a question about records must never be silenced";
        asked.push_back(text);
        if (whileAsking) whileAsking();
        return answer;
    }

    // The missing name is noted whole (in UTF-8); an answer sets `wideAnswer` with it as the real
    // dialog does for a name the code page cannot hold.
    bool editPath(std::string& path, std::u16string& widePath, const std::string& missingPath,
                  const std::u16string& missingWide) override {
        missingShown.push_back(missingWide.empty() ? missingPath : utf16ToUtf8(missingWide));
        if (whileDialog) whileDialog();
        if (pathAnswers.size() < missingShown.size() || !pathAnswers[missingShown.size() - 1]) return false;
        path = *pathAnswers[missingShown.size() - 1];
        widePath = wideAnswer;
        return true;
    }
    bool editTexts(TrackTexts& texts) override {
        if (whileDialog) whileDialog();
        if (!tagAnswer) return false;
        texts = textsOfBody(*tagAnswer);
        return true;
    }
    void runProgram(const std::string& commandLine, unsigned flags) override {
        runs.push_back(commandLine + " flags " + std::to_string(flags));
    }
    void runProgram(const std::string& before, const std::u16string& wide, const std::string& after,
                    unsigned flags) override {
        runs.push_back(before + "[wide " + utf16ToUtf8(wide) + "]" + after + " flags " + std::to_string(flags));
    }

    void SetUp() override { reset(); }
    // The five plays below, a window in Playtally mode, nothing asked yet, no grouping flags in
    // the current settings copy (every play one group until the settings are reloaded).
    void reset() {
        doc.store().replaceAll({});
        context.current = GeneralSettings{};
        asked.clear();
        missingShown.clear();
        wideAnswer.clear();
        exists = true;
        logMode = false;
        context.views = this;
        context.dialogs = this;
        context.runner = this;
        context.userName = "guest";
        context.pluginFolder = "C:\\Winamp\\Plugins";
        context.signature = {"Dozoderi Playtally WinAmp Plug-in", 0x00010002, 0};
        files.folders.insert("C:\\Winamp\\Plugins");
        profile.writeString(sectionGeneral(), "GroupPlaytallyBy", "0,0,0,0,0,1,1,0,0,0,0,");  // artist, title
        profile.writeString(sectionGeneral(), "DBPath", "C:\\Winamp\\Plugins\\db.dat");
        // The last play of "x" has another length: a member of the group but no instance.
        add("x", "A", 200, 100, 150, "a1");
        add("y", "B", 180, 200, 170, "b");
        add("x", "A", 200, 300, 190, "a2");
        add("z", "C", 240, 400, 240, "c");
        add("x", "a", 210, 500, 100, "a3");
    }
    void add(const std::string& title, const std::string& artist, int length, TimeValue date, int played,
             const std::string& path) {
        auto record = std::make_unique<CTrackRecord>(path, length, date, played);
        record->tag = CId3v1Tag(artist, "", title, "", "", 255);
        doc.store().append(std::move(record));
    }
    // Title, date, path and time listened of every record, in order.
    std::string state() const {
        std::string out;
        for (const auto& r : doc.records())
            out += (out.empty() ? "" : " ") + std::string(r->tag.title()) + "@" + std::to_string(r->date) + ":" +
                   r->path.str() + "/" + std::to_string(r->played);
        return out;
    }
    // A save that keeps the newest `size` plays.
    void saveKeeping(int size) {
        profile.writeInt(sectionGeneral(), "NoLarger", 1);
        profile.writeInt(sectionGeneral(), "DBSize", size);
        doc.SaveDatabase();
    }

    MemoryProfile profile;
    MemoryFileSystem files;
    SystemClock systemClock;
    AppContext context{profile, *this, systemClock, files};
    CDoc doc{context};
};

const char* const kStart = "x@100:a1/150 y@200:b/170 x@300:a2/190 z@400:c/240 x@500:a3/100";

enum class Op { remove, path, tag };
enum class Dialog { confirm, cancel, windowGone };

struct EditCase {
    const char* name;
    bool logMode;
    Op op;
    int index;
    Dialog dialog;
    bool answer;
    int question;  // string id, 0 for none
    bool result;
    const char* after;
};

const EditCase kEditCases[] = {
    {"RemoveLoneAsksNothing", false, Op::remove, 1, Dialog::confirm, false, 0, true,
     "x@100:a1/150 x@300:a2/190 z@400:c/240 x@500:a3/100"},
    {"RemoveGroupYes", false, Op::remove, 2, Dialog::confirm, true, 35, true, "y@200:b/170 z@400:c/240"},
    {"RemoveGroupNo", false, Op::remove, 2, Dialog::confirm, false, 35, false, kStart},
    {"RemoveInLogModeOnlyThePlay", true, Op::remove, 2, Dialog::confirm, true, 0, true,
     "x@100:a1/150 y@200:b/170 z@400:c/240 x@500:a3/100"},
    {"RemoveOutsideRecords", false, Op::remove, 5, Dialog::confirm, true, 0, false, kStart},
    {"RemoveWithoutWindow", false, Op::remove, 1, Dialog::windowGone, true, 0, false, kStart},
    {"PathLone", false, Op::path, 3, Dialog::confirm, false, 0, true,
     "x@100:a1/150 y@200:b/170 x@300:a2/190 z@400:new/240 x@500:a3/100"},
    {"PathGroupYes", false, Op::path, 0, Dialog::confirm, true, 44, true,
     "x@100:new/150 y@200:b/170 x@300:new/190 z@400:c/240 x@500:new/100"},
    {"PathGroupNo", false, Op::path, 0, Dialog::confirm, false, 44, false, kStart},
    {"PathInstancesYes", true, Op::path, 0, Dialog::confirm, true, 48, true,
     "x@100:new/150 y@200:b/170 x@300:new/190 z@400:c/240 x@500:a3/100"},
    {"PathInstancesNo", true, Op::path, 0, Dialog::confirm, false, 48, true,
     "x@100:new/150 y@200:b/170 x@300:a2/190 z@400:c/240 x@500:a3/100"},
    {"PathCancelled", false, Op::path, 0, Dialog::cancel, true, 0, false, kStart},
    {"PathWindowClosedMeanwhile", false, Op::path, 0, Dialog::windowGone, true, 0, false, kStart},
    // Each play keeps its own date, path and time listened.
    {"TagGroupYes", false, Op::tag, 2, Dialog::confirm, true, 39, true,
     "w@100:a1/150 y@200:b/170 w@300:a2/190 z@400:c/240 w@500:a3/100"},
    {"TagGroupNo", false, Op::tag, 2, Dialog::confirm, false, 39, false, kStart},
    {"TagInstancesYes", true, Op::tag, 2, Dialog::confirm, true, 45, true,
     "w@100:a1/150 y@200:b/170 w@300:a2/190 z@400:c/240 x@500:a3/100"},
    {"TagInstancesNo", true, Op::tag, 2, Dialog::confirm, false, 45, true,
     "x@100:a1/150 y@200:b/170 w@300:a2/190 z@400:c/240 x@500:a3/100"},
    {"TagCancelled", false, Op::tag, 2, Dialog::cancel, true, 0, false, kStart},
    {"TagWindowClosedMeanwhile", true, Op::tag, 2, Dialog::windowGone, true, 0, false, kStart},
};

TEST_F(RecordEditTest, CommandsTouchTheRecordsAndAskTheQuestionOfEachCase) {
    for (const EditCase& c : kEditCases) {
        SCOPED_TRACE(c.name);
        reset();
        logMode = c.logMode;
        answer = c.answer;
        pathAnswers = {c.dialog == Dialog::cancel ? std::nullopt : std::optional<std::string>("new")};
        tagAnswer.reset();
        if (c.dialog != Dialog::cancel) tagAnswer = CId3v1Tag("A", "", "w", "", "", 255);
        whileDialog = [&] {
            if (c.dialog == Dialog::windowGone) exists = false;
        };
        if (c.op == Op::remove && c.dialog == Dialog::windowGone) exists = false;

        bool result = false;
        switch (c.op) {
        case Op::remove: result = doc.RemoveRecord(c.index); break;
        case Op::path: result = doc.ChangePath(c.index, ""); break;
        case Op::tag: result = doc.EditTag(c.index); break;
        }
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(state(), c.after);
        EXPECT_EQ(asked, c.question ? std::vector<std::string>{loadString(c.question)} : std::vector<std::string>{});
    }
}

TEST_F(RecordEditTest, TheTagEditorChangesOnlyTheStoredTag) {
    tagAnswer = CId3v1Tag("Other artist", "An album", "w", "1999", "note", 17);
    ASSERT_TRUE(doc.EditTag(1));
    const CTrackRecord& edited = *doc.records()[1];
    EXPECT_EQ(edited.tag.artist(), "Other artist");
    EXPECT_EQ(edited.tag.year(), "1999");
    EXPECT_EQ(edited.tag.genre(), 17);
    EXPECT_EQ(edited.tag.body(), tagAnswer->body());
    EXPECT_TRUE(files.files.empty()) << "no file is ever written by an edit";
}

struct PlayCase {
    const char* name;
    const char* recordPath;
    std::vector<std::optional<std::string>> answers;
    std::vector<std::string> missingShown;
    std::vector<std::string> runs;
    std::u16string wide = {};  // the record's name whole, when the code page cannot hold it
    std::u16string wideAnswer = {};  // the confirmed name whole, when the code page cannot hold it
};

TEST_F(RecordEditTest, PlayRunsWinampOnAFileThatOpensAndAsksUntilOneDoesOrTheUserCancels) {
    const std::string winamp = "\"C:\\Winamp\\WinAmp.exe\" ";
    const PlayCase cases[] = {
        {"FileThere", "C:\\m\\b.mp3", {}, {}, {winamp + "\"C:\\m\\b.mp3\" flags 0"}},
        {"MovedFileFound", "C:\\old\\b.mp3", {"C:\\m\\b.mp3"}, {"C:\\old\\b.mp3"}, {winamp + "\"C:\\m\\b.mp3\" flags 0"}},
        {"CancelEnds", "C:\\old\\b.mp3", {std::nullopt}, {"C:\\old\\b.mp3"}, {}},
        {"EmptyAndMissingAskAgain", "C:\\old\\b.mp3", {"", "C:\\nothing.mp3", std::nullopt},
         {"C:\\old\\b.mp3", "", "C:\\nothing.mp3"}, {}},
        {"FolderIsNoFile", "C:\\m", {"C:\\m\\b.mp3"}, {"C:\\m"}, {winamp + "\"C:\\m\\b.mp3\" flags 0"}},
        // A name the code page cannot hold: found and played by its wide name.
        {"WideName", "C:\\m\\?.mp3", {}, {}, {winamp + "\"[wide C:\\m\\\xD0\x96.mp3]\" flags 0"}, u"C:\\m\\\u0416.mp3"},
        // A path the user confirmed anew is the path from then on, ANSI as typed.
        {"WideNameMovedAway", "C:\\old\\?.mp3", {"C:\\m\\b.mp3"}, {"C:\\old\\\xD0\x96.mp3"},
         {winamp + "\"C:\\m\\b.mp3\" flags 0"}, u"C:\\old\\\u0416.mp3"},
        // A wide name corrected to another wide name: kept whole, and played by it.
        {"WideNameMovedToAWideName", "C:\\old\\?.mp3", {"C:\\m\\?.mp3"}, {"C:\\old\\\xD0\x96.mp3"},
         {winamp + "\"[wide C:\\m\\\xD0\x96.mp3]\" flags 0"}, u"C:\\old\\\u0416.mp3", u"C:\\m\\\u0416.mp3"},
    };
    files.put("C:\\m\\\xD0\x96.mp3", "ID3 and some sound");
    files.put("C:\\m\\b.mp3", "ID3 and some sound");
    files.folders.insert("C:\\m");
    const std::string bytes = *files.get("C:\\m\\b.mp3");
    for (const PlayCase& c : cases) {
        SCOPED_TRACE(c.name);
        doc.records()[1]->path = c.recordPath;
        doc.records()[1]->widePath = c.wide;
        pathAnswers = c.answers;
        wideAnswer = c.wideAnswer;
        missingShown.clear();
        runs.clear();
        doc.PlayRecord(1);
        EXPECT_EQ(missingShown, c.missingShown);
        EXPECT_EQ(runs, c.runs);
        EXPECT_TRUE(asked.empty());
    }
    EXPECT_EQ(*files.get("C:\\m\\b.mp3"), bytes);
}

// The list as the window keeps it: each row's record index and the title and date it shows.
struct ShownRow {
    int index;
    std::string shows;
};

TEST_F(RecordEditTest, ACommandAfterATrimmingSaveActsOnTheRecordItsRowShows) {
    logMode = true;
    std::vector<ShownRow> list;
    auto fill = [&] {
        BuildListParams p;
        p.till = INT_MAX;
        p.logMode = true;
        list.clear();
        for (const auto& row : doc.BuildList(p))
            list.push_back({row->recordIndex, row->cells[FieldTitle] + "@" + std::to_string(doc.records()[row->recordIndex]->date)});
    };
    auto rowShowing = [&](const std::string& shows) {
        for (const ShownRow& row : list)
            if (row.shows == shows) return row.index;
        ADD_FAILURE() << "no row shows " << shows;
        return -1;
    };
    onRefresh = fill;
    fill();
    saveKeeping(3);  // the two oldest plays leave the front of the records
    ASSERT_EQ(state(), "x@300:a2/190 z@400:c/240 x@500:a3/100");

    ASSERT_TRUE(doc.RemoveRecord(rowShowing("z@400")));
    EXPECT_EQ(state(), "x@300:a2/190 x@500:a3/100");
    fill();  // the window refills after a removal
    tagAnswer = CId3v1Tag("A", "", "w", "", "", 255);
    ASSERT_TRUE(doc.EditTag(rowShowing("x@500")));
    EXPECT_EQ(state(), "x@300:a2/190 w@500:a3/100");
    EXPECT_TRUE(asked.empty()) << "the two plays of x differ in length: no instances";
}

TEST_F(RecordEditTest, AStoredPlayAndATrimmingSaveWhileTheQuestionIsOpenChangeNothingOfTheAnswer) {
    // The user confirms deleting the three plays of "x"; meanwhile a new play of "x" is stored and
    // a save trims the two oldest plays (one of them of "x").
    whileAsking = [&] {
        add("x", "A", 200, 600, 200, "a4");
        saveKeeping(4);
    };
    ASSERT_TRUE(doc.RemoveRecord(2));
    EXPECT_EQ(state(), "z@400:c/240 x@600:a4/200");
}

TEST_F(RecordEditTest, AStoredPlayAndATrimmingSaveWhileThePathDialogIsOpenChangeOnlyTheChosenGroup) {
    whileDialog = [&] {
        add("x", "A", 200, 600, 200, "a4");
        saveKeeping(4);
    };
    pathAnswers = {"new"};
    ASSERT_TRUE(doc.ChangePath(4, ""));
    EXPECT_EQ(state(), "x@300:new/190 z@400:c/240 x@500:new/100 x@600:a4/200");
    EXPECT_EQ(asked, std::vector<std::string>{loadString(IDS_ASK_PATH_GROUP)});
}

// Rows name their records by position and show their texts: every change that moves records or
// rewrites what rows show moves the records' generation, and nothing else does.
TEST_F(RecordEditTest, TheRecordsGenerationMovesExactlyWithTheChangesThatInvalidateRows) {
    const std::string db = "C:\\Winamp\\Plugins\\db.dat";
    struct Case {
        const char* name;
        std::function<void()> prepare, change;
        bool moves;
    } cases[] = {
        {"a removal", nullptr, [&] { doc.RemoveRecord(1); }, true},
        {"a tag edit", [&] { tagAnswer = CId3v1Tag("B", "", "w", "", "", 255); }, [&] { doc.EditTag(1); }, true},
        {"a path corrected", [&] { pathAnswers = {"new"}; }, [&] { doc.ChangePath(1, ""); }, false},
        {"a save that trims", nullptr, [&] { saveKeeping(3); }, true},
        {"a save that keeps every play", nullptr, [&] { saveKeeping(5); }, false},
        {"a load", [&] { saveKeeping(5); }, [&] { doc.LoadDatabase(); }, true},
        {"a merge that adds plays", [&] { saveKeeping(5); doc.store().keepNewest(4); }, [&] { doc.MergeFrom(db); }, true},
        {"a merge that adds nothing", [&] { saveKeeping(5); }, [&] { doc.MergeFrom(db); }, false},
        {"a build", nullptr, [&] { doc.BuildList(BuildListParams{}); }, false},
    };
    for (const Case& c : cases) {
        reset();
        if (c.prepare) c.prepare();
        const std::uint32_t before = doc.recordsGeneration();
        c.change();
        EXPECT_EQ(doc.recordsGeneration() != before, c.moves) << c.name;
    }
}

// Shift-JIS (code page 932): lead bytes 0x81..0x9F and 0xE0..0xFC.
bool shiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

TEST(TagBodyCut, LongTextsAreCutAtTheirPlaceNeverInsideADoubleByteCharacter) {
    const std::string ascii29(29, 'a');
    struct Case {
        std::string text;
        std::size_t fits;
    } cases[] = {
        {"abc", 3},
        {std::string(40, 'a'), 30},
        {ascii29 + "\x82\xA0" + "b", 29},    // the pair would straddle the end of the place
        {ascii29.substr(1) + "\x82\xA0", 30},  // the pair ends exactly at the end
        {"ab\x82", 3},                         // a lone lead byte at the very end is one byte
    };
    for (const Case& c : cases) EXPECT_EQ(ansiFitLength(c.text, 30, &shiftJisLead), c.fits) << c.text;

    const CId3v1Tag tag("", "", std::string(40, 't'), "19999", "", 255);
    EXPECT_EQ(tag.title(), std::string(30, 't'));
    EXPECT_EQ(tag.year(), "1999");
    EXPECT_EQ(tag.body()[30], 0) << "the artist's place follows the cut title";
}

}  // namespace

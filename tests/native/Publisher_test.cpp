// The report generator with the real document and list builder, writing real files into a
// temporary folder; expected files are written out by hand, with their CR LF line breaks.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "plugin/Publisher.h"
#include "tests/native/ReportFakes.h"
#include "tests/native/TempDir.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& path) { return std::ifstream(path).good(); }

class Publishing : public ::testing::Test {
protected:
    Publishing() {
        context.progress = &progress;
        context.runner = &runner;
        context.views = &views;
        context.pluginFolder = dir.path();
        context.userName = "guest";
        set("OpenPublishedFile", 0);
        set("PublishFile", "report.html");
    }

    void set(const char* key, int value) { profile.writeInt(sectionPublish(), key, value); }
    void set(const char* key, const std::string& value) { profile.writeString(sectionPublish(), key, value); }

    // Plays are appended oldest first, as the database keeps them.
    void addPlay(const std::string& artist, const std::string& title, const std::string& album, TimeValue date) {
        auto record = std::make_unique<CTrackRecord>("C:\\mp3\\" + title + ".mp3", 200, date, 180);
        record->tag = CId3v1Tag(artist, album, title, "2001", "", 17);
        doc.store().append(std::move(record));
    }

    // A small report: Log mode, one-line templates.
    void useSmallTemplates(const std::string& item) {
        set("Log", 1);
        set("Header", "H");
        set("Item", item);
        set("Footer", "F");
    }

    void publish() { publishReport(context, doc, shell); }
    std::string report() const { return readFile(dir.file("report.html")); }

    TempDir dir;
    MemoryProfile profile;
    ReportClock clock;
    RecordingMessages messages;
    RecordingRunner runner;
    RecordingShell shell;
    ReportViews views;
    LoggingProgressFactory progress;
    AppContext context{profile, messages, clock, systemFileSystem()};
    CDoc doc{context};
};

TEST_F(Publishing, DefaultTemplatesWithoutRowsGiveHeaderLineBreakAndFooter) {
    publish();
    std::string expected = readFile(std::string(PTLY_SOURCE_DIR) + "/tests/native/data/report/default-no-rows.html");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(report(), expected);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Publishing, RowsThroughTheItemTemplate) {
    useSmallTemplates("#num. #artist - #title [#album] #len #played #year #genre #hits#comment|");
    addPlay("Old", "Gone", "X", clock.t - 40 * 86400);  // before the default month
    addPlay("Band", "Song", "Disc", clock.t - 7200);
    addPlay("Other", "Tune", "LP", clock.t - 60);
    publish();
    EXPECT_EQ(report(),
              "H\r\n"
              "1. Other - Tune [LP] 00:03:20 00:03:00 2001 Rock |\r\n"
              "2. Band - Song [Disc] 00:03:20 00:03:00 2001 Rock |\r\n"
              "F");
}

TEST_F(Publishing, PlaytallyModeRowsAreRankedGroups) {
    set("Header", "H");
    set("Item", "#num #hits #artist/#title #played");
    set("Footer", "F");
    addPlay("A", "Once", "X", clock.t - 300);
    addPlay("B", "Twice", "Y", clock.t - 200);
    addPlay("B", "Twice", "Y", clock.t - 100);
    publish();
    EXPECT_EQ(report(), "H\r\n1 2 B/Twice 00:06:00\r\n2 1 A/Once 00:03:00\r\nF");
}

TEST_F(Publishing, RepeatedTagsAndHeaderOnlyTags) {
    set("Log", 1);
    set("Header", "#sdate|#edate|#num|#sdate");
    set("Item", "#title+#title #sdate #edate #date");
    set("Footer", "#edate #title");
    set("PublishLast", 1);
    profile.writeString(sectionGeneral(), "DateFormat", "%Y-%m-%d %H:%M:%S");
    addPlay("Band", "Song", "Disc", clock.t - 60);
    publish();
    EXPECT_EQ(report(),
              "2024-03-04 14:30:00|2024-03-05 14:30:00|#num|2024-03-04 14:30:00\r\n"
              "Song+Song #sdate #edate 2024-03-05 14:29:00\r\n"
              "2024-03-05 14:30:00 #title");
}

TEST_F(Publishing, TemplateLineBreaksBecomeCrLf) {
    set("Log", 1);
    set("Header", "a\nb\n");
    set("Item", "<tr>\n#title\n</tr>");
    set("Footer", "\nend\n");
    addPlay("Band", "Song", "Disc", clock.t - 60);
    publish();
    EXPECT_EQ(report(), "a\r\nb\r\n\r\n<tr>\r\nSong\r\n</tr>\r\n\r\nend\r\n");
}

TEST_F(Publishing, MarkupInValuesIsEscapedInWebPagesOnly) {
    useSmallTemplates("<td>#artist</td><td>#title</td>");
    set("Header", "<p>#sdate</p>");
    set("Footer", "<p>#edate</p>");
    profile.writeString(sectionGeneral(), "DateFormat", "<%Y>&\"");
    addPlay("<b>A&B</b>", "\"Q\"<script>", "x", clock.t - 60);

    for (const char* name : {"report.html", "REPORT.HTM", "Report.Html"}) {
        set("PublishFile", name);
        publish();
        EXPECT_EQ(readFile(dir.file(name)),
                  "<p>&lt;2024&gt;&amp;&quot;</p>\r\n"
                  "<td>&lt;b&gt;A&amp;B&lt;/b&gt;</td><td>&quot;Q&quot;&lt;script&gt;</td>\r\n"
                  "<p>&lt;2024&gt;&amp;&quot;</p>")
            << name;
    }
    set("PublishFile", "report.txt");
    publish();
    EXPECT_EQ(readFile(dir.file("report.txt")),
              "<p><2024>&\"</p>\r\n"
              "<td><b>A&B</b></td><td>\"Q\"<script></td>\r\n"
              "<p><2024>&\"</p>");
}

TEST_F(Publishing, AValueHoldingALaterTagGetsThatTagReplaced) {
    useSmallTemplates("#artist / #title / #num");
    addPlay("The #title #num Band", "Song", "Disc", clock.t - 60);
    publish();
    // "#title" comes after "#artist" and is replaced in the artist's text too; "#num" comes before.
    EXPECT_EQ(report(), "H\r\nThe Song #num Band / Song / 1\r\nF");
}

TEST_F(Publishing, ItemWithoutTagsAndTagsAtTheEdges) {
    useSmallTemplates("plain");
    addPlay("A", "B", "C", clock.t - 60);
    addPlay("D", "E", "F", clock.t - 30);
    publish();
    EXPECT_EQ(report(), "H\r\nplain\r\nplain\r\nF");

    set("Item", "#title");
    set("Header", "#edate");
    set("Footer", "#sdate");
    set("PublishLast", 0);
    publish();
    EXPECT_EQ(report(), "03/05/24 14:30\r\nE\r\nB\r\n01/01/90 01:01");
}

TEST_F(Publishing, TopCountLimitsTheRows) {
    useSmallTemplates("#title");
    for (int i = 0; i < 5; ++i) addPlay("A", "T" + std::to_string(i), "C", clock.t - 100 + i);
    set("IsTop", 1);
    set("TopCount", 2);
    publish();
    EXPECT_EQ(report(), "H\r\nT4\r\nT3\r\nF");
    set("TopCount", 0);
    publish();
    EXPECT_EQ(report(), "H\r\nF");
    set("TopCount", -3);
    publish();
    EXPECT_EQ(report(), "H\r\nF");
}

TEST_F(Publishing, EmptyPublishFileDoesNothingAtAll) {
    set("PublishFile", "");
    set("RunBefore", "before.exe");
    set("RunAfter", "after.exe");
    set("OpenPublishedFile", 1);
    publish();
    EXPECT_TRUE(runner.runs.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(Publishing, AFileThatCannotBeOpenedIsReportedAndEndsThePublication) {
    set("PublishFile", dir.file("no such folder/report.html"));
    set("RunBefore", "before.exe");
    set("RunAfter", "after.exe");
    set("OpenPublishedFile", 1);
    publish();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].key, "ErrorOpeningPublishFile");
    EXPECT_EQ(messages.shown[0].text, "Can't open publish file for writing.\n\nReason:\nNo such file or directory");
    ASSERT_EQ(runner.runs.size(), 1u) << "the before-program runs, the after-program not";
    EXPECT_EQ(runner.runs[0].commandLine, dir.file("before.exe"));
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(Publishing, ProgramsRunBeforeAndAfterWithTheirFlags) {
    useSmallTemplates("#title");
    addPlay("A", "Song", "C", clock.t - 60);
    set("RunBefore", "before.exe --fast");  // a bare name runs from the plug-in folder
    set("RunAfter", "/usr/bin/after");
    set("OpenPublishedFile", 1);
    std::vector<std::string> seen;
    runner.onRun = [&](const std::string& command) {
        seen.push_back(command + (fileExists(dir.file("report.html")) ? " with " + report() : " without report"));
    };
    shell.opened.clear();

    struct Case {
        int winStates;
        unsigned before, after;
    };
    const Case cases[] = {
        {0x0, 0, 0},
        {0x1, 0, RunHide},
        {0x2, 0, RunWait},
        {0x4, RunHide, 0},
        {0x8, RunWait, 0},
        {0xF, RunHide | RunWait, RunHide | RunWait},
        {0x1F0, 0, 0},  // only the low four bits mean something
    };
    for (const Case& c : cases) {
        std::filesystem::remove(dir.file("report.html"));
        runner.runs.clear();
        seen.clear();
        set("WinStates", c.winStates);
        publish();
        ASSERT_EQ(runner.runs.size(), 2u);
        EXPECT_EQ(runner.runs[0].flags, c.before) << c.winStates;
        EXPECT_EQ(runner.runs[1].flags, c.after) << c.winStates;
    }
    EXPECT_EQ(seen[0], dir.file("before.exe --fast") + " without report");
    EXPECT_EQ(seen[1], "/usr/bin/after with H\r\nSong\r\nF");
    EXPECT_EQ(shell.opened.back(), dir.file("report.html")) << "a bare report name is in the plug-in folder";
}

TEST_F(Publishing, ProgressWindowOnlyWithAWindowOnScreenAndSeveralRows) {
    useSmallTemplates("#num");
    addPlay("A", "1", "C", clock.t - 60);
    publish();
    views.windowVisible = true;
    publish();
    EXPECT_EQ(progress.log.created, 0) << "one row needs no progress window";

    addPlay("A", "2", "C", clock.t - 50);
    addPlay("A", "3", "C", clock.t - 40);
    views.windowVisible = false;
    publish();
    EXPECT_EQ(progress.log.created, 0) << "nothing of the plug-in on screen";

    views.sheetOpen = true;
    publish();
    EXPECT_EQ(progress.log.created, 1);
    EXPECT_EQ(progress.log.destroyed, 1);
    EXPECT_EQ(progress.log.calls,
              (std::vector<std::string>{"Show Generating Playtally Report... 0..2", "SetPos 0", "SetPos 1", "SetPos 2"}));
    EXPECT_EQ(report(), "H\r\n1\r\n2\r\n3\r\nF");
}

TEST_F(Publishing, CancellingKeepsTheRowsSoFarAndSkipsTheRest) {
    useSmallTemplates("#num");
    for (int i = 0; i < 4; ++i) addPlay("A", std::to_string(i), "C", clock.t - 60 + i);
    set("RunAfter", "after.exe");
    set("OpenPublishedFile", 1);
    views.windowVisible = true;
    progress.log.cancelAtCheck = 3;
    publish();
    EXPECT_EQ(report(), "H\r\n1\r\n2\r\n") << "no footer";
    EXPECT_EQ(progress.log.destroyed, 1);
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(runner.runs.empty());
}

TEST_F(Publishing, PeriodStart) {
    useSmallTemplates("#title");
    addPlay("A", "year-old", "C", clock.t - 357 * 86400);
    addPlay("A", "month-old", "C", clock.t - 32 * 86400);
    addPlay("A", "week-old", "C", clock.t - 8 * 86400);
    addPlay("A", "day-old", "C", clock.t - 2 * 86400);
    addPlay("A", "new", "C", clock.t - 60);
    const char* expected[] = {
        "H\r\nnew\r\nday-old\r\nweek-old\r\nmonth-old\r\nyear-old\r\nF",
        "H\r\nnew\r\nF",
        "H\r\nnew\r\nday-old\r\nF",
        "H\r\nnew\r\nday-old\r\nweek-old\r\nF",
        "H\r\nnew\r\nday-old\r\nweek-old\r\nmonth-old\r\nF",
    };
    for (int last = 0; last < 5; ++last) {
        set("PublishLast", last);
        publish();
        EXPECT_EQ(report(), expected[last]) << "PublishLast " << last;
    }
}

TEST(ReportFile, WebPageNames) {
    struct Case {
        const char* name;
        bool html;
    };
    const Case cases[] = {
        {"a.html", true}, {"A.HTM", true},   {"dir.txt\\x.HtMl", true}, {".htm", true},
        {"a.txt", false}, {"a.xhtml", false}, {"a.html.txt", false},   {"htm", false}, {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isHtmlReportFile(c.name), c.html) << c.name;
}

}  // namespace

// The statistics page beside the report: written with it, left out by its switch, never over the
// report, and without the plays the rules keep out.
TEST_F(Publishing, StatisticsPageBesideTheReport) {
    useSmallTemplates("#artist");
    addPlay("Kept", "Song", "C", clock.t - 60);
    addPlay("Narrator", "Chapter", "Book", clock.t - 30);
    profile.writeString(sectionGeneral(), "KeepOutOfRankings", "artist\tnarrator\n");
    struct Case {
        int on;
        const char* file;
        bool written;
    };
    const Case cases[] = {{1, "stats.html", true}, {0, "stats.html", false}, {1, "report.html", false}, {1, "", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::remove(dir.file("stats.html"));
        set("StatisticsPage", c.on);
        set("StatisticsFile", c.file);
        publish();
        EXPECT_EQ(fileExists(dir.file("stats.html")), c.written);
        EXPECT_EQ(report(), "H\r\nKept\r\nF");  // the report leaves kept-out plays out in Log mode too
    }
    set("StatisticsFile", "stats.html");
    publish();
    const std::string page = readFile(dir.file("stats.html"));
    EXPECT_NE(page.find(">Kept<"), std::string::npos);
    EXPECT_EQ(page.find("Narrator"), std::string::npos);
    EXPECT_FALSE(fileExists(dir.file("stats.html.new")));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Publishing, AStatisticsFileThatCannotBeWrittenIsReported) {
    useSmallTemplates("#artist");
    set("StatisticsFile", dir.file("no such folder/stats.html"));
    publish();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].key, "ErrorOpeningStatisticsFile");
    EXPECT_EQ(report(), "H\r\nF");
}

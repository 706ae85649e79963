// Publishing with the Windows build: the report file as Windows writes it, the before- and
// after-programs started for real (a probe program records how), the thread timer, and a fresh
// user's first automatic publication.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "report/AutoPublish.h"
#include "plugin/Publisher.h"
#include "report/win/ProgramRunner.h"
#include "report/win/ShellOpen.h"
#include "report/win/ThreadTimer.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string folderOfThisProgram() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// A fresh folder under the temporary folder, removed afterwards.
class WinTempDir {
public:
    WinTempDir() {
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        for (unsigned n = GetTickCount();; ++n) {
            path_ = std::string(base) + "ptly-report-" + std::to_string(n);
            if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        }
    }
    ~WinTempDir() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct RecordingMessages : IMessages {
    std::vector<std::pair<std::string, std::string>> shown;
    void showMessage(const std::string& text, const std::string& key) override { shown.emplace_back(text, key); }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

struct FixedClock : IClock {
    TimeValue t = 1709649000;
    TimeValue now() override { return t; }
};

// Waits (pumping nothing) until the file holds `text`, up to 20 seconds.
bool waitForText(const std::string& path, const std::string& text) {
    for (int waited = 0; waited < 20000; waited += 20) {
        if (readFile(path).find(text) != std::string::npos) return true;
        Sleep(20);
    }
    return false;
}

class WinPublishing : public ::testing::Test {
protected:
    WinPublishing() : runner(messages) {
        context.runner = &runner;
        context.pluginFolder = dir.path();
        profile.writeInt(sectionPublish(), "OpenPublishedFile", 0);
        profile.writeInt(sectionPublish(), "Log", 1);
        profile.writeString(sectionPublish(), "PublishFile", "report.html");
        auto record = std::make_unique<CTrackRecord>("C:\\mp3\\song.mp3", 200, clock.t - 60, 180);
        record->tag = CId3v1Tag("Band", "Disc", "Song", "2001", "", 17);
        doc.store().append(std::move(record));
    }

    std::string probeCommand(const std::string& record, const std::string& options) const {
        return quoted(probe) + " " + quoted(record) + (options.empty() ? "" : " " + options);
    }

    const std::string probe = folderOfThisProgram() + "\\report_probe.exe";
    WinTempDir dir;
    MemoryProfile profile;
    FixedClock clock;
    RecordingMessages messages;
    CProgramRunner runner;
    CShellOpen shell;
    AppContext context{profile, messages, clock, systemFileSystem()};
    CDoc doc{context};
};

TEST_F(WinPublishing, ReportHasCrLfLineBreaks) {
    profile.writeString(sectionPublish(), "Header", "<html>\n<body>");
    profile.writeString(sectionPublish(), "Item", "<p>#artist\n#title</p>");
    profile.writeString(sectionPublish(), "Footer", "</body>\n</html>\n");
    publishReport(context, doc, shell);
    EXPECT_EQ(readFile(dir.file("report.html")), "<html>\r\n<body>\r\n<p>Band\r\nSong</p>\r\n</body>\r\n</html>\r\n");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WinPublishing, DefaultTemplatesInTheWindowsBuild) {
    publishReport(context, doc, shell);
    std::string report = readFile(dir.file("report.html"));
    EXPECT_EQ(report.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\r\n<html>\r\n", 0), 0u);
    EXPECT_NE(report.find("\t\t\t\t<tbody>\r\n<TR><TD>1</TD><TD>Band</TD><TD>Song</TD><TD>Disc</TD></TR>\r\n\t\t\t</table>"),
              std::string::npos);
    EXPECT_EQ(report.find("\r\r"), std::string::npos);
    EXPECT_EQ(report.find('\n'), report.find("\r\n") + 1) << "no bare line feed";
}

TEST_F(WinPublishing, BeforeAndAfterProgramsRunWithHideAndWaitAsSet) {
    ASSERT_TRUE(exists(probe)) << probe;
    const std::string beforeRecord = dir.file("before.txt");
    const std::string afterRecord = dir.file("after.txt");
    const std::string report = dir.file("report.html");
    profile.writeString(sectionPublish(), "RunBefore", probeCommand(beforeRecord, "check=" + quoted(report) + " sleep=300"));
    profile.writeString(sectionPublish(), "RunAfter", probeCommand(afterRecord, "check=" + quoted(report) + " sleep=300"));
    // Before: hide (bit 2) and wait (bit 3). After: wait (bit 1), shown.
    profile.writeInt(sectionPublish(), "WinStates", 0xE);
    publishReport(context, doc, shell);

    std::string before = readFile(beforeRecord);
    EXPECT_NE(before.find("flags=1 show=0"), std::string::npos) << before;  // STARTF_USESHOWWINDOW, SW_HIDE
    EXPECT_NE(before.find("exists=0"), std::string::npos) << "runs before the report is written: " << before;
    EXPECT_NE(before.find("done"), std::string::npos) << "waited for: " << before;
    std::string after = readFile(afterRecord);
    EXPECT_NE(after.find("flags=0 "), std::string::npos) << after;
    EXPECT_NE(after.find("exists=1"), std::string::npos) << after;
    EXPECT_NE(after.find("done"), std::string::npos) << "waited for: " << after;
    EXPECT_NE(after.find("cmd=" + quoted(probe)), std::string::npos) << "the command line as given: " << after;
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(WinPublishing, ProgramsNotWaitedForRunOnTheirOwn) {
    const std::string record = dir.file("probe.txt");
    const std::string go = dir.file("go");
    runner.runProgram(probeCommand(record, "go=" + quoted(go)), RunHide);
    // Had the runner waited, the probe would still be waiting for "go" (and then time out).
    EXPECT_EQ(readFile(record).find("done"), std::string::npos);
    std::ofstream(go).put('x');
    ASSERT_TRUE(waitForText(record, "done"));
    std::string text = readFile(record);
    EXPECT_NE(text.find("flags=1 show=0"), std::string::npos) << text;
    EXPECT_NE(text.find("go\ndone"), std::string::npos) << text;
}

TEST_F(WinPublishing, AMissingProgramIsReportedByItsTextAndPublishingGoesOn) {
    const std::string missing = dir.file("no such program.exe");
    const std::string afterRecord = dir.file("after.txt");
    profile.writeString(sectionPublish(), "RunBefore", quoted(missing));
    profile.writeString(sectionPublish(), "RunAfter", probeCommand(afterRecord, ""));
    profile.writeInt(sectionPublish(), "WinStates", 0x6);  // before hidden, after waited for
    publishReport(context, doc, shell);
    ASSERT_EQ(messages.shown.size(), 1u);
    const std::string text = "Error running file:  " + quoted(missing);
    EXPECT_EQ(messages.shown[0].first, text);
    EXPECT_EQ(messages.shown[0].second, text);
    EXPECT_NE(readFile(dir.file("report.html")).find("Song"), std::string::npos);
    EXPECT_NE(readFile(afterRecord).find("done"), std::string::npos);
}

TEST_F(WinPublishing, UnwritableReportIsReportedWithItsKey) {
    profile.writeString(sectionPublish(), "PublishFile", dir.file("missing folder\\report.html"));
    publishReport(context, doc, shell);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].second, "ErrorOpeningPublishFile");
    EXPECT_EQ(messages.shown[0].first.rfind("Can't open publish file for writing.\n\nReason:\n", 0), 0u);
    EXPECT_GT(messages.shown[0].first.size(), std::string("Can't open publish file for writing.\n\nReason:\n").size())
        << "with the system's reason";
}

TEST_F(WinPublishing, FreshUsersFirstAutoPublishCheckPublishesAtOnce) {
    profile.writeInt(sectionPublish(), "AutoPublish", 1);
    // Nothing stored: the application starts from 1980-01-01 01:01 local time.
    std::tm fresh{};
    fresh.tm_year = 80;
    fresh.tm_mday = 1;
    fresh.tm_hour = 1;
    fresh.tm_min = 1;
    fresh.tm_isdst = -1;
    TimeValue last = static_cast<TimeValue>(std::mktime(&fresh));
    CThreadTimer timer(kAutoPublishCheckMs, [] {});
    autoPublishCheck(context, timer, last, [&] { publishReport(context, doc, shell); });
    EXPECT_EQ(last, clock.t);
    EXPECT_NE(timer.id(), 0u) << "the check keeps running once a minute";
    EXPECT_NE(readFile(dir.file("report.html")).find("Song"), std::string::npos);

    // The next check, a minute later, does not publish again.
    DeleteFileA(dir.file("report.html").c_str());
    clock.t += 60;
    autoPublishCheck(context, timer, last, [&] { publishReport(context, doc, shell); });
    EXPECT_FALSE(exists(dir.file("report.html")));
    EXPECT_EQ(last, clock.t - 60);
}

TEST(ThreadTimer, TicksThroughTheThreadsMessageLoopAndStops) {
    int ticks = 0;
    CThreadTimer* self = nullptr;
    CThreadTimer timer(20, [&] {
        if (++ticks == 3) self->stop();
        if (ticks == 1) self->start();  // restarting from its own tick gives a fresh timer
    });
    self = &timer;
    timer.start();
    ASSERT_NE(timer.id(), 0u);
    DWORD deadline = GetTickCount() + 10000;
    MSG msg;
    while (ticks < 3 && GetTickCount() < deadline) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(timer.id(), 0u);
    Sleep(100);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(ticks, 3) << "no tick after stop";
}

}  // namespace

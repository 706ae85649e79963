// The Playtally window keeps its state in the registry section "Playtally Dialog": read back from
// the registry itself, every value it stores keeps the name, type and bytes it has always had,
// whether the user changed nothing, changed every control, or opened it over odd stored values.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "WinTestSupport.h"
#include "core/AppContext.h"
#include "core/Profile.h"
#include "database/Doc.h"
#include "plugin/win/RegistryProfile.h"
#include "resources/resource.h"
#include "window/PlaytallyDlg.h"

namespace {

const char kSection[] = "Playtally Dialog";

// A day as the window stores it: year, month and day, each its own value.
void expectDay(KeyDump& expected, const char* prefix, const std::tm& day) {
    const std::string p = prefix;
    expected[p + "Year"] = dwordValue(day.tm_year + 1900);
    expected[p + "Month"] = dwordValue(day.tm_mon + 1);
    expected[p + "Day"] = dwordValue(day.tm_mday);
}

std::tm localDay(std::time_t t) {
    std::tm day{};
    localtime_s(&day, &t);
    return day;
}

void click(HWND window, int id) { ::SendMessageA(::GetDlgItem(window, id), BM_CLICK, 0, 0); }

void choose(HWND window, int id, int index) {
    HWND box = ::GetDlgItem(window, id);
    ::SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}

void pickDay(HWND window, int id, WORD year, WORD month, WORD day) {
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    ::SendMessageA(::GetDlgItem(window, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

struct WindowStateTest : ::testing::Test {
    TestApplicationKey key{"window_state"};
    RegistryProfile registry{key.name()};
    MemoryProfile settings;
    CNoMessages noMessages;
    SystemClock clock;
    AppContext context{settings, noMessages, clock, systemFileSystem()};
    CDoc doc{context};

    // Opens the window over what the section holds, lets `act` do what a user does, puts the
    // window at a known place and closes it, which stores its state.
    void openAndClose(const std::function<void(HWND)>& act) {
        CPlaytallyDlg window(&doc, registry, nullptr);
        ASSERT_TRUE(window.Create());
        window.ShowWindow(SW_SHOW);
        act(window.m_hWnd);
        ::MoveWindow(window.m_hWnd, 10, 20, 400, 520, TRUE);
        click(window.m_hWnd, IDCANCEL);
        window.DestroyWindow();
    }
};

// What a fresh user's window stores when closed, at the place the test puts it.
KeyDump freshState() {
    const std::time_t now = std::time(nullptr);
    KeyDump expected = {
        {"TimePeriod", dwordValue(1)}, {"LastCombo", dwordValue(3)}, {"ShowTop", dwordValue(1)},
        {"TopCnt", dwordValue(100)},   {"RankBy", dwordValue(0)},    {"SelectedTab", dwordValue(0)},
        {"Num", dwordValue(1)},        {"ShowDate", dwordValue(0)},  {"Hits", dwordValue(0)},
        {"Len", dwordValue(0)},        {"LenPlayed", dwordValue(0)}, {"Artist", dwordValue(1)},
        {"Title", dwordValue(1)},      {"Album", dwordValue(0)},     {"Year", dwordValue(0)},
        {"Genre", dwordValue(0)},      {"Comment", dwordValue(0)},   {"First", dwordValue(0)},
        {"Last", dwordValue(0)},       {"Heard", dwordValue(0)},     {"CX", dwordValue(400)},
        {"CY", dwordValue(520)},       {"Left", dwordValue(10)},     {"Top", dwordValue(20)},
        {"ListWidth", textValue("25,60,35,60,60,130,160,100,40,60,150,")}, {"TimesWidth", textValue("90,90,70,")},
    };
    expectDay(expected, "S", localDay(now - 86400));
    expectDay(expected, "T", localDay(now));
    return expected;
}

}  // namespace

TEST_F(WindowStateTest, EveryValueKeepsItsNameTypeAndBytes) {
    const std::string section = key.sectionPath(kSection);
    struct Case {
        const char* name;
        std::function<void()> stored;   // what the section holds before the window opens
        std::function<void(HWND)> act;  // what the user does
        std::function<void(KeyDump&)> expected;  // how the stored state differs from a fresh one
    };
    const Case cases[] = {
        {"a fresh user closes the window", [] {}, [](HWND) {}, [](KeyDump&) {}},
        {"every control changed",
         [] {},
         [](HWND w) {
             choose(w, IDC_PT_RANK_BY, 1);  // the box is greyed in log mode: chosen first
             click(w, IDC_PT_LOG);
             for (int id : {IDC_PT_SHOW_NUMBER, IDC_PT_SHOW_DATE, IDC_PT_SHOW_HITS, IDC_PT_SHOW_LENGTH,
                            IDC_PT_SHOW_PLAYED, IDC_PT_SHOW_ARTIST, IDC_PT_SHOW_TITLE, IDC_PT_SHOW_ALBUM,
                            IDC_PT_SHOW_YEAR, IDC_PT_SHOW_GENRE, IDC_PT_SHOW_COMMENT, IDC_PT_SHOW_FIRST,
                            IDC_PT_SHOW_LAST, IDC_PT_SHOW_HEARD, IDC_PT_SHOW_TOP})
                 click(w, id);
             choose(w, IDC_PT_LAST_COMBO, 1);
             SetDlgItemTextA(w, IDC_PT_TOP_COUNT, "7");
             click(w, IDC_PT_PERIOD);
             pickDay(w, IDC_PT_SINCE, 2025, 3, 4);
             pickDay(w, IDC_PT_TILL, 2026, 11, 30);
         },
         [](KeyDump& e) {
             for (const char* flag : {"Num", "Artist", "Title", "ShowTop"}) e[flag] = dwordValue(0);
             for (const char* flag : {"ShowDate", "Hits", "Len", "LenPlayed", "Album", "Year", "Genre", "Comment",
                                      "First", "Last", "Heard", "SelectedTab", "RankBy"})
                 e[flag] = dwordValue(1);
             e["TimePeriod"] = dwordValue(0);
             e["LastCombo"] = dwordValue(1);
             e["TopCnt"] = dwordValue(7);
             e["SYear"] = dwordValue(2025), e["SMonth"] = dwordValue(3), e["SDay"] = dwordValue(4);
             e["TYear"] = dwordValue(2026), e["TMonth"] = dwordValue(11), e["TDay"] = dwordValue(30);
         }},
        {"odd values stored by hand or another version",
         [this] {
             registry.writeInt(kSection, "LastCombo", 9);
             registry.writeInt(kSection, "TopCnt", 0);
             registry.writeInt(kSection, "TimePeriod", 5);
             registry.writeInt(kSection, "RankBy", 2);
             registry.writeInt(kSection, "SelectedTab", 7);
             registry.writeInt(kSection, "Heard", 5);
             registry.writeString(kSection, "TimesWidth", "1,2,");
             registry.writeString(kSection, "Unknown", "kept");
         },
         [](HWND) {},
         [](KeyDump& e) {
             e["SelectedTab"] = dwordValue(1);
             e["Heard"] = dwordValue(1);
             e["TimesWidth"] = textValue("1,2,70,");  // a hidden column keeps the width it had
             e["Unknown"] = textValue("kept");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        registry.deleteApplicationKey();
        c.stored();
        KeyDump expected = freshState();
        c.expected(expected);
        openAndClose(c.act);
        // A run across midnight: the window may have taken its default days on the new date.
        KeyDump later = freshState();
        c.expected(later);
        const KeyDump stored = dumpKey(section);
        const std::string differences = keyDumpDifferences(stored, expected);
        EXPECT_TRUE(differences.empty() || keyDumpDifferences(stored, later).empty()) << differences;
    }
}

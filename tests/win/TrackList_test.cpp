// The track list inside a real Playtally window (template 1001) over a small document, driven with
// the messages a user's mouse sends: header clicks sort, the header tells what a click does, a
// right click opens the record menu only over a row and the menu key for the selected row, the
// highlight reaches the right edge, the rows are the list's own, the links reach the application
// through the host the window was given.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "HeaderDriving.h"
#include "Screenshot.h"
#include "WinTestSupport.h"
#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/Utf.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "window/PlaytallyDlg.h"

namespace {

const char* const kSection = "Playtally Dialog";

TimeValue localTime(int year, int month, int day) {
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = 10;
    t.tm_isdst = -1;
    return static_cast<TimeValue>(std::mktime(&t));
}

std::vector<std::string> rep(const char* text, int n) { return std::vector<std::string>(static_cast<std::size_t>(n), text); }
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<std::string> numbers(int from, int to) {
    std::vector<std::string> out;
    for (int n = from; from <= to ? n <= to : n >= to; n += from <= to ? 1 : -1) out.push_back(std::to_string(n));
    return out;
}

// Ten plays of one song (the oldest, one group of 10 hits), then four named plays; the date
// format is day first, so "12/08/25" is the 12th of August.
struct TrackListTest : ::testing::Test {
    MemoryProfile profile;
    CNoMessages noMessages;
    SystemClock systemClock;
    AppContext context{profile, noMessages, systemClock, systemFileSystem()};
    CDoc doc{context};
    std::unique_ptr<CPlaytallyDlg> window;
    IPlaytallyWindowHost* host = nullptr;
    HWND list = nullptr;

    TrackListTest() {
        profile.writeString(sectionGeneral(), "DateFormat", "%d/%m/%y %H:%M");
        for (int i = 0; i < 10; ++i) add("filler", "f", "", localTime(2024, 1, i + 1), 1, 1);
        add("Alpha", "x", "2001", localTime(2025, 8, 12), 600, 9);
        add("beta", "y", "999", localTime(2025, 12, 8), 75, 3700);
        add("Gamma", "z", "10", localTime(2025, 3, 1), 4000, 60);
        add("Alpha", "x", "2001", localTime(2025, 11, 20), 600, 20);
        for (const char* key : {"Num", "ShowDate", "Hits", "Len", "LenPlayed", "Artist", "Title", "Year", "First", "Last", "Heard"})
            profile.writeInt(kSection, key, 1);
        profile.writeInt(kSection, "LastCombo", 0);  // from the beginning
        profile.writeInt(kSection, "ShowTop", 0);
    }
    ~TrackListTest() override {
        if (window) window->DestroyWindow();
    }
    void add(const char* artist, const char* title, const char* year, TimeValue date, int length, int played) {
        auto record = std::make_unique<CTrackRecord>("C:\\m.mp3", length, date, played);
        record->tag = CId3v1Tag(artist, "", title, year, "", 1);
        doc.store().append(std::move(record));
    }
    void open(bool logMode) {
        profile.writeInt(kSection, "SelectedTab", logMode ? 1 : 0);
        window = std::make_unique<CPlaytallyDlg>(&doc, profile, host);
        ASSERT_TRUE(window->Create());
        window->ShowWindow(SW_SHOW);
        // Room for every caption, and beside the last one and below the last row.
        ::MoveWindow(window->m_hWnd, 0, 0, 1000, 800, TRUE);
        list = ::GetDlgItem(window->m_hWnd, 1010);
        ASSERT_NE(list, nullptr);
    }
    HWND header() const { return listHeader(list); }
    int column(const std::string& caption) const { return headerColumn(list, caption); }
    POINT headerPoint(int c) const { return ::headerPoint(list, c); }
    void clickHeader(const std::string& caption) {
        const int c = column(caption);
        ASSERT_GE(c, 0) << caption;
        clickHeaderColumn(list, c);
    }
    std::vector<std::string> texts(const std::string& caption) const {
        std::vector<std::string> out;
        const int c = column(caption);
        const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = "?";
            LVITEMA item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            out.push_back(text);
        }
        return out;
    }
    void select(int item) {
        LVITEMA state = {};
        state.state = state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
    }
    std::string helpArea() const {
        char text[1024] = {};
        ::GetDlgItemTextA(window->m_hWnd, 1104, text, sizeof text);
        return text;
    }
};

}  // namespace

TEST_F(TrackListTest, HeaderClicksSortEachKindOfColumnBothWays) {
    const std::vector<std::string> fillerDates = {"01/01/24 10:00", "02/01/24 10:00", "03/01/24 10:00", "04/01/24 10:00",
                                                  "05/01/24 10:00", "06/01/24 10:00", "07/01/24 10:00", "08/01/24 10:00",
                                                  "09/01/24 10:00", "10/01/24 10:00"};
    const std::vector<std::string> namedDates = {"01/03/25 10:00", "12/08/25 10:00", "20/11/25 10:00", "08/12/25 10:00"};
    struct Case {
        const char* name;
        bool logMode;
        std::vector<const char*> clicks;
        const char* shown;  // the column whose texts are compared
        bool ascending;
        std::vector<std::string> expected;
    } cases[] = {
        {"text ignores case", true, {"Artist"}, "Artist", true, rep("Alpha", 2) + rep("beta", 1) + rep("filler", 10) + rep("Gamma", 1)},
        {"text again: Z to A", true, {"Artist", "Artist"}, "Artist", false, rep("Gamma", 1) + rep("filler", 10) + rep("beta", 1) + rep("Alpha", 2)},
        {"another column starts A to Z", true, {"Artist", "Artist", "Title"}, "Title", true, rep("f", 10) + rep("x", 2) + rep("y", 1) + rep("z", 1)},
        {"date by its value, day first", true, {"Date"}, "Date", true, fillerDates + namedDates},
        {"date newest first", true, {"Date", "Date"}, "Date", false,
         std::vector<std::string>(namedDates.rbegin(), namedDates.rend()) + std::vector<std::string>(fillerDates.rbegin(), fillerDates.rend())},
        {"year is a number", true, {"Year"}, "Year", true, rep("", 10) + rep("10", 1) + rep("999", 1) + rep("2001", 2)},
        {"number 10 after 9", true, {"#", "#"}, "#", false, numbers(14, 1)},
        {"empty hits are all 0: order kept", true, {"Hit"}, "#", true, numbers(1, 14)},
        {"length", true, {"Length"}, "Length", true, rep("00:00:01", 10) + rep("00:01:15", 1) + rep("00:10:00", 2) + rep("01:06:40", 1)},
        {"played down", true, {"Played", "Played"}, "Played", false, {"01:01:40", "00:01:00", "00:00:20", "00:00:09", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01", "00:00:01"}},
        {"groups: empty dates lowest", false, {"Date"}, "Date", true, {"", "", "01/03/25 10:00", "08/12/25 10:00"}},
        {"groups: empty dates last downwards", false, {"Date", "Date"}, "Date", false, {"08/12/25 10:00", "01/03/25 10:00", "", ""}},
        {"groups: hits 10 after 2", false, {"Hit"}, "Hit", true, {"1", "1", "2", "10"}},
        {"groups: summed played", false, {"Played"}, "Played", true, {"00:00:10", "00:00:29", "00:01:00", "01:01:40"}},
        {"groups: last play by its value", false, {"Last"}, "Last", true, {"10/01/24 10:00", "01/03/25 10:00", "20/11/25 10:00", "08/12/25 10:00"}},
        {"groups: first play newest first", false, {"First", "First"}, "First", false, {"08/12/25 10:00", "12/08/25 10:00", "01/03/25 10:00", "01/01/24 10:00"}},
        {"groups: time heard", false, {"Heard"}, "Heard", true, {"00:00:10", "00:00:29", "00:01:00", "01:01:40"}},
        {"log: a play's own times", true, {"Heard", "Heard"}, "Last", false,
         std::vector<std::string>{"08/12/25 10:00", "01/03/25 10:00", "20/11/25 10:00", "12/08/25 10:00"} +
             std::vector<std::string>(fillerDates.rbegin(), fillerDates.rend())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.logMode);
        for (const char* caption : c.clicks) clickHeader(caption);
        EXPECT_EQ(texts(c.shown), c.expected);
        const CTrackListCtrl& trackList = window->List();
        EXPECT_EQ(trackList.Header().IndicatorColumn(), column(c.clicks.back()));
        EXPECT_EQ(trackList.Header().IndicatorAscending(), c.ascending);
        EXPECT_EQ(trackList.Ascending(), c.ascending);
        if (std::string(c.name) == "date by its value, day first")
            saveWindowScreenshot(window->m_hWnd, "playtally-log-sorted");
        if (std::string(c.name) == "groups: hits 10 after 2")
            saveWindowScreenshot(window->m_hWnd, "playtally-ranked-sorted");
        window->DestroyWindow();
        window.reset();
    }
}

TEST_F(TrackListTest, RowsKeepTheirRecordAndSelectionThroughSortsAndAReloadForgetsOnlyTheIndicator) {
    open(true);
    EXPECT_EQ(window->List().RecordIndexAt(0), 13) << "Log mode: the newest play first";
    select(1);  // the play of Gamma, record 12
    ASSERT_EQ(window->SelectedRecordIndex(), 12);
    clickHeader("Date");
    EXPECT_EQ(window->List().RecordIndexAt(0), 0) << "the oldest play";
    EXPECT_EQ(window->List().RecordIndexAt(13), 11) << "8 December is the newest date";
    EXPECT_EQ(window->SelectedRecordIndex(), 12) << "the selection follows its row";
    EXPECT_EQ(window->List().RecordIndexAt(14), -1);
    EXPECT_EQ(window->List().RecordIndexAt(-1), -1);

    // The texts as a list view asks for them, in either character set, cut to its buffer.
    struct Ask {
        int cch;
        bool wide;
        const char* text;
    } asks[] = {{64, false, "Gamma"}, {3, false, "Ga"}, {64, true, "Gamma"}, {4, true, "Gam"}, {1, true, ""}};
    for (const Ask& a : asks) {
        wchar_t wide[64] = L"?";
        char narrow[64] = "?";
        NMLVDISPINFOW info = {};
        info.hdr = {list, 1010, a.wide ? UINT(LVN_GETDISPINFOW) : UINT(LVN_GETDISPINFOA)};
        info.item.mask = LVIF_TEXT;
        info.item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        info.item.iSubItem = column("Artist");
        info.item.pszText = a.wide ? wide : reinterpret_cast<wchar_t*>(narrow);
        info.item.cchTextMax = a.cch;
        ::SendMessageA(window->m_hWnd, WM_NOTIFY, 1010, reinterpret_cast<LPARAM>(&info));
        std::string got = narrow;
        if (a.wide) got = std::string(wide, wide + ::lstrlenW(wide));
        EXPECT_EQ(got, a.text) << a.cch << (a.wide ? " wide" : "");
    }

    window->Refresh();
    EXPECT_EQ(window->List().Header().IndicatorColumn(), -1);
    EXPECT_EQ(window->SelectedRecordIndex(), -1) << "a refill clears the selection";
    EXPECT_EQ(texts("#"), numbers(1, 14)) << "the builder's order again";
    clickHeader("Date");
    EXPECT_FALSE(window->List().Ascending()) << "the list remembers the last sort";
    EXPECT_EQ(window->List().Header().IndicatorColumn(), column("Date"));
    EXPECT_FALSE(window->List().Header().IndicatorAscending());

    // Another build of the document (a report's ranked rows) gives its rows to its caller: the
    // list keeps its own, its sort and its selection. Then the oldest play leaves (as a trimming
    // save takes it): every row still names the record it shows, one place down.
    select(2);
    const int chosen = window->SelectedRecordIndex();
    ASSERT_GE(chosen, 0);
    const std::vector<std::string> sorted = texts("Date");
    BuildListParams report;
    report.till = 0x7FFFFFFF;
    EXPECT_EQ(doc.BuildList(report).size(), 4u);
    EXPECT_EQ(texts("Date"), sorted);
    EXPECT_EQ(window->SelectedRecordIndex(), chosen);
    EXPECT_EQ(window->List().RecordIndexAt(0), 11) << "8 December first, downwards";
    doc.store().keepNewest(doc.records().size() - 1);
    EXPECT_EQ(window->SelectedRecordIndex(), chosen - 1);
    EXPECT_EQ(window->List().RecordIndexAt(0), 10);
    EXPECT_EQ(window->List().RecordIndexAt(13), -1) << "the oldest play is gone";
}

// The four links along the top run the application's commands, through the host the window was
// given; a link that only reports being enabled or disabled runs nothing.
TEST_F(TrackListTest, TheLinksReachTheApplicationThroughTheHostTheWindowWasGiven) {
    struct Host : IPlaytallyWindowHost {
        std::vector<std::string> calls;
        void config() override { calls.push_back("config"); }
        void publishReport() override { calls.push_back("publish"); }
        void openWebsite() override { calls.push_back("website"); }
        void showAbout() override { calls.push_back("about"); }
    } application;
    host = &application;
    open(true);
    const struct {
        int id;
        const char* call;
    } links[] = {{1097, "config"}, {1100, "publish"}, {1101, "website"}, {1098, "about"}};
    for (const auto& link : links) {
        HWND label = ::GetDlgItem(window->m_hWnd, link.id);
        application.calls.clear();
        ::SendMessageA(window->m_hWnd, WM_COMMAND, MAKEWPARAM(link.id, STN_ENABLE), reinterpret_cast<LPARAM>(label));
        EXPECT_TRUE(application.calls.empty()) << link.call;
        ::SendMessageA(window->m_hWnd, WM_COMMAND, MAKEWPARAM(link.id, STN_CLICKED), reinterpret_cast<LPARAM>(label));
        EXPECT_EQ(application.calls, std::vector<std::string>{link.call});
    }
}

// The border never makes the window smaller than 353 x 500 pixels, whatever its template's size.
TEST_F(TrackListTest, TheWindowsMinimumIsItsOwnNotItsTemplates) {
    open(true);
    MINMAXINFO info = {};
    ::SendMessageA(window->m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 353);
    EXPECT_EQ(info.ptMinTrackSize.y, 500);
}

TEST_F(TrackListTest, SortKindsAreOneToThreeAndTheRedrawLockNests) {
    open(true);
    CTrackListCtrl& trackList = window->List();
    struct Case {
        std::vector<unsigned char> kinds;
        bool ok;
    } cases[] = {{{1, 2, 3}, true}, {{1, 0}, false}, {{4}, false}, {{}, true}};
    for (const Case& c : cases) EXPECT_EQ(trackList.SetSortKinds(c.kinds.data(), static_cast<int>(c.kinds.size())), c.ok);
    ASSERT_FALSE(trackList.SetSortKinds(std::vector<unsigned char>{3, 4}.data(), 2));
    clickHeader("#");
    clickHeader("#");
    EXPECT_EQ(texts("#"), numbers(1, 14)) << "no kinds after a refusal: clicks sort nothing";

    // WM_SETREDRAW as the list receives it.
    static std::vector<WPARAM> redraws;
    static HWND watched;
    redraws.clear();
    watched = list;
    HHOOK hook = ::SetWindowsHookExA(
        WH_CALLWNDPROC,
        [](int code, WPARAM w, LPARAM l) -> LRESULT {
            auto* m = reinterpret_cast<CWPSTRUCT*>(l);
            if (code == HC_ACTION && m->hwnd == watched && m->message == WM_SETREDRAW) redraws.push_back(m->wParam);
            return ::CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, ::GetCurrentThreadId());
    trackList.SuspendRedraw();
    trackList.SuspendRedraw();
    trackList.ResumeRedraw();
    EXPECT_EQ(redraws, std::vector<WPARAM>{FALSE}) << "still locked after one of two resumptions";
    trackList.ResumeRedraw();
    trackList.ResumeRedraw();  // one too many: unlocked all the same
    trackList.SuspendRedraw();
    window->Refresh();  // its own suspensions nest inside
    trackList.ResumeRedraw();
    ::UnhookWindowsHookEx(hook);
    EXPECT_EQ(redraws, (std::vector<WPARAM>{FALSE, TRUE, TRUE, FALSE, TRUE}));
}

TEST_F(TrackListTest, HeaderHoverTellsWhatAClickDoesAndStoresTheWidths) {
    open(true);
    struct Case {
        const char* caption;  // nullptr: right of the last caption
        std::string help;
    } cases[] = {{"Artist", loadString(IDS_HELP_HEADER) + "Artist"}, {"#", loadString(IDS_HELP_HEADER) + "#"}, {nullptr, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption ? c.caption : "empty header");
        profile.deleteValue(kSection, "ListWidth");
        POINT p = {0, 0};
        if (c.caption) {
            p = headerPoint(column(c.caption));
        } else {
            RECT r = {}, client = {};
            ::SendMessageA(header(), HDM_GETITEMRECT, static_cast<WPARAM>(column("Year")), reinterpret_cast<LPARAM>(&r));
            ::GetClientRect(header(), &client);
            ASSERT_LT(r.right + 5, client.right) << "the header should reach beyond its last column";
            p = {r.right + 5, (r.top + r.bottom) / 2};
        }
        ::SendMessageA(header(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        EXPECT_EQ(helpArea(), c.help);
        EXPECT_EQ(profile.getString(kSection, "ListWidth", "none"), "25,60,35,60,60,130,160,100,40,60,150,");
        EXPECT_EQ(profile.getString(kSection, "TimesWidth", "none"), "90,90,70,");
    }
    ::SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(5, 40));
    EXPECT_EQ(helpArea(), loadString(IDS_HELP_LIST));
    for (int picker : {1024, 1025}) {
        ::SendMessageA(::GetDlgItem(window->m_hWnd, picker), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(helpArea(), loadString(picker == 1024 ? 1054 : 1055)) << picker;
    }
}

TEST_F(TrackListTest, TheRecordMenuOpensOverARowOrForTheSelectedRowByKey) {
    open(true);
    auto holdShift = [](bool down) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        ::SetKeyboardState(keys);
    };
    struct Case {
        const char* name;
        int item;   // the row clicked or selected; 14 (the count of rows): the empty space below, or none
        UINT byKey;  // 0: a right click; VK_APPS: the menu key; VK_F10: Shift+F10
        bool menu;
    } cases[] = {{"a right click on a row", 2, 0, true},
                 {"a right click below the last row", 14, 0, false},
                 {"the menu key with a row selected", 2, VK_APPS, true},
                 {"Shift+F10 with a row selected", 2, VK_F10, true},
                 {"the menu key with no row selected", 14, VK_APPS, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT r = {};
        r.left = LVIR_BOUNDS;
        ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(c.item == 14 ? 13 : c.item), reinterpret_cast<LPARAM>(&r));
        POINT p = {8, c.item == 14 ? r.bottom + (r.bottom - r.top) / 2 : (r.top + r.bottom) / 2};
        RECT client = {};
        ::GetClientRect(list, &client);
        ASSERT_LT(p.y, client.bottom) << "the list should show empty space below its rows";
        POINT screen = p;
        ::ClientToScreen(list, &screen);
        ::SetCursorPos(screen.x, screen.y);
        if (c.byKey) {
            LVITEMA state = {};
            state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
            if (c.item < 14) select(c.item);
            ::SetFocus(list);
        }
        std::vector<UINT> items;
        const DriveResult result = driveModal(
            [&] {
                if (c.byKey) {  // through the queue, as the keyboard's messages come
                    holdShift(c.byKey == VK_F10);
                    const UINT down = c.byKey == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
                    ::PostMessageA(list, down, c.byKey, 1);
                    ::PostMessageA(list, down + 1, c.byKey, 0xC0000001);
                    MSG m;
                    while (::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                        ::TranslateMessage(&m);
                        ::DispatchMessageA(&m);
                    }
                } else {
                    ::PostMessageA(list, WM_RBUTTONUP, 0, MAKELPARAM(p.x, p.y));
                    ::SendMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(p.x, p.y));
                }
            },
            [&](HWND menuWindow) {
                HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
                for (int i = 0; i < ::GetMenuItemCount(menu); ++i) items.push_back(::GetMenuItemID(menu, i));
                ::EndMenu();
            },
            "", "#32768", 3000);
        holdShift(false);
        EXPECT_EQ(result.found, c.menu);
        if (c.menu) {
            EXPECT_EQ(items, (std::vector<UINT>{1093, 1091, 32777, 1092}));
        }
    }
}

TEST_F(TrackListTest, ASelectedRowIsHighlightedToTheRightEdgeWithoutTheFocus) {
    open(true);
    select(1);
    ::SetFocus(::GetDlgItem(window->m_hWnd, 1));
    ASSERT_NE(::GetFocus(), list);
    RECT client = {}, row = {};
    ::GetClientRect(list, &client);
    struct Case {
        int item;
        COLORREF colour;
    } cases[] = {{1, ::GetSysColor(COLOR_HIGHLIGHT)}, {2, ::GetSysColor(COLOR_WINDOW)}};
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::PatBlt(memory, 0, 0, client.right, client.bottom, BLACKNESS);
    ::SendMessageA(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    for (const Case& c : cases) {
        row.left = LVIR_BOUNDS;
        ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(c.item), reinterpret_cast<LPARAM>(&row));
        EXPECT_EQ(::GetPixel(memory, client.right - 2, (row.top + row.bottom) / 2), c.colour) << "row " << c.item;
    }
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    clickHeader("Artist");
    saveWindowScreenshot(window->m_hWnd, "playtally-selected-unfocused");
}

TEST_F(TrackListTest, WholeTextsOfEveryScriptAreShownSortedByTheLocaleAndGrouped) {
    doc.store().replaceAll(RecordArray());
    const std::string kino = "\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE";                     // Cyrillic
    const std::string tokyo = "\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89";    // Japanese
    const std::string sigur = "Sigur R\xC3\xB3s \xE2\x80\x93 \xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1";  // Latin, Greek
    const std::string symphony = "Symphony No. 9 in D minor, Op. 125: IV. Presto";
    auto addWhole = [&](const std::string& artist, const std::string& title, int day) {
        auto record = std::make_unique<CTrackRecord>("C:\\m.mp3", 200, localTime(2025, 1, day), 100);
        record->SetTexts(TrackTexts{title, artist, "", "", "", ""});
        doc.store().append(std::move(record));
    };
    addWhole(kino, symphony, 1);
    addWhole(tokyo, "Gunjou Biyori", 2);
    addWhole(kino, symphony, 3);  // the same track: one row of two hits
    addWhole(sigur, "Hopp\xC3\xADpolla", 4);
    open(false);
    auto wideTexts = [&](const std::string& caption) {
        std::vector<std::u16string> out;
        const int c = column(caption);
        const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[256] = L"?";
            LVITEMW item = {};
            item.iSubItem = c;
            item.pszText = text;
            item.cchTextMax = 256;
            ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            out.push_back(reinterpret_cast<const char16_t*>(text));
        }
        return out;
    };
    EXPECT_EQ(wideTexts("Hit"), (std::vector<std::u16string>{u"2", u"1", u"1"}));
    EXPECT_EQ(wideTexts("Title")[0], utf8ToUtf16(symphony));
    clickHeader("Artist");
    EXPECT_EQ(wideTexts("Artist"), (std::vector<std::u16string>{utf8ToUtf16(sigur), utf8ToUtf16(kino), utf8ToUtf16(tokyo)}));
    saveWindowScreenshot(window->m_hWnd, "playtally-whole-texts");
}

// "Rank by:" orders the groups by hits or by time heard, as the user picks it in the box, and the
// window keeps the choice with its other state.
TEST_F(TrackListTest, RankByTimeHeardAndBackIsKeptWithTheWindowsState) {
    profile.writeInt(kSection, "RankBy", 1);
    open(false);
    EXPECT_EQ(texts("Artist"), (std::vector<std::string>{"beta", "Gamma", "Alpha", "filler"}));
    HWND rankBy = ::GetDlgItem(window->m_hWnd, IDC_PT_RANK_BY);
    ASSERT_NE(rankBy, nullptr);
    ::SendMessageA(rankBy, CB_SETCURSEL, 0, 0);
    ::SendMessageA(window->m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_PT_RANK_BY, CBN_SELCHANGE), reinterpret_cast<LPARAM>(rankBy));
    EXPECT_EQ(texts("Artist").front(), "filler");  // ten hits
    window->SaveState(true);
    EXPECT_EQ(profile.getInt(kSection, "RankBy", -1), 0);
    EXPECT_EQ(profile.getInt(kSection, "Heard", -1), 1);
}

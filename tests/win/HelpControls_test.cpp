// Help-aware controls and link labels on a test dialog that shows help texts.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "UiTestResources.h"
#include "framework/Dialog.h"
#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/HelpControls.h"
#include "ui/MyStatic.h"

namespace {
const char kEditHelp[] = "Type the number of rows here.";
const char kAreaHelp[] = "This area explains the controls.";

class HelpTestDialog : public CDialog, public IHelpTextSink {
public:
    HelpTestDialog() : CDialog(IDD_TEST_HELP) {}
    void ShowHelpText(HelpValue value) override {
        if (failing) throw std::runtime_error("no room for help");
        shown.push_back(HelpValueText(value));
    }
    bool failing = false;

    std::vector<std::string> shown;
    std::vector<UINT> notifications;
    std::vector<int> clicks;
    CHelpButton button;
    CHelpComboBox combo;
    CHelpEdit edit;
    CHelpDateTimeCtrl picker;
    CMyStatic link, area;
    SYSTEMTIME date{2024, 2, 4, 29, 0, 0, 0, 0};

protected:
    BOOL OnInitDialog() override {
        const struct {
            CWnd& control;
            int id;
            HelpValue* value;
            HelpValue help;
        } table[] = {
            {button, IDC_TEST_HELP_BUTTON, &button.m_helpValue, 40},
            {combo, IDC_TEST_HELP_COMBO, &combo.m_helpValue, 2},
            {edit, IDC_TEST_HELP_EDIT, &edit.m_helpValue, reinterpret_cast<HelpValue>(kEditHelp)},
            {picker, IDC_TEST_HELP_PICKER, &picker.m_helpValue, 0},
            {link, IDC_TEST_LINK, &link.m_helpValue, 38},
            {area, IDC_TEST_HELP_AREA, &area.m_helpValue, reinterpret_cast<HelpValue>(kAreaHelp)},
        };
        for (const auto& row : table) {
            row.control.SubclassDlgItem(row.id, m_hWnd);
            *row.value = row.help;
        }
        area.m_hoverOff = TRUE;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override { dx.DateTime(IDC_TEST_HELP_PICKER, date); }
    bool OnNotify(int, NMHDR* header) override {
        notifications.push_back(header->code);
        return false;
    }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (HIWORD(wParam) == STN_CLICKED) clicks.push_back(LOWORD(wParam));
        return CDialog::OnCommand(wParam, lParam);
    }
};

std::vector<std::pair<std::string, std::string>> g_opened;
void recordOpen(const std::string& target, const std::string& parameters) { g_opened.emplace_back(target, parameters); }

class HelpControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_DATE_CLASSES};
        InitCommonControlsEx(&init);
        ASSERT_TRUE(dialog_.Create());
        dialog_.ShowWindow(SW_SHOW);
        dialog_.SetForegroundWindow();
        ASSERT_EQ(GetForegroundWindow(), dialog_.GetSafeHwnd());
        labelsTellTo(&dialog_);
        dialog_.link.SetLinkOpener(&recordOpen);
        g_opened.clear();
    }
    void TearDown() override {
        ReleaseCapture();
    }
    // The labels' help texts go where they are told, wherever they sit.
    void labelsTellTo(IHelpTextSink* sink) { dialog_.link.m_helpSink = dialog_.area.m_helpSink = sink; }
    static void moveOver(HWND control, int x = 2, int y = 2) { SendMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

    HelpTestDialog dialog_;
};

TEST_F(HelpControlsTest, EveryControlReportsItsHelpText) {
    const struct {
        HWND control;
        std::string text;
    } cases[] = {
        {dialog_.button, loadString(IDS_HELP_PLAYTALLY)},
        {dialog_.combo, "Day"},
        {dialog_.edit, kEditHelp},
        {dialog_.picker, ""},
        {dialog_.link, loadString(IDS_WEB_PAGE)},
        {dialog_.area, kAreaHelp},
    };
    for (const auto& c : cases) {
        dialog_.shown.clear();
        moveOver(c.control);
        ASSERT_EQ(dialog_.shown.size(), 1u) << c.text;
        EXPECT_EQ(dialog_.shown.back(), c.text);
        ReleaseCapture();
    }
    EXPECT_FALSE(loadString(IDS_HELP_PLAYTALLY).empty());
    // Labels told of no window tell nobody; the controls still tell their parent.
    labelsTellTo(nullptr);
    dialog_.shown.clear();
    moveOver(dialog_.area);
    moveOver(dialog_.edit);
    EXPECT_EQ(dialog_.shown, std::vector<std::string>{kEditHelp});
    // A window that fails to show a text stops nothing: the exception stays in the control.
    labelsTellTo(&dialog_);
    dialog_.failing = true;
    for (const auto& c : cases) moveOver(c.control);
    EXPECT_EQ(GetCapture(), dialog_.link.GetSafeHwnd());  // the hover itself went on
}

// One step of a hover: the label's text, whether the wave runs and whether the label holds the capture.
enum Action { Hover, Leave, Tick, Click };
struct Step {
    Action action;
    const char* text;
    bool running;
    bool captured;
};

TEST_F(HelpControlsTest, TheWaveFlipsOneLetterPerTick) {
    const struct {
        const char* name;
        std::vector<Step> steps;
    } scenarios[] = {
        {"whole wave",
         {{Hover, "about...", true, true}, {Tick, "About...", true, true}, {Tick, "aBout...", true, true},
          {Tick, "abOut...", true, true}, {Tick, "aboUt...", true, true}, {Tick, "abouT...", true, true},
          {Tick, "about...", true, true}, {Tick, "about...", true, true}, {Tick, "about...", true, true},
          {Tick, "about...", false, true}}},
        {"leaving mid-wave lets it finish",
         {{Hover, "about...", true, true}, {Tick, "About...", true, true}, {Tick, "aBout...", true, true},
          {Leave, "aBout...", true, false}, {Tick, "abOut...", true, false}, {Tick, "aboUt...", true, false},
          {Tick, "abouT...", true, false}, {Tick, "about...", true, false}, {Tick, "about...", true, false},
          {Tick, "about...", true, false}, {Tick, "about...", false, false}}},
        {"a click restores at once",
         {{Hover, "about...", true, true}, {Tick, "About...", true, true}, {Tick, "aBout...", true, true},
          {Click, "about...", false, true}, {Leave, "about...", false, false}}},
        {"a second hover starts no second wave",
         {{Hover, "about...", true, true}, {Tick, "About...", true, true}, {Leave, "About...", true, false},
          {Hover, "About...", true, true}, {Tick, "aBout...", true, true}}},
    };
    HWND link = dialog_.link;
    HCURSOR hand = LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(IDC_HANDCURSOR));
    ASSERT_NE(hand, nullptr);
    size_t clicks = 0;
    for (const auto& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        UINT_PTR timer = 0;
        int step = 0;
        for (const auto& s : scenario.steps) {
            SCOPED_TRACE(step++);
            switch (s.action) {
            case Hover:
                SetCursor(LoadCursor(nullptr, IDC_ARROW));
                moveOver(link);
                EXPECT_EQ(GetCursor(), hand);
                if (timer) {
                    EXPECT_EQ(dialog_.link.TimerId(), timer);  // the running timer is kept
                }
                timer = dialog_.link.TimerId();
                break;
            case Leave: moveOver(link, -20, -20); break;
            case Tick: SendMessageA(link, WM_TIMER, timer, 0); break;
            case Click:
                SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                ++clicks;
                break;
            }
            EXPECT_EQ(CWnd(link).GetWindowText(), s.text);
            EXPECT_EQ(dialog_.link.WaveRunning(), s.running);
            EXPECT_EQ(GetCapture() == link, s.captured);
        }
        // The timer lives exactly as long as the wave.
        EXPECT_EQ(KillTimer(link, timer) != FALSE, dialog_.link.WaveRunning());
        SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));  // the next scenario starts idle
        ++clicks;
        ReleaseCapture();
    }
    EXPECT_EQ(dialog_.clicks, std::vector<int>(clicks, IDC_TEST_LINK));  // every click still notifies the window
    EXPECT_TRUE(g_opened.empty());                               // not a web link
}

TEST_F(HelpControlsTest, AnotherWindowInFrontEndsTheHover) {
    moveOver(dialog_.link);
    ASSERT_EQ(GetCapture(), dialog_.link.GetSafeHwnd());
    HWND other = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    moveOver(dialog_.link);
    EXPECT_NE(GetCapture(), dialog_.link.GetSafeHwnd());
    EXPECT_TRUE(dialog_.link.WaveRunning());
    DestroyWindow(other);
}

TEST_F(HelpControlsTest, WebLinksOpenTheirTargetWithHello) {
    const struct {
        BOOL webLink;
        const char* target;
        std::vector<std::pair<std::string, std::string>> opened;
    } cases[] = {
        {FALSE, "http://example.org/", {}},
        {TRUE, "", {{"about...", "Hello"}}},
        {TRUE, "http://example.org/", {{"http://example.org/", "Hello"}}},
    };
    for (const auto& c : cases) {
        g_opened.clear();
        dialog_.link.m_webLink = c.webLink;
        dialog_.link.SetLink(c.target);
        SendMessageA(dialog_.link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(g_opened, c.opened);
    }
}

TEST_F(HelpControlsTest, TheHelpAreaShowsItsTextWithoutCaptureOrCursor) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    moveOver(dialog_.area);
    EXPECT_EQ(dialog_.shown, std::vector<std::string>{kAreaHelp});
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_FALSE(dialog_.area.WaveRunning());
    EXPECT_EQ(dialog_.area.GetWindowText(), "help area");
}

TEST_F(HelpControlsTest, ThePickerKeepsItsChangeAndDropDownToItself) {
    HWND picker = dialog_.picker;
    for (UINT code : {DTN_DATETIMECHANGE, DTN_DROPDOWN, DTN_CLOSEUP, NM_SETFOCUS}) {
        NMHDR header{picker, IDC_TEST_HELP_PICKER, code};
        SendMessageA(dialog_, WM_NOTIFY, IDC_TEST_HELP_PICKER, reinterpret_cast<LPARAM>(&header));
    }
    EXPECT_EQ(dialog_.notifications, (std::vector<UINT>{DTN_CLOSEUP, NM_SETFOCUS}));

    // The date goes through the data exchange both ways.
    SYSTEMTIME shown{};
    ASSERT_EQ(dialog_.picker.GetTime(shown), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(shown.wYear, 2024);
    EXPECT_EQ(shown.wMonth, 2);
    EXPECT_EQ(shown.wDay, 29);
    SYSTEMTIME other{2001, 12, 0, 31, 0, 0, 0, 0};
    dialog_.picker.SetTime(other);
    ASSERT_TRUE(dialog_.UpdateData(true));
    EXPECT_EQ(dialog_.date.wYear, 2001);
    EXPECT_EQ(dialog_.date.wDay, 31);

    // A user's change: the arrow key steps the selected field and the picker notifies.
    dialog_.notifications.clear();
    SetFocus(picker);
    SYSTEMTIME before{}, after{};
    dialog_.picker.GetTime(before);
    SendMessageA(picker, WM_KEYDOWN, VK_RIGHT, 1);
    SendMessageA(picker, WM_KEYDOWN, VK_UP, 1);
    dialog_.picker.GetTime(after);
    EXPECT_NE(memcmp(&before, &after, sizeof before), 0);
    for (UINT code : dialog_.notifications) EXPECT_NE(code, static_cast<UINT>(DTN_DATETIMECHANGE));
}
}  // namespace

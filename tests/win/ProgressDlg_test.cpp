#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "ui/ProgressDlg.h"

namespace {

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int g_pumped = 0;
constexpr UINT kPing = WM_APP + 7;

// A plain top-level window of this thread, made the active one: the owner a progress dialog finds.
class OwnerWindow {
public:
    OwnerWindow() {
        static const ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = ownerProc;
            wc.hInstance = ::GetModuleHandleA(nullptr);
            wc.lpszClassName = "PtlyProgressOwner";
            return ::RegisterClassA(&wc);
        }();
        (void)atom;
        window = ::CreateWindowExA(0, "PtlyProgressOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                                   nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
        ::SetActiveWindow(window);
        ::SetForegroundWindow(window);
    }
    ~OwnerWindow() { ::DestroyWindow(window); }
    HWND window;
};

LRESULT CALLBACK ownerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        ++g_pumped;
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

std::string itemText(HWND dialog, int id) {
    char text[256] = {};
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

int barPos(HWND dialog) { return static_cast<int>(::SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0)); }

// The pixel rectangle of a template rectangle, and a control's rectangle, both in client
// coordinates. The dialog manager converts the position and the size each on its own.
RECT templateRect(HWND dialog, int x, int y, int width, int height) {
    RECT units{x, y, width, height};
    ::MapDialogRect(dialog, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}
RECT controlRect(HWND dialog, int id) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(ProgressDlg, PercentLabelText) {
    struct Case {
        int position, lower, upper;
        const char* text;
    } cases[] = {
        {0, 0, 3, "0%"},     {1, 0, 3, "33%"},   {2, 0, 3, "66%"},     {3, 0, 3, "100%"},
        {45, 0, 100, "45%"}, {150, 0, 100, "50%"}, {200, 0, 100, "0%"}, {15, 10, 20, "50%"},
        {5, 5, 5, "0%"},     {1000000, 0, 2000000, "50%"}, {INT_MAX, 0, INT_MAX, "100%"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CProgressDlg::PercentText(c.position, c.lower, c.upper), c.text)
            << c.position << " of " << c.lower << ".." << c.upper;
}

TEST(ProgressDlg, ShowsRangePercentTextAndTitle) {
    OwnerWindow owner;
    CProgressDlg dialog;
    dialog.Show("Generating Playtally Report...", 0, 3);
    HWND window = dialog.GetSafeHwnd();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(itemText(window, IDC_PROGRESS_TEXT), "Generating Playtally Report...");
    EXPECT_EQ(dialog.GetWindowText(), "Please Wait");
    EXPECT_EQ(itemText(window, IDC_PROGRESS_PERCENT), "0%");
    PBRANGE range{};
    ::SendDlgItemMessageA(window, IDC_PROGRESS_BAR, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 3);

    const char* expected[] = {"0%", "33%", "66%", "100%"};
    for (int position = 1; position <= 3; ++position) {
        EXPECT_EQ(dialog.SetPos(position), position - 1) << "the previous position";
        EXPECT_EQ(barPos(window), position);
        EXPECT_EQ(itemText(window, IDC_PROGRESS_PERCENT), expected[position]);
    }
    EXPECT_EQ(dialog.Advance(-1), 0);
    EXPECT_EQ(barPos(window), 3) << "one step on from the top stays at the top";
    EXPECT_EQ(itemText(window, IDC_PROGRESS_PERCENT), "100%");

    dialog.SetRange(0, 200);
    EXPECT_EQ(dialog.Advance(50), 0);
    EXPECT_EQ(itemText(window, IDC_PROGRESS_PERCENT), "25%");
    EXPECT_EQ(dialog.Advance(-1), 0);
    EXPECT_EQ(barPos(window), 51);
    EXPECT_EQ(dialog.Advance(500), 0);
    EXPECT_EQ(barPos(window), 200) << "never past the upper bound";
    dialog.SetText("Other text");
    EXPECT_EQ(itemText(window, IDC_PROGRESS_TEXT), "Other text");
}

TEST(ProgressDlg, CustomTitleString) {
    CProgressDlg dialog(1010);
    dialog.Show("x", 0, 10);
    EXPECT_EQ(dialog.GetWindowText(), "Generating Playtally Report...");
}

TEST(ProgressDlg, CancelIsReportedOnceAndTheDialogStays) {
    OwnerWindow owner;
    CProgressDlg dialog;
    dialog.Show("Working", 0, 10);
    HWND window = dialog.GetSafeHwnd();
    ASSERT_TRUE(::IsWindow(window));

    ::SendMessageA(::GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(dialog.CheckCancel());
    EXPECT_FALSE(dialog.CheckCancel());
    EXPECT_TRUE(::IsWindow(window)) << "Cancel only reports; the caller ends the work";

    ::SendMessageA(::GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    const int before = barPos(window);
    EXPECT_EQ(dialog.Advance(-1), 1) << "a cancel seen by Advance";
    EXPECT_EQ(barPos(window), before) << "without moving";
    EXPECT_EQ(dialog.Advance(-1), 0);
    EXPECT_EQ(barPos(window), before + 1);

    // Esc reaches the dialog through the pump's dialog-message handling.
    ::PostMessageA(::GetDlgItem(window, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(dialog.CheckCancel());
    EXPECT_FALSE(dialog.CheckCancel());

    // OK (Enter) does nothing.
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(::IsWindow(window));
    EXPECT_FALSE(dialog.CheckCancel());
}

TEST(ProgressDlg, OwnerIsDisabledWhileShownAndEnabledAfter) {
    OwnerWindow owner;
    ASSERT_EQ(CProgressDlg::SafeOwner(), owner.window);
    {
        CProgressDlg dialog;
        dialog.Show("Working", 0, 5);
        EXPECT_EQ(dialog.OwnerWindow(), owner.window);
        EXPECT_TRUE(dialog.OwnerDisabled());
        EXPECT_FALSE(::IsWindowEnabled(owner.window));
        EXPECT_EQ(::GetWindow(dialog.GetSafeHwnd(), GW_OWNER), owner.window) << "stays above the window it disables";
        EXPECT_TRUE(dialog.DestroyWindow());
        EXPECT_TRUE(::IsWindowEnabled(owner.window));
        EXPECT_FALSE(dialog.OwnerDisabled());
        EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    }
    {
        CProgressDlg dialog;  // the destructor does the same
        ::SetActiveWindow(owner.window);
        dialog.Show("Working", 0, 5);
        EXPECT_FALSE(::IsWindowEnabled(owner.window));
    }
    EXPECT_TRUE(::IsWindowEnabled(owner.window));

    // An owner that was disabled already is left disabled.
    ::SetActiveWindow(owner.window);
    ::EnableWindow(owner.window, FALSE);
    {
        CProgressDlg dialog;
        dialog.Show("Working", 0, 5);
        EXPECT_FALSE(dialog.OwnerDisabled());
    }
    EXPECT_FALSE(::IsWindowEnabled(owner.window));
    ::EnableWindow(owner.window, TRUE);
}

TEST(ProgressDlg, PositionUpdatesAndCancelChecksPumpTheThreadsMessages) {
    OwnerWindow owner;
    CProgressDlg dialog;
    dialog.Show("Working", 0, 100);
    g_pumped = 0;
    ::PostMessageA(owner.window, kPing, 0, 0);
    ::PostMessageA(owner.window, kPing, 0, 0);
    dialog.SetPos(1);
    EXPECT_EQ(g_pumped, 2);
    ::PostMessageA(owner.window, kPing, 0, 0);
    dialog.CheckCancel();
    EXPECT_EQ(g_pumped, 3);
    ::PostMessageA(owner.window, kPing, 0, 0);
    dialog.Advance(-1);
    EXPECT_EQ(g_pumped, 4);
}

TEST(ProgressDlg, TemplateGeometry) {
    CProgressDlg dialog;
    dialog.Show("", 0, 10);
    HWND window = dialog.GetSafeHwnd();
    ASSERT_TRUE(::IsWindow(window));
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION) << "no title bar";
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_TRUE(sameRect(client, templateRect(window, 0, 0, 208, 38)));
    struct Control {
        int id, x, y, width, height;
        const char* className;
    } controls[] = {
        {IDCANCEL, 77, 21, 50, 14, "Button"},
        {IDC_PROGRESS_BAR, 8, 9, 176, 8, "msctls_progress32"},
        {IDC_PROGRESS_PERCENT, 185, 9, 22, 8, "Static"},
        {IDC_PROGRESS_TEXT, 5, 1, 191, 8, "Static"},
    };
    for (const Control& c : controls) {
        EXPECT_TRUE(sameRect(controlRect(window, c.id), templateRect(window, c.x, c.y, c.width, c.height))) << c.id;
        char className[64] = {};
        ::GetClassNameA(::GetDlgItem(window, c.id), className, sizeof className);
        EXPECT_STRCASEEQ(className, c.className) << c.id;
    }
    EXPECT_EQ(itemText(window, IDCANCEL), "Cancel");
    EXPECT_TRUE(::GetWindowLongPtrA(::GetDlgItem(window, IDCANCEL), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_TRUE(::GetWindowLongPtrA(::GetDlgItem(window, IDC_PROGRESS_BAR), GWL_STYLE) & PBS_SMOOTH);
}

TEST(ProgressDlg, FactoryMakesProgressDialogs) {
    CProgressFactory factory;
    std::unique_ptr<IProgress> progress = factory.create();
    auto* dialog = dynamic_cast<CProgressDlg*>(progress.get());
    ASSERT_NE(dialog, nullptr);
    progress->Show("Generating Playtally Report...", 0, 200);
    HWND window = dialog->GetSafeHwnd();
    EXPECT_TRUE(::IsWindow(window));
    progress.reset();
    EXPECT_FALSE(::IsWindow(window)) << "destroying the object closes the window";
}

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "FrameworkTestResources.h"
#include "WinTestSupport.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PropertySheet.h"

namespace {
// Collects the framework's message boxes instead of showing them.
class MessageBoxCatcher {
public:
    MessageBoxCatcher() {
        previous_ = setMessageBoxHandler([this](HWND, const std::string& text, const std::string&, UINT) {
            texts.push_back(text);
            return IDOK;
        });
    }
    ~MessageBoxCatcher() { setMessageBoxHandler(previous_); }
    std::vector<std::string> texts;

private:
    MessageBoxHandler previous_;
};

class ExchangeDialog : public CDialog {
public:
    ExchangeDialog() : CDialog(IDD_TEST_EXCHANGE) {}
    std::string text = "hello";
    int number = -12;
    unsigned positive = 7;
    int ranged = 5;
    int check = 1;
    int radio = 2;
    int combo = 1;
    std::vector<int> timerIds;
    bool throwInInit = false;
    bool throwOnCommand = false;

protected:
    void DoDataExchange(CDataExchange& dx) override {
        dx.Text(IDC_TEST_TEXT, text);
        dx.Text(IDC_TEST_INT, number);
        dx.Text(IDC_TEST_UNSIGNED, positive);
        dx.Text(IDC_TEST_RANGED, ranged);
        dx.MinMax(IDC_TEST_RANGED, ranged, 1, 1000);
        dx.Check(IDC_TEST_CHECK, check);
        dx.Radio(IDC_TEST_RADIO1, radio);
        dx.CBIndex(IDC_TEST_COMBO, combo);
    }
    BOOL OnInitDialog() override {
        CComboBox box(GetDlgItem(IDC_TEST_COMBO));
        for (const char* item : {"Hour", "Day", "Week"}) box.AddString(item);
        if (throwInInit) throw std::runtime_error("init failed");
        return CDialog::OnInitDialog();
    }
    bool OnCommand(WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDC_TEST_CHECK && throwOnCommand) throw std::runtime_error("command failed");
        return CDialog::OnCommand(wParam, lParam);
    }
    void OnTimer(UINT_PTR id) override {
        timerIds.push_back(static_cast<int>(id));
        KillTimer(id);
    }
};

std::string text(HWND dialog, int id) { return CWnd(dialog).GetDlgItemText(id); }
}  // namespace

TEST(DataExchange, NumbersReadLikeTheDialogsExpect) {
    struct Case {
        const char* text;
        bool ok;
        long long value;
    } cases[] = {
        {"0", true, 0},         {"42", true, 42},     {"  42 ", true, 42},  {"\t-17", true, -17},
        {"+5", true, 5},        {"", false, 0},       {"  ", false, 0},     {"-", false, 0},
        {"12a", false, 0},      {"1 2", false, 0},    {"0x10", false, 0},   {"2147483647", true, 2147483647LL},
        {"2147483648", false, 0}, {"-2147483648", true, -2147483648LL}, {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        long long value = 999;
        EXPECT_EQ(parseExchangedNumber(c.text, INT32_MIN, INT32_MAX, value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    long long value = 0;
    EXPECT_FALSE(parseExchangedNumber("-1", 0, 0xFFFFFFFFLL, value));
    EXPECT_TRUE(parseExchangedNumber("4294967295", 0, 0xFFFFFFFFLL, value));
}

TEST(DataExchange, PutsMembersIntoControlsAndTakesThemBack) {
    ExchangeDialog dialog;
    INT_PTR result = 0;
    auto run = driveModal([&] { result = dialog.DoModal(); },
                          [&](HWND window) {
                              EXPECT_EQ(text(window, IDC_TEST_TEXT), "hello");
                              EXPECT_EQ(text(window, IDC_TEST_INT), "-12");
                              EXPECT_EQ(text(window, IDC_TEST_UNSIGNED), "7");
                              EXPECT_EQ(IsDlgButtonChecked(window, IDC_TEST_CHECK), BST_CHECKED);
                              EXPECT_EQ(IsDlgButtonChecked(window, IDC_TEST_RADIO3), BST_CHECKED);
                              EXPECT_EQ(CComboBox(GetDlgItem(window, IDC_TEST_COMBO)).GetCurSel(), 1);

                              SetDlgItemTextA(window, IDC_TEST_TEXT, "Caf\xe9");
                              SetDlgItemTextA(window, IDC_TEST_INT, " 31 ");
                              SetDlgItemTextA(window, IDC_TEST_UNSIGNED, "100000");
                              CButton(GetDlgItem(window, IDC_TEST_CHECK)).SetCheck(BST_UNCHECKED);
                              CButton(GetDlgItem(window, IDC_TEST_RADIO3)).SetCheck(BST_UNCHECKED);
                              CButton(GetDlgItem(window, IDC_TEST_RADIO1)).SetCheck(BST_CHECKED);
                              CComboBox(GetDlgItem(window, IDC_TEST_COMBO)).SetCurSel(2);
                              SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
                          });
    ASSERT_TRUE(run.found);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.text, "Caf\xe9");
    EXPECT_EQ(dialog.number, 31);
    EXPECT_EQ(dialog.positive, 100000u);
    EXPECT_EQ(dialog.check, 0);
    EXPECT_EQ(dialog.radio, 0);
    EXPECT_EQ(dialog.combo, 2);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
}

// A value that does not read stops the exchange at that control with the framework's message; the
// dialog stays open, the control gets the focus, and later members keep their values.
TEST(DataExchange, FailureStopsAtTheControlWithItsMessage) {
    struct Case {
        int control;
        const char* text;
        const char* message;
    } cases[] = {
        {IDC_TEST_INT, "12a", "Please enter an integer."},
        {IDC_TEST_UNSIGNED, "-3", "Please enter a positive integer."},
        {IDC_TEST_RANGED, "0", "Please enter an integer between 1 and 1000."},
        {IDC_TEST_RANGED, "1001", "Please enter an integer between 1 and 1000."},
    };
    for (const Case& c : cases) {
        MessageBoxCatcher boxes;
        ExchangeDialog dialog;
        bool stayedOpen = false;
        HWND focus = nullptr, control = nullptr;
        auto run = driveModal([&] { dialog.DoModal(); },
                              [&](HWND window) {
                                  control = GetDlgItem(window, c.control);
                                  SetDlgItemTextA(window, IDC_TEST_TEXT, "changed");
                                  SetDlgItemTextA(window, c.control, c.text);
                                  CButton(GetDlgItem(window, IDC_TEST_CHECK)).SetCheck(BST_UNCHECKED);
                                  SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
                                  stayedOpen = IsWindow(window) && IsWindowVisible(window);
                                  focus = GetFocus();
                                  EndDialog(window, IDCANCEL);
                              });
        ASSERT_TRUE(run.found) << c.text;
        EXPECT_TRUE(stayedOpen) << c.text;
        EXPECT_EQ(focus, control) << c.text;
        ASSERT_EQ(boxes.texts.size(), 1u) << c.text;
        EXPECT_EQ(boxes.texts[0], c.message);
        EXPECT_EQ(dialog.text, "changed") << c.text;  // exchanged before the failing control
        EXPECT_EQ(dialog.check, 1) << c.text;          // after it: untouched
    }
}

TEST(Dialog, ExceptionsInHandlersStayInsideTheDialog) {
    ExchangeDialog dialog;
    dialog.throwInInit = true;
    dialog.throwOnCommand = true;
    INT_PTR result = 0;
    auto run = driveModal([&] { result = dialog.DoModal(); },
                          [](HWND window) {
                              SendMessageA(GetDlgItem(window, IDC_TEST_CHECK), BM_CLICK, 0, 0);
                              PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                          });
    ASSERT_TRUE(run.found);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(result, IDCANCEL);
}

TEST(Dialog, ModelessDialogGetsTimersAndFreesItsWindow) {
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND window = dialog.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(dialog.IsModal());
    EXPECT_EQ(CWnd::FromHandlePermanent(window), &dialog);
    EXPECT_EQ(dialog.GetDlgItemText(IDC_TEST_INT), "-12");  // OnInitDialog ran the exchange

    dialog.SetTimer(5, 1);
    MSG message;
    DWORD until = GetTickCount() + 2000;
    while (dialog.timerIds.empty() && GetTickCount() < until) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    }
    ASSERT_EQ(dialog.timerIds, std::vector<int>{5});

    dialog.EndDialog(IDOK);  // a modeless dialog ends by being destroyed
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

namespace {
class KeyWatchingDialog : public ExchangeDialog {
public:
    std::vector<WPARAM> keys;
    bool PreTranslateMessage(MSG* message) override {
        if (message->message == WM_KEYDOWN) {
            keys.push_back(message->wParam);
            if (message->wParam == 'Q') return true;  // consumed: never reaches the edit
        }
        return ExchangeDialog::PreTranslateMessage(message);
    }
};

void pumpWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
}  // namespace

// Messages for a dialog's children pass PreTranslateMessage first, in whatever loop retrieves
// them: here a plain loop like the host's own.
TEST(Dialog, PreTranslateMessageSeesQueuedInputOfItsChildren) {
    KeyWatchingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND edit = GetDlgItem(dialog.GetSafeHwnd(), IDC_TEST_TEXT);
    SetWindowTextA(edit, "");
    PostMessageA(edit, WM_KEYDOWN, 'Q', 0);
    PostMessageA(edit, WM_CHAR, 'x', 0);
    pumpWaitingMessages();
    EXPECT_EQ(dialog.keys, std::vector<WPARAM>{'Q'});
    EXPECT_EQ(CWnd(edit).GetWindowText(), "x");

    // Modeless dialogs get the dialog keys: Tab moves the focus on from the first edit.
    SetFocus(edit);
    PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
    pumpWaitingMessages();
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog.GetSafeHwnd(), IDC_TEST_INT));
    dialog.DestroyWindow();
}

namespace {
class CountingEdit : public CEdit {
public:
    int setTexts = 0;
    bool destroyed = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) ++setTexts;
        if (message == WM_CHAR && wParam == '!') return 0;  // swallowed
        return CEdit::WindowProc(message, wParam, lParam);
    }
    void PostNcDestroy() override { destroyed = true; }
};
}  // namespace

TEST(Wnd, SubclassedControlRoutesItsMessagesUntilDestroyed) {
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    CountingEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_TEST_TEXT, dialog.GetSafeHwnd()));
    EXPECT_FALSE(CountingEdit().SubclassDlgItem(IDC_TEST_TEXT, dialog.GetSafeHwnd()));  // already taken
    EXPECT_EQ(CWnd::FromHandlePermanent(edit.GetSafeHwnd()), &edit);

    edit.SetWindowText("abc");
    EXPECT_EQ(edit.setTexts, 1);
    EXPECT_EQ(edit.GetWindowText(), "abc");
    edit.SetSel(3, 3);
    edit.SendMessage(WM_CHAR, '!', 0);
    edit.SendMessage(WM_CHAR, 'd', 0);
    EXPECT_EQ(edit.GetWindowText(), "abcd");

    dialog.DestroyWindow();
    EXPECT_TRUE(edit.destroyed);
    EXPECT_EQ(edit.GetSafeHwnd(), nullptr);
    EXPECT_FALSE(edit.IsSubclassed());
}

TEST(Wnd, UnsubclassRestoresTheControl) {
    ExchangeDialog dialog;
    ASSERT_TRUE(dialog.Create());
    HWND window = GetDlgItem(dialog.GetSafeHwnd(), IDC_TEST_TEXT);
    {
        CountingEdit edit;
        ASSERT_TRUE(edit.SubclassWindow(window));
    }  // the object goes first: the control keeps working without it
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    SetWindowTextA(window, "still fine");
    EXPECT_EQ(CWnd(window).GetWindowText(), "still fine");
    CountingEdit again;
    EXPECT_TRUE(again.SubclassWindow(window));
    EXPECT_EQ(again.UnsubclassWindow(), window);
    dialog.DestroyWindow();
}

namespace {
struct PageLog {
    std::vector<std::string> events;
};

class NumberPage : public CPropertyPage {
public:
    explicit NumberPage(PageLog& log) : CPropertyPage(IDD_TEST_PAGE_A), log_(log) {}
    int number = 3;

protected:
    void DoDataExchange(CDataExchange& dx) override { dx.Text(IDC_TEST_PAGE_A_NUMBER, number); }
    BOOL OnApply() override {
        log_.events.push_back("A apply " + std::to_string(number));
        return TRUE;
    }
    void OnReset() override { log_.events.push_back("A reset"); }

private:
    PageLog& log_;
};

class TextPage : public CPropertyPage {
public:
    explicit TextPage(PageLog& log) : CPropertyPage(IDD_TEST_PAGE_B, 1014), log_(log) {}
    std::string text = "b";

protected:
    void DoDataExchange(CDataExchange& dx) override { dx.Text(IDC_TEST_PAGE_B_TEXT, text); }
    BOOL OnApply() override {
        log_.events.push_back("B apply " + text);
        return TRUE;
    }

private:
    PageLog& log_;
};

class TestSheet : public CPropertySheet {
public:
    TestSheet(PageLog& log) : CPropertySheet("Sheet test"), log_(log) {}
    bool initialized = false;

protected:
    void OnInitialized() override { initialized = true; }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_DESTROY) log_.events.push_back("sheet destroyed");
        return false;
    }

private:
    PageLog& log_;
};

int tabCount(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
}

std::string tabText(HWND sheet, int index) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    char buffer[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}
}  // namespace

TEST(PropertySheets, PagesComeAndGoWhileShownAndOkAppliesThem) {
    PageLog log;
    NumberPage a(log);
    TextPage b(log);
    TestSheet sheet(log);
    sheet.AddPage(&a);
    INT_PTR result = 0;
    auto run = driveModal([&] { result = sheet.DoModal(); },
                          [&](HWND window) {
                              EXPECT_TRUE(sheet.initialized);
                              EXPECT_EQ(sheet.GetSafeHwnd(), window);
                              EXPECT_EQ(tabCount(window), 1);
                              EXPECT_EQ(CWnd(a.GetSafeHwnd()).GetDlgItemText(IDC_TEST_PAGE_A_NUMBER), "3");
                              EXPECT_EQ(a.GetSheet(), &sheet);

                              sheet.AddPage(&b);
                              EXPECT_EQ(tabCount(window), 2);
                              EXPECT_EQ(tabText(window, 1), "General");  // caption from string 1014
                              EXPECT_EQ(b.GetSafeHwnd(), nullptr);  // created when first shown
                              sheet.RemovePage(1);
                              EXPECT_EQ(tabCount(window), 1);
                              EXPECT_EQ(sheet.GetPageCount(), 1);
                              sheet.AddPage(&b);
                              SendMessageA(window, PSM_SETCURSEL, 1, 0);
                              EXPECT_NE(b.GetSafeHwnd(), nullptr);
                              SetDlgItemTextA(b.GetSafeHwnd(), IDC_TEST_PAGE_B_TEXT, "typed");
                              SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
                          },
                          "Sheet test");
    ASSERT_TRUE(run.found);
    EXPECT_FALSE(run.forced);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(b.text, "typed");
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(log.events.front(), "A apply 3");
    EXPECT_EQ(log.events[1], "B apply typed");
    EXPECT_EQ(log.events.back(), "sheet destroyed");
    EXPECT_EQ(a.GetSafeHwnd(), nullptr);
    EXPECT_EQ(sheet.GetSafeHwnd(), nullptr);
}

TEST(PropertySheets, InvalidPageKeepsTheSheetOpenAndCancelResets) {
    MessageBoxCatcher boxes;
    PageLog log;
    NumberPage a(log);
    TestSheet sheet(log);
    sheet.AddPage(&a);
    INT_PTR result = 0;
    bool stayedOpen = false;
    auto run = driveModal([&] { result = sheet.DoModal(); },
                          [&](HWND window) {
                              SetDlgItemTextA(a.GetSafeHwnd(), IDC_TEST_PAGE_A_NUMBER, "x");
                              SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
                              stayedOpen = IsWindowVisible(window) != FALSE;
                              SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                          },
                          "Sheet test");
    ASSERT_TRUE(run.found);
    EXPECT_FALSE(run.forced);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Please enter an integer.");
    ASSERT_FALSE(log.events.empty());
    EXPECT_EQ(log.events.front(), "A reset");
}

TEST(Handles, HoldersReleaseWhatTheyOwn) {
    UniqueBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH raw = brush.get();
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    UniqueBrush moved(std::move(brush));
    EXPECT_FALSE(brush);
    EXPECT_EQ(moved.get(), raw);
    moved.reset();
    EXPECT_EQ(GetObjectType(raw), 0u);  // deleted

    HMENU menuHandle = nullptr;
    {
        UniqueMenu menu(CreatePopupMenu());
        menuHandle = menu.get();
        EXPECT_TRUE(IsMenu(menuHandle));
    }
    EXPECT_FALSE(IsMenu(menuHandle));

    UniqueFileHandle none;
    EXPECT_FALSE(none);
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
}

namespace {
struct Nesting {
    int depth = 0;
    void enter() { ++depth; }
    void leave() { --depth; }
};
using NestingScope = PairedCallScope<Nesting, &Nesting::enter, &Nesting::leave>;
}  // namespace

// A paired call ends with its scope, also when the scope is left by an exception.
TEST(Handles, PairedCallScopeEndsHoweverItsScopeEnds) {
    Nesting n;
    {
        NestingScope outer(n);
        NestingScope inner(n);
        EXPECT_EQ(n.depth, 2);
    }
    EXPECT_EQ(n.depth, 0);
    try {
        NestingScope held(n);
        throw std::runtime_error("build failed");
    } catch (const std::runtime_error&) {
        EXPECT_EQ(n.depth, 0);
    }
}

// The template editor, run modally from its real template and driven with messages.
#include <gtest/gtest.h>

#include <richedit.h>

#include <cstring>
#include <functional>
#include <string>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "framework/DataExchange.h"
#include "plugin/win/RegistryProfile.h"
#include "framework/RichEdit.h"
#include "resources/resource.h"
#include "ui/HtmlEditDlg.h"

namespace {
RECT at(HWND dialog, int id) { return controlRectInDialog(dialog, id); }
int centreX(const RECT& r) { return (r.left + r.right) / 2; }
std::string editText(HWND dialog) { return CRichEditCtrl(GetDlgItem(dialog, IDC_HTMLEDIT_TEXT)).StreamOutText(); }
void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Nothing waits in the thread's queue: what the window was sent on opening has been handled.
bool queueIsEmpty() { return GetQueueStatus(QS_ALLINPUT) == 0; }

// Dispatches the thread's messages as a dialog loop does until `done` holds or a deadline passes.
bool pumpUntil(HWND dialog, const std::function<bool()>& done) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 5000) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsDialogMessageA(dialog, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

class HtmlEditDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(loadRichEditLibrary()); }

    // Runs an editor on `text`; `act` drives it and must close it.
    INT_PTR run(std::string& text, const std::function<void(HWND)>& act) {
        HtmlEditDlg editor(&text, &profile_);
        INT_PTR result = -1;
        DriveResult drive = driveModal([&] { result = editor.DoModal(); }, act, "Edit", "#32770", 20000);
        EXPECT_TRUE(drive.found);
        EXPECT_FALSE(drive.forced);
        return result;
    }
    bool storedPlacement(WINDOWPLACEMENT& placement) {
        DWORD type = 0;
        std::string bytes;
        if (!rawReadValue(key_.sectionPath("HtmlEditDlg"), "WindowPlacement", type, bytes)) return false;
        if (type != REG_BINARY || bytes.size() != sizeof placement) return false;
        memcpy(&placement, bytes.data(), sizeof placement);
        return true;
    }
    void storePlacement(const void* bytes, DWORD size) {
        ASSERT_TRUE(rawWriteValue(key_.sectionPath("HtmlEditDlg"), "WindowPlacement", REG_BINARY, bytes, size));
    }

    TestApplicationKey key_{"HtmlEditDlg"};
    RegistryProfile profile_{key_.name()};
};

TEST_F(HtmlEditDlgTest, ResizingMovesTheButtonsAndStretchesTheEdit) {
    std::string text = "<html>\n\t#num #artist\n</html>\n";
    const struct {
        int dx, dy;
    } steps[] = {{40, 0}, {0, 30}, {-40, -30}, {101, 77}};
    INT_PTR result = run(text, [&](HWND dialog) {
        saveWindowScreenshot(dialog, "editor-normal");
        for (const auto& step : steps) {
            SCOPED_TRACE(step.dx * 1000 + step.dy);
            RECT edit = at(dialog, IDC_HTMLEDIT_TEXT), ok = at(dialog, IDOK), cancel = at(dialog, IDCANCEL);
            RECT window;
            GetWindowRect(dialog, &window);
            SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + step.dx,
                         window.bottom - window.top + step.dy, SWP_NOMOVE | SWP_NOZORDER);
            for (auto [id, before] : {std::pair{IDOK, ok}, std::pair{IDCANCEL, cancel}}) {
                RECT now = at(dialog, id);
                EXPECT_EQ(now.left - before.left, step.dx / 2) << id;
                EXPECT_EQ(now.top - before.top, step.dy) << id;
                EXPECT_EQ(now.right - now.left, before.right - before.left) << id;
            }
            RECT now = at(dialog, IDC_HTMLEDIT_TEXT);
            EXPECT_EQ(now.left, edit.left);
            EXPECT_EQ(now.top, edit.top);
            EXPECT_EQ(now.right - edit.right, step.dx);
            EXPECT_EQ(now.bottom - edit.bottom, step.dy);
            RECT grip = at(dialog, CResizer::kGripId), client;
            GetClientRect(dialog, &client);
            EXPECT_EQ(grip.right, client.right);
            EXPECT_EQ(grip.bottom, client.bottom);
        }
        // Never smaller than the template made it.
        RECT window;
        GetWindowRect(dialog, &window);
        MINMAXINFO info{};
        SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, window.right - window.left - 101);
        EXPECT_EQ(info.ptMinTrackSize.y, window.bottom - window.top - 77);
        SetWindowPos(dialog, nullptr, 0, 0, 50, 40, SWP_NOMOVE | SWP_NOZORDER);
        GetWindowRect(dialog, &window);
        EXPECT_EQ(window.right - window.left, info.ptMinTrackSize.x);
        EXPECT_EQ(window.bottom - window.top, info.ptMinTrackSize.y);
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(HtmlEditDlgTest, TabInsertsATabAtTheCaretWithStopsEvery180Twips) {
    std::string text = "ab\ncd";
    INT_PTR result = run(text, [&](HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_HTMLEDIT_TEXT);
        EXPECT_EQ(GetFocus(), edit);
        CHARRANGE caret{0, 0};
        SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
        EXPECT_EQ(caret.cpMin, 0);  // the caret starts at the start, nothing selected
        EXPECT_EQ(caret.cpMax, 0);
        SendMessageA(edit, EM_SETSEL, 1, 1);
        for (bool shift : {false, true}) {  // Shift+Tab inserts one too
            if (shift) PostMessageA(edit, WM_KEYDOWN, VK_SHIFT, 1);
            PostMessageA(edit, WM_KEYDOWN, VK_TAB, 1);
            PostMessageA(edit, WM_KEYUP, VK_TAB, 0xC0000001);
            if (shift) PostMessageA(edit, WM_KEYUP, VK_SHIFT, 0xC0000001);
            size_t tabs = shift ? 2 : 1;
            EXPECT_TRUE(pumpUntil(dialog, [&] { return editText(dialog).find(std::string(tabs, '\t')) != std::string::npos; }));
            EXPECT_EQ(GetFocus(), edit);
        }
        PARAFORMAT format{};
        format.cbSize = sizeof format;
        SendMessageA(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
        EXPECT_EQ(format.cTabCount, 32);
        EXPECT_EQ(format.rgxTabs[0], 180);
        EXPECT_EQ(format.rgxTabs[31] & 0xFFFFFF, 5760);
        click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(text, "a\t\tb\ncd");
}

TEST_F(HtmlEditDlgTest, CancelChangesNeitherTheTextNorTheStoredPlacement) {
    // Opened without a parent from a window of its own (the settings sheet), which it keeps disabled.
    HWND opener = CreateWindowExA(0, "STATIC", "opener", WS_POPUP | WS_VISIBLE, 0, 0, 80, 40, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(opener);
    std::string text = "keep me";
    INT_PTR result = run(text, [&](HWND dialog) {
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), opener);
        EXPECT_FALSE(IsWindowEnabled(opener));
        SetDlgItemTextA(dialog, IDC_HTMLEDIT_TEXT, "changed");
        ShowWindow(dialog, SW_MAXIMIZE);
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(IsWindowEnabled(opener));
    DestroyWindow(opener);
    EXPECT_EQ(text, "keep me");
    WINDOWPLACEMENT placement;
    EXPECT_FALSE(storedPlacement(placement));
}

TEST_F(HtmlEditDlgTest, OkStoresThePlacementAndTheNextEditorOpensMaximized) {
    std::string text = "x";
    RECT normalEdit{}, normalClient{};
    run(text, [&](HWND dialog) {
        normalEdit = at(dialog, IDC_HTMLEDIT_TEXT);
        GetClientRect(dialog, &normalClient);
        RECT window;
        GetWindowRect(dialog, &window);
        SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 40, window.bottom - window.top + 30, SWP_NOMOVE | SWP_NOZORDER);
        ShowWindow(dialog, SW_MAXIMIZE);
        click(dialog, IDOK);
    });
    WINDOWPLACEMENT placement;
    ASSERT_TRUE(storedPlacement(placement));
    EXPECT_EQ(placement.length, 44u);
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));

    INT_PTR result = run(text, [&](HWND dialog) {
        // A stored maximized placement takes effect once the window is shown.
        ASSERT_TRUE(pumpUntil(dialog, [&] { return IsZoomed(dialog) != FALSE; }));
        saveWindowScreenshot(dialog, "editor-maximized");
        RECT client, edit = at(dialog, IDC_HTMLEDIT_TEXT), ok = at(dialog, IDOK), cancel = at(dialog, IDCANCEL);
        GetClientRect(dialog, &client);
        EXPECT_GT(client.right, normalClient.right + 40);
        // The edit keeps the template's margins on every side.
        EXPECT_EQ(edit.left, normalEdit.left);
        EXPECT_EQ(edit.top, normalEdit.top);
        EXPECT_EQ(client.right - edit.right, normalClient.right - normalEdit.right);
        EXPECT_EQ(client.bottom - edit.bottom, normalClient.bottom - normalEdit.bottom);
        // The buttons side by side, centred below it.
        EXPECT_LE(std::abs((ok.left + cancel.right) / 2 - centreX(client)), 3);
        EXPECT_EQ(ok.top, cancel.top);
        EXPECT_GT(ok.top, edit.bottom);
        EXPECT_LT(ok.bottom, client.bottom);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, CResizer::kGripId)));  // nothing to drag when maximized
        ShowWindow(dialog, SW_RESTORE);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, CResizer::kGripId)));
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(HtmlEditDlgTest, StoredPlacementsOfAnotherLengthOrOffScreenAreMended) {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT plain{};
    std::string text;
    run(text, [&](HWND dialog) {
        GetWindowRect(dialog, &plain);
        click(dialog, IDCANCEL);
    });
    auto placementOf = [](UINT show, RECT normal) {
        WINDOWPLACEMENT p{};
        p.length = sizeof p;
        p.showCmd = show;
        p.rcNormalPosition = normal;
        return p;
    };
    const struct {
        const char* name;
        WINDOWPLACEMENT stored;
        DWORD size;
        bool ignored, maximized;
    } cases[] = {
        {"43 bytes", placementOf(SW_SHOWMAXIMIZED, {10, 10, 700, 600}), 43, true, false},
        {"45 bytes", placementOf(SW_SHOWMAXIMIZED, {10, 10, 700, 600}), 45, true, false},
        {"maximized", placementOf(SW_SHOWMAXIMIZED, {10, 10, 700, 600}), 44, false, true},
        {"normal", placementOf(SW_SHOWNORMAL, {10, 20, 700, 600}), 44, false, false},
        {"off every screen", placementOf(SW_SHOWNORMAL, {40000, -30000, 40600, -29500}), 44, false, false},
        {"no size", placementOf(SW_SHOWNORMAL, {100, 100, 100, 100}), 44, false, false},
        {"millions", placementOf(SW_SHOWNORMAL, {-3000000, 0, 3000000, 9000000}), 44, false, false},
        {"hidden", placementOf(SW_HIDE, {10, 20, 700, 600}), 44, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char bytes[48] = {};
        memcpy(bytes, &c.stored, sizeof c.stored);
        storePlacement(bytes, c.size);
        run(text, [&](HWND dialog) {
            EXPECT_TRUE(pumpUntil(dialog, [&] { return (IsZoomed(dialog) != FALSE) == c.maximized && queueIsEmpty(); }));
            RECT window;
            GetWindowRect(dialog, &window);
            EXPECT_TRUE(IsWindowVisible(dialog));
            EXPECT_EQ(IsZoomed(dialog) != FALSE, c.maximized);
            if (c.ignored) {
                EXPECT_TRUE(EqualRect(&window, &plain));
            } else if (!c.maximized) {
                EXPECT_GE(window.left, work.left);
                EXPECT_GE(window.top, work.top);
                EXPECT_LE(window.right, work.right);
                EXPECT_LE(window.bottom, work.bottom);
                EXPECT_GE(window.right - window.left, plain.right - plain.left);
                EXPECT_GE(window.bottom - window.top, plain.bottom - plain.top);
            }
            if (std::string(c.name) == "normal") {
                EXPECT_EQ(window.left, 10);
            }
            click(dialog, IDCANCEL);
        });
    }
}

TEST_F(HtmlEditDlgTest, AOneMegabyteTemplateComesBackByteForByte) {
    std::string original;
    for (int line = 0; original.size() < (1u << 20); ++line)
        original += "<tr><td>#num</td>\t<td>#artist \xe9\xfc\xdf</td><td>" + std::to_string(line) + "</td></tr>\n";
    std::string text = original;
    EXPECT_EQ(run(text, [&](HWND dialog) { click(dialog, IDOK); }), IDOK);
    EXPECT_TRUE(text == original) << text.size() << " bytes back of " << original.size();

    // Typing goes on past the control's usual 32K limit.
    original.resize(40000);
    text = original;
    EXPECT_EQ(run(text, [&](HWND dialog) {
                  HWND edit = GetDlgItem(dialog, IDC_HTMLEDIT_TEXT);
                  SendMessageA(edit, EM_SETSEL, -1, -1);
                  SendMessageA(edit, WM_CHAR, 'x', 1);
                  click(dialog, IDOK);
              }),
              IDOK);
    EXPECT_EQ(text.size(), original.size() + 1);
    EXPECT_EQ(text.back(), 'x');
}

TEST_F(HtmlEditDlgTest, LineBreaksComeBackAsNewlinesOnly) {
    const struct {
        const char* given;
        const char* back;
    } cases[] = {
        {"", ""},
        {"one line", "one line"},
        {"a\nb\n", "a\nb\n"},
        {"\n\n\n", "\n\n\n"},
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb\r", "a\nb\n"},
        {"a\r\r\nb", "a\n\nb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(withNewlineBreaks(c.given), c.back);
        std::string text = c.given;
        run(text, [&](HWND dialog) { click(dialog, IDOK); });
        EXPECT_EQ(text, c.back);
    }
}
}  // namespace

// The About box from its real template, driven with mouse messages.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/AboutDlg.h"

namespace {
std::vector<std::pair<std::string, std::string>> g_opened;
void recordOpen(const std::string& target, const std::string& parameters) { g_opened.emplace_back(target, parameters); }

class AboutDlgTest : public ::testing::Test {
protected:
    void SetUp() override { g_opened.clear(); }

    INT_PTR run(const std::function<void(HWND)>& act) {
        CAboutDlg about;
        about.Link().SetLinkOpener(&recordOpen);
        INT_PTR result = -1;
        DriveResult drive = driveModal([&] { result = about.DoModal(); }, act, "About Dozoderi Playtally");
        EXPECT_TRUE(drive.found);
        EXPECT_FALSE(drive.forced);
        return result;
    }
};

TEST_F(AboutDlgTest, TheBoxForwardsTheMouseToItsLinkWhichOpensTheWebPage) {
    INT_PTR result = run([](HWND box) {
        SetForegroundWindow(box);
        HWND link = GetDlgItem(box, IDC_ABOUT_WEBSITE);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(GetWindowLongPtrA(link, GWL_STYLE) & SS_NOTIFY, 0);
        saveWindowScreenshot(box, "about");
        RECT area = controlRectInDialog(box, IDC_ABOUT_WEBSITE);
        const struct {
            POINT at;  // in the box's client coordinates
            bool captured;
        } moves[] = {
            {{area.left - 30, area.top - 30}, false},     // elsewhere on the box
            {{area.right - 3, area.top + 2}, true},       // over the link: the box hands the move on
            {{area.right - 3, area.bottom + 30}, false},  // off the link: the label lets go
            {{area.right - 3, area.top + 2}, true},
        };
        for (const auto& move : moves) {
            SendMessageA(box, WM_MOUSEMOVE, 0, MAKELPARAM(move.at.x, move.at.y));
            if (GetCapture() == link) {  // once the label holds the capture the mouse goes to it
                POINT inLink = move.at;
                MapWindowPoints(box, link, &inLink, 1);
                SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(inLink.x, inLink.y));
            }
            EXPECT_EQ(GetCapture() == link, move.captured) << move.at.x << "," << move.at.y;
        }
        SendMessageA(link, WM_TIMER, 1, 0);
        EXPECT_EQ(CWnd(link).GetWindowText(), "playtally Website");
        SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        EXPECT_EQ(CWnd(link).GetWindowText(), "Playtally Website");
        ReleaseCapture();
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(g_opened.size(), 1u);
    EXPECT_EQ(g_opened[0].first, loadString(IDS_WEB_PAGE));
    EXPECT_EQ(g_opened[0].second, "Hello");
}

TEST_F(AboutDlgTest, EveryLineFitsInsideTheBox) {
    run([](HWND box) {
        RECT client;
        GetClientRect(box, &client);
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_GE(r.left, 0);
            EXPECT_LE(r.right, client.right);
            EXPECT_LE(r.bottom, client.bottom);
            char text[256] = {};
            GetWindowTextA(child, text, sizeof text);
            if (!text[0]) continue;
            // The text's own width in the label's font stays inside the label.
            HDC dc = GetDC(child);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
            SelectObject(dc, old);
            ReleaseDC(child, dc);
            EXPECT_LE(extent.cx, r.right - r.left) << text;
        }
        SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
}
}  // namespace

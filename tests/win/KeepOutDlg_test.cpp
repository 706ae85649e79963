// The rules dialog from its real template, driven as a user does: a field picked, a text typed,
// Add and Remove clicked; OK hands the rules back, Cancel leaves them, the tooltip has examples.
#include <windows.h>

#include <gtest/gtest.h>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/KeepOutDlg.h"

namespace {

void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void type(HWND dialog, const char* text) {
    HWND edit = GetDlgItem(dialog, IDC_KEEPOUT_TEXT);
    SetWindowTextA(edit, text);  // sends EN_CHANGE, as typing does
}

void pick(HWND dialog, int control, int index, UINT notification) {
    HWND box = GetDlgItem(dialog, control);
    SendMessageA(box, control == IDC_KEEPOUT_LIST ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(control, notification), reinterpret_cast<LPARAM>(box));
}

std::vector<std::string> listed(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_KEEPOUT_LIST);
    std::vector<std::string> out;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[300] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        out.push_back(text);
    }
    return out;
}

INT_PTR run(std::vector<ExclusionRule>& rules, const std::function<void(HWND)>& act) {
    INT_PTR result = 0;
    CKeepOutDlg dialog(&rules, nullptr);
    const DriveResult drive = driveModal([&] { result = dialog.DoModal(); }, act, "Kept out of the rankings");
    EXPECT_TRUE(drive.found);
    EXPECT_FALSE(drive.forced);
    return result;
}

}  // namespace

TEST(KeepOutDlg, AddRemoveAndOkHandTheRulesBack) {
    std::vector<ExclusionRule> rules = {{ExclusionField::Genre, "Speech"}};
    const INT_PTR result = run(rules, [](HWND dialog) {
        EXPECT_EQ(listed(dialog), (std::vector<std::string>{"genre: Speech"}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEEPOUT_ADD))) << "nothing typed yet";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEEPOUT_REMOVE))) << "nothing selected";
        type(dialog, "\\Audiobooks\\");
        click(dialog, IDC_KEEPOUT_ADD);
        pick(dialog, IDC_KEEPOUT_FIELD, 1, CBN_SELCHANGE);  // artist
        type(dialog, "Kids Choir");
        click(dialog, IDC_KEEPOUT_ADD);
        type(dialog, "Kids Choir");
        click(dialog, IDC_KEEPOUT_ADD);  // the same rule again is not doubled
        EXPECT_EQ(listed(dialog), (std::vector<std::string>{"genre: Speech", "path: \\Audiobooks\\", "artist: Kids Choir"}));
        saveWindowScreenshot(dialog, "keep-out-rules");
        pick(dialog, IDC_KEEPOUT_LIST, 0, LBN_SELCHANGE);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_KEEPOUT_REMOVE)));
        click(dialog, IDC_KEEPOUT_REMOVE);
        type(dialog, "Comedy");  // typed, not added: OK adds it
        pick(dialog, IDC_KEEPOUT_FIELD, 2, CBN_SELCHANGE);
        click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(rules, (std::vector<ExclusionRule>{{ExclusionField::Path, "\\Audiobooks\\"},
                                                 {ExclusionField::Artist, "Kids Choir"},
                                                 {ExclusionField::Genre, "Comedy"}}));
}

TEST(KeepOutDlg, CancelLeavesTheRules) {
    std::vector<ExclusionRule> rules = {{ExclusionField::Path, "\\Podcasts\\"}};
    const INT_PTR result = run(rules, [](HWND dialog) {
        pick(dialog, IDC_KEEPOUT_LIST, 0, LBN_SELCHANGE);
        click(dialog, IDC_KEEPOUT_REMOVE);
        EXPECT_TRUE(listed(dialog).empty());
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(rules, (std::vector<ExclusionRule>{{ExclusionField::Path, "\\Podcasts\\"}}));
    EXPECT_NE(loadString(IDS_TIP_KEEPOUT_FIELD).find("\\Audiobooks\\"), std::string::npos) << "the tooltip gives examples";
}

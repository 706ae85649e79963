// The path dialog and the tag editor from their real templates, driven as a user would: typed
// characters, clicks, and the open-file box found and cancelled. Each dialog is also captured to a
// picture (with PTLY_SCREENSHOT_DIR set) to be looked at.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "window/PathDlg.h"
#include "window/TagEditDlg.h"
#include "core/Utf.h"
#include "database/TrackRecord.h"

namespace {

std::string textOf(HWND dialog, int id) {
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
// Replaces the edit's text by typing: select all, then one WM_CHAR per character.
void type(HWND dialog, int id, const std::string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, VK_BACK, 0);
    for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}

TEST(PathDlg, ShowsTheLineAndPromptOfItsCaseAndBrowseCancelledPutsThePathBack) {
    struct Case {
        const char* name;
        const char* missing;
        bool lineShown;
        int prompt;
    } cases[] = {
        {"path_command", "", false, 49},
        {"path_missing_file", "C:\\old\\song.mp3", true, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPathDlg dialog("C:\\old\\song.mp3", u"", c.missing, u"");
        INT_PTR result = 0;
        auto run = driveModal([&] { result = dialog.DoModal(); },
                              [&](HWND window) {
                                  EXPECT_EQ(IsWindowVisible(GetDlgItem(window, IDC_PATH_MISSING)) != FALSE, c.lineShown);
                                  if (c.lineShown) EXPECT_EQ(textOf(window, IDC_PATH_MISSING), "File not found: \"C:\\old\\song.mp3\"");
                                  EXPECT_EQ(textOf(window, IDC_PATH_PROMPT), loadString(c.prompt));
                                  EXPECT_EQ(textOf(window, IDC_PATH_EDIT), "C:\\old\\song.mp3");
                                  RECT browse = controlRectInDialog(window, IDC_PATH_BROWSE);
                                  RECT expected = dialogUnitsToPixels(window, 300, 28, 40, 13);
                                  EXPECT_TRUE(EqualRect(&browse, &expected));
                                  saveWindowScreenshot(window, c.name);

                                  type(window, IDC_PATH_EDIT, "typed before browsing");
                                  auto box = driveModal([&] { click(window, IDC_PATH_BROWSE); },
                                                        [&](HWND open) { PostMessageA(open, WM_COMMAND, IDCANCEL, 0); },
                                                        "Mp3 file");
                                  EXPECT_TRUE(box.found);
                                  EXPECT_EQ(textOf(window, IDC_PATH_EDIT), "C:\\old\\song.mp3");
                                  type(window, IDC_PATH_EDIT, "D:\\new\\song.mp3");
                                  click(window, IDOK);
                              },
                              "Path To Source File");
        ASSERT_TRUE(run.found);
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(dialog.m_path, "D:\\new\\song.mp3");
        EXPECT_TRUE(dialog.m_widePath.empty());
    }
}

std::u16string wideTextOf(HWND dialog, int id) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(dialog, id, text, 1024);
    return reinterpret_cast<const char16_t*>(text);
}
// Replaces the edit's text by typing UTF-16 characters.
void typeWide(HWND dialog, int id, const std::u16string& text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (char16_t c : text) SendMessageW(edit, WM_CHAR, c, 0);
}

// A name the code page cannot hold is shown whole, in the edit and in the missing line; confirmed
// as shown it comes back as it came; retyped it comes back whole with the code page's lossy form.
TEST(PathDlg, ANameTheCodePageCannotHoldIsShownAndReturnedWhole) {
    const std::u16string wide = u"C:\\\u041C\u0443\u0437\u044B\u043A\u0430\\\u6B4C.mp3";  // Музыка\歌
    const std::u16string typed = u"D:\\\u041F\u0435\u0441\u043D\u0438\\\u66F2.mp3";       // Песни\曲
    for (bool retype : {false, true}) {
        SCOPED_TRACE(retype ? "retyped" : "as shown");
        CPathDlg dialog("C:\\??????\\?.mp3", wide, "C:\\??????\\?.mp3", wide);
        auto run = driveModal([&] { dialog.DoModal(); },
                              [&](HWND window) {
                                  EXPECT_TRUE(IsWindowUnicode(GetDlgItem(window, IDC_PATH_EDIT)));
                                  EXPECT_EQ(wideTextOf(window, IDC_PATH_EDIT), wide);
                                  EXPECT_EQ(wideTextOf(window, IDC_PATH_MISSING), u"File not found: \"" + wide + u"\"");
                                  if (!retype) saveWindowScreenshot(window, "path_wide_name");
                                  if (retype) typeWide(window, IDC_PATH_EDIT, typed);
                                  click(window, IDOK);
                              },
                              "Path To Source File");
        ASSERT_TRUE(run.found);
        EXPECT_EQ(dialog.m_widePath, retype ? typed : wide);
        EXPECT_EQ(dialog.m_path, retype ? "D:\\?????\\?.mp3" : "C:\\??????\\?.mp3");
    }
}

TEST(TagEditDlg, WholeTextsInAnyScriptGenreSelectionAndTheRebuiltBody) {
    const std::string greek = "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1";  // Athena
    struct Case {
        const char* name;
        std::string genre;  // the play's genre name
        int entries;        // in the box
        const char* shown;  // its text ("" also when nothing is selected)
        int pick;           // the entry the user picks (-1: leaves the selection)
        std::uint8_t storedByte;
        std::string storedName;
    } cases[] = {
        {"tag_no_genre", "", 127, "", -1, 255, ""},
        {"tag_rock", "Rock", 127, "Rock", -1, 17, "Rock"},
        {"tag_unnamed_genre", "Unknown (200)", 127, "", -1, 200, "Unknown (200)"},  // kept: nothing picked
        {"tag_unnamed_cleared", "Unknown (200)", 127, "", 0, 255, ""},
        {"tag_own_genre", "Synthwave", 128, "Synthwave", -1, 255, "Synthwave"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrackTexts texts{greek + " Title", "Artist", "Album", "2001", "Comment", c.genre};
        CTagEditDlg dialog(texts);
        INT_PTR result = 0;
        const std::u16string typedTitle = u"\u6771\u4EAC " + std::u16string(40, u'T');
        auto run = driveModal([&] { result = dialog.DoModal(); },
                              [&](HWND window) {
                                  HWND genres = GetDlgItem(window, IDC_TAG_GENRE);
                                  EXPECT_EQ(SendMessageA(genres, CB_GETCOUNT, 0, 0), c.entries);
                                  EXPECT_EQ(textOf(window, IDC_TAG_GENRE), c.shown);
                                  EXPECT_EQ(wideTextOf(window, IDC_TAG_TITLE), utf8ToUtf16(greek + " Title"));
                                  EXPECT_EQ(textOf(window, IDC_TAG_YEAR), "2001");
                                  if (c.genre == "Synthwave") saveWindowScreenshot(window, "tag_editor");
                                  type(window, IDC_TAG_YEAR, "19a9x9");
                                  EXPECT_EQ(textOf(window, IDC_TAG_YEAR), "1999");
                                  typeWide(window, IDC_TAG_TITLE, typedTitle);
                                  if (c.pick >= 0) SendMessageA(genres, CB_SETCURSEL, c.pick, 0);
                                  click(window, IDOK);
                              },
                              "id3v1 Tag Editor");
        ASSERT_TRUE(run.found);
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(texts.title, utf16ToUtf8(typedTitle));
        EXPECT_EQ(texts.genre, c.storedName);
        CTrackRecord play;
        play.SetTexts(texts);
        EXPECT_EQ(play.Text(FieldTitle), utf16ToUtf8(typedTitle));
        EXPECT_EQ(play.tag.genre(), c.storedByte);
        EXPECT_EQ(play.tag.year(), "1999");
        EXPECT_EQ(play.tag.title().size(), 30u);  // the body's place, cut
    }
}

}  // namespace

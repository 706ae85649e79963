// The settings sheet with its real pages from the real templates, driven by the messages a user's
// clicks and typing send, over the real registry (a test key of its own) and real files.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "plugin/win/ListenSender.h"
#include "plugin/win/TokenVault.h"

#include <algorithm>
#include <ctime>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "tools/host/WindowCapture.h"
#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/TimeFormat.h"
#include "core/Utf.h"
#include "framework/MessageBox.h"
#include "plugin/win/RegistryProfile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "tests/native/DbFileSupport.h"
#include "app/PlaytallyApp.h"
#include "ui/ProgressDlg.h"
#include "ui/SettingsSheet.h"

using namespace dbtest;

namespace {

const char kCaption[] = "Zudazide Playtally - Settings";
constexpr int kApplyButton = 0x3021;

class Views : public IViewHooks {
public:
    bool playtallyWindowExists() const override { return true; }
    bool playtallyWindowVisible() const override { return true; }
    bool settingsSheetOpen() const override { return true; }
    void refreshPlaytallyWindow() override { events.push_back("refresh"); }
    void destroyPlaytallyWindow() override { events.push_back("destroy"); }
    bool playtallyWindowInLogMode() const override { return false; }
    std::vector<std::string> events;
};

void click(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }
void type(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }
std::string text(HWND window, int id) { return CWnd(GetDlgItem(window, id)).GetWindowText(); }
bool enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }
bool checked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
void choose(HWND page, int id, int index) {
    HWND box = GetDlgItem(page, id);
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
}
// Pastes `text` into an edit through the clipboard, replacing what it holds.
void paste(HWND page, int id, const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    HWND edit = GetDlgItem(page, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_PASTE, 0, 0);
}
int tabCount(HWND sheet) {
    return TabCtrl_GetItemCount(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)));
}
std::string tabText(HWND sheet, int index) {
    char buffer[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMA,
                 static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buffer;
}
// Saves a screenshot of a window (when screenshots are on) once the screen shows it painted and
// settled: more than one colour, and the same picture twice in a row.
void screenshot(HWND window, const std::string& name) {
    const std::string path = screenshotPath(name);
    if (path.empty()) return;
    std::string previous;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(50)) {
        const WindowPicture picture = captureWindow(window, path);
        ASSERT_TRUE(picture.saved) << path;
        std::string bytes = contentOf(path);
        if (!picture.oneColour && bytes == previous) return;
        previous = std::move(bytes);
    }
    ADD_FAILURE() << name << ": the window never showed painted";
}

// A sheet run over the real registry and files, as the application would run it.
class Settings : public ::testing::Test, public ISettingsHost {
protected:
    Settings()
        : key(::testing::UnitTest::GetInstance()->current_test_info()->name()), profile(key.name()), doc_(ctx) {
        ctx.views = &views;
        ctx.userName = "guest";
        ctx.pluginFolder = dir.path();
        ctx.signature = {kSignature, kVersionHigh, kVersionLow};
        previousBoxes = setMessageBoxHandler([this](HWND, const std::string& text, const std::string&, UINT) {
            messages.shown.push_back({text, "box"});
            return IDOK;
        });
        general = key.sectionPath("General");
        publish = key.sectionPath("Zudazide Playtally - Settings");
    }
    ~Settings() override { setMessageBoxHandler(previousBoxes); }

    AppContext& context() override { return ctx; }
    CDoc& doc() override { return doc_; }
    void applyGeneralSettings() override { views.events.push_back("apply general"); }
    void publishReport() override {
        views.events.push_back("publish");
        atPublish = dumpKey(publish);
    }
    CListenSender* listenSender() override { return sender; }
    void applySettings() override {
        if (sheet) sheet->SavePages();
        views.events.push_back("apply settings");
    }

    // Opens the sheet and runs `act` with the shown sheet; the act ends it (or it is closed).
    void run(const std::function<void(HWND)>& act) {
        CSettingsSheet shown(*this, kCaption);
        sheet = &shown;
        DriveResult r = driveModal([&] { result = shown.DoModal(); }, act, kCaption);
        sheet = nullptr;
        EXPECT_TRUE(r.found);
        EXPECT_FALSE(r.forced);
    }
    HWND generalPage() const { return sheet->GeneralPage().GetSafeHwnd(); }
    HWND publishPage(HWND window) const {
        SendMessageA(window, PSM_SETCURSEL, 1, 0);
        return sheet->PublishPage().GetSafeHwnd();
    }
    void setInt(const std::string& section, const char* name, int value) {
        profile.writeInt(section == general ? "General" : "Zudazide Playtally - Settings", name, value);
    }
    void setString(const std::string& section, const char* name, const std::string& value) {
        profile.writeString(section == general ? "General" : "Zudazide Playtally - Settings", name, value);
    }
    int readInt(const std::string& section, const char* name) {
        return profile.getInt(section == general ? "General" : "Zudazide Playtally - Settings", name, -12345);
    }
    std::vector<std::string> shownTexts() const {
        std::vector<std::string> out;
        for (const auto& s : messages.shown) out.push_back(s.text);
        return out;
    }
    std::vector<TimeValue> recordDates() const {
        std::vector<TimeValue> dates;
        for (const auto& r : doc_.records()) dates.push_back(r->date);
        return dates;
    }

    TestApplicationKey key;
    RegistryProfile profile;
    WinTempDir dir;
    RecordingMessages messages;
    FixedClock clock;
    Views views;
    AppContext ctx{profile, messages, clock, systemFileSystem()};
    CDoc doc_;
    MessageBoxHandler previousBoxes;
    CSettingsSheet* sheet = nullptr;
    CListenSender* sender = nullptr;
    INT_PTR result = 0;
    std::string general, publish;
    KeyDump atPublish;
};

}  // namespace

// --- General page ---------------------------------------------------------------------------

TEST_F(Settings, GeneralNumbersAreCheckedAtApply) {
    struct Case {
        int id;
        std::string typed;
        bool pasted;
        const char* key;
        int stored;           // when accepted
        std::string message;  // when refused
    };
    const Case cases[] = {
        {IDC_GEN_DBSIZE, "100000", false, "DBSize", 100000, ""},
        {IDC_GEN_DBSIZE, "100001", false, "DBSize", 0, "Please enter an integer between 1 and 100000."},
        {IDC_GEN_DBSIZE, "0", false, "DBSize", 0, "Please enter an integer between 1 and 100000."},
        {IDC_GEN_DBSIZE, "", false, "DBSize", 0, "Please enter a positive integer."},
        {IDC_GEN_DBSIZE, "12a", true, "DBSize", 0, "Please enter a positive integer."},
        {IDC_GEN_STOREAFTER, "0", false, "StoreAfterIntervalSec", 0, "Please enter an integer between 1 and 1000."},
        {IDC_GEN_STOREAFTER, "1000", false, "StoreAfterIntervalSec", 1000, ""},
        {IDC_GEN_STOREAFTER, "x", true, "StoreAfterIntervalSec", 0, "Please enter an integer."},
        {IDC_GEN_AUTOSAVE, "0", false, "AutoSave", 0, ""},
        {IDC_GEN_AUTOSAVE, "-1", true, "AutoSave", 0, "Please enter an integer between 0 and 1000."},
        {IDC_GEN_AUTOSAVE, "1001", false, "AutoSave", 0, "Please enter an integer between 0 and 1000."},
        {IDC_GEN_AUTOSAVE, "", false, "AutoSave", 0, "Please enter an integer."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " <- \"" + c.typed + "\"");
        messages.shown.clear();
        RegistryProfile(key.name()).deleteApplicationKey();
        bool stayedOpen = false;
        HWND focus = nullptr, control = nullptr;
        std::string shownText;
        run([&](HWND window) {
            if (c.pasted)
                paste(generalPage(), c.id, c.typed);
            else
                type(generalPage(), c.id, c.typed);
            shownText = text(generalPage(), c.id);
            control = GetDlgItem(generalPage(), c.id);
            SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
            stayedOpen = !messages.shown.empty();
            focus = GetFocus();
            if (stayedOpen) SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(result, stayedOpen ? IDCANCEL : IDOK);
        EXPECT_EQ(shownText, c.typed);  // the digit-only edit took the paste as it came
        if (c.message.empty()) {
            EXPECT_FALSE(stayedOpen);
            EXPECT_EQ(readInt(general, c.key), c.stored);
            EXPECT_TRUE(messages.shown.empty());
        } else {
            EXPECT_TRUE(stayedOpen);
            EXPECT_EQ(shownTexts(), std::vector<std::string>{c.message});
            EXPECT_EQ(focus, control);  // the refused field has the focus
            EXPECT_EQ(rawValueCount(general), -1);  // nothing stored, not even the other keys
        }
    }
}

TEST_F(Settings, DisableDecidesTheTabsAndTheGreyedControls) {
    setInt(general, "Disable", 1);
    setInt(general, "NoLarger", 0);
    const int allButDisable[] = {IDC_GEN_NOTSTORE,   IDC_GEN_SHOWICON,        IDC_GEN_DBPATH,
                                 IDC_GEN_BROWSE,     IDC_GEN_DBSIZE,          IDC_GEN_NOLARGER,
                                 IDC_GEN_DATEFORMAT, IDC_GEN_STOREAFTER,      IDC_GEN_NOTSTORE_FIELDS,
                                 IDC_GEN_GROUPBY_FIELDS, IDC_GEN_AUTOSAVE,    IDC_GEN_REFRESH,
                                 IDC_GEN_MERGE};
    struct Step {
        int click;  // 0: as opened
        int tabs;
        bool othersEnabled;
        bool sizeEnabled;
    };
    const Step steps[] = {
        {0, 1, false, false},
        {IDC_GEN_DISABLE, 4, true, false},
        {IDC_GEN_NOLARGER, 4, true, true},
        {IDC_GEN_NOLARGER, 4, true, false},
        {IDC_GEN_DISABLE, 1, false, false},
    };
    run([&](HWND window) {
        for (const Step& step : steps) {
            SCOPED_TRACE("after clicking " + std::to_string(step.click));
            if (step.click) click(generalPage(), step.click);
            EXPECT_EQ(tabCount(window), step.tabs);
            if (step.tabs == 4) {
                EXPECT_EQ(tabText(window, 1), "Publish To HTML");
                EXPECT_EQ(tabText(window, 2), "Extras");
                EXPECT_EQ(tabText(window, 3), "ListenBrainz");
            }
            EXPECT_EQ(sheet->GetPageCount(), step.tabs);
            for (int id : allButDisable) {
                if (id == IDC_GEN_DBSIZE) continue;
                EXPECT_EQ(enabled(generalPage(), id), step.othersEnabled) << id;
            }
            EXPECT_EQ(enabled(generalPage(), IDC_GEN_DBSIZE), step.sizeEnabled);
            for (int id : {IDC_GEN_DISABLE, IDC_GEN_NOTSTORE_TEXT, IDC_GEN_GROUPBY_TEXT})
                EXPECT_TRUE(enabled(generalPage(), id));
        }
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
}

TEST_F(Settings, FieldListsAndTheirChoosers) {
    EXPECT_EQ(CGeneralDlg::fieldListText("Group Playtally records by fields:", FieldFlags{}),
              "Group Playtally records by fields: ");
    setString(general, "GroupPlaytallyBy", "0,0,0,0,0,1,1,1,0,0,0,");
    struct Chooser {
        int button;
        int label;
        std::vector<int> greyed;
        int toggle;  // a box to click before OK
        std::string after;
        const char* shot;
    };
    const Chooser choosers[] = {
        {IDC_GEN_NOTSTORE_FIELDS, IDC_GEN_NOTSTORE_TEXT, {IDC_FIELD_LENGTH, IDC_FIELD_PLAYED, IDC_FIELD_DATE},
         IDC_FIELD_YEAR, "Do not store tracks that have no information in fields: Artist, Title, Year", "chooser-required"},
        {IDC_GEN_GROUPBY_FIELDS, IDC_GEN_GROUPBY_TEXT, {}, IDC_FIELD_DATE,
         "Group Playtally records by fields: Date, Artist, Title, Album", "chooser-grouping"},
    };
    const int boxes[] = {IDC_FIELD_LENGTH, IDC_FIELD_PLAYED, IDC_FIELD_TITLE, IDC_FIELD_ARTIST, IDC_FIELD_ALBUM,
                         IDC_FIELD_YEAR,   IDC_FIELD_GENRE,  IDC_FIELD_COMMENT, IDC_FIELD_DATE};
    run([&](HWND window) {
        EXPECT_EQ(text(generalPage(), IDC_GEN_GROUPBY_TEXT), "Group Playtally records by fields: Artist, Title, Album");
        for (const Chooser& c : choosers) {
            SCOPED_TRACE(c.shot);
            DriveResult r = driveModal(
                [&] { click(generalPage(), c.button); },
                [&](HWND chooser) {
                    for (int id : boxes) {
                        bool grey = std::find(c.greyed.begin(), c.greyed.end(), id) != c.greyed.end();
                        EXPECT_EQ(enabled(chooser, id), !grey) << id;
                    }
                    screenshot(chooser, c.shot);
                    EXPECT_FALSE(IsWindowEnabled(window)) << "the sheet waits for its chooser";
                    click(chooser, c.toggle);
                    click(chooser, IDOK);
                },
                "", "#32770", 5000, [&](HWND w) { return w != window; });
            EXPECT_TRUE(r.found);
            EXPECT_EQ(text(generalPage(), c.label), c.after);
        }
        EXPECT_TRUE(enabled(window, kApplyButton));
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_EQ(profile.getString("General", "DoNotStoreFields", ""), "0,0,0,0,0,1,1,0,1,0,0,");
    EXPECT_EQ(profile.getString("General", "GroupPlaytallyBy", ""), "0,1,0,0,0,1,1,1,0,0,0,");
}

TEST_F(Settings, ChangedPathSavesTheOldDatabaseThenLoadsTheNew) {
    const std::string oldDb = dir.file("old.dat"), newDb = dir.file("new.dat");
    setString(general, "DBPath", oldDb);
    ASSERT_TRUE(writeFile(newDb, databaseBytes(plays(3, 2000))));
    for (const Play& p : plays(2, 1000)) doc_.store().append(p.record());
    bool modifiedAtOpening = false;
    run([&](HWND window) {
        // Filling the path edit at opening counts as a change of the database.
        modifiedAtOpening = enabled(window, kApplyButton) && sheet->GeneralPage().settingsChanged();
        type(generalPage(), IDC_GEN_DBPATH, newDb);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_TRUE(modifiedAtOpening);
    EXPECT_EQ(contentOf(oldDb), databaseBytes(plays(2, 1000)));  // saved first
    EXPECT_EQ(recordDates(), (std::vector<TimeValue>{2000, 2001, 2002}));  // then the new one loaded
    EXPECT_EQ(profile.getString("General", "DBPath", ""), newDb);
    EXPECT_EQ(views.events, (std::vector<std::string>{"refresh", "apply general", "apply settings"}));
}

TEST_F(Settings, APathThatCannotHoldTheDatabaseIsRefused) {
    const std::string oldDb = dir.file("old.dat");
    const std::string folder = dir.file("folder"), readOnly = dir.file("readonly.dat"), other = dir.file("other.dat");
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(writeFile(readOnly, databaseBytes(plays(1, 5000))));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(writeFile(other, "MZ\x90\x00 another program's file"));
    struct Case {
        std::string path;
        std::string messageStart;
    };
    const Case cases[] = {
        {folder, "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\n"},
        {readOnly, "Error saving the Dozoderi Playtally Database file.\nThe following reason is given:\n"},
        {other, "Some error occured while opening the Dozoderi Playtally database file."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        setString(general, "DBPath", oldDb);
        ASSERT_TRUE(writeFile(oldDb, databaseBytes(plays(2, 1000))));
        doc_.store().replaceAll({});
        for (const Play& p : plays(3, 1000)) doc_.store().append(p.record());
        const std::string before = contentOf(c.path);
        messages.shown.clear();
        bool stayedOpen = false;
        run([&](HWND window) {
            type(generalPage(), IDC_GEN_DBPATH, c.path);
            SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
            stayedOpen = sheet->GetPageCount() == 4 && GetFocus() == GetDlgItem(generalPage(), IDC_GEN_DBPATH);
            SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(result, IDCANCEL);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text.rfind(c.messageStart, 0), 0u) << messages.shown[0].text;
        EXPECT_EQ(profile.getString("General", "DBPath", ""), oldDb);
        EXPECT_EQ(contentOf(c.path), before);
        EXPECT_EQ(contentOf(oldDb), databaseBytes(plays(2, 1000)));  // not yet saved: nothing applied
        EXPECT_EQ(recordDates().size(), 3u);
    }
    EXPECT_EQ(dir.names().size(), 4u);  // nothing was moved aside or added
}

TEST_F(Settings, DisableSavesAndClosesTheWindow) {
    const std::string db = dir.file("db.dat");
    setString(general, "DBPath", db);
    for (const Play& p : plays(2, 1000)) doc_.store().append(p.record());
    run([&](HWND window) {
        click(generalPage(), IDC_GEN_DISABLE);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
        EXPECT_EQ(tabCount(window), 1);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(contentOf(db), databaseBytes(plays(2, 1000)));
    EXPECT_EQ(readInt(general, "Disable"), 1);
    EXPECT_EQ(views.events, (std::vector<std::string>{"destroy", "apply general", "apply settings"}));
}

TEST_F(Settings, MergeLeavesItsSourceAloneAndAddsNothingFromTheDatabaseItself) {
    const std::string db = dir.file("db.dat"), good = dir.file("good.dat"), damaged = dir.file("damaged.dat"),
                      cut = dir.file("cut.dat");
    setString(general, "DBPath", db);
    ASSERT_TRUE(writeFile(db, databaseBytes(plays(3, 1000))));
    ASSERT_TRUE(writeFile(good, databaseBytes(plays(2, 500))));
    // The second record's length has no known form: the play before it is added.
    ASSERT_TRUE(writeFile(damaged, header() + plays(1, 700)[0].block() + le32(1) + le32(2) + le32(3) +
                                       "\xFF\xFE\xFF\xFF\xFE\xFF" + "abc"));
    // The second record's path claims far more than the file holds: the play before it is added.
    ASSERT_TRUE(writeFile(cut, header() + plays(1, 800)[0].block() + le32(1) + le32(2) + le32(3) + "\xFF\xFF\xFF" +
                                   le32(0x7FFFFFF0) + "abc"));
    // The plays in memory: the file's, less the middle one the user removed since it was saved.
    for (const Play& p : plays(3, 1000))
        if (p.date != 1001) doc_.store().append(p.record());
    struct Case {
        std::string path;
        std::vector<TimeValue> after;
        std::string key;  // of the one message the merge shows
    };
    const Case cases[] = {
        {db, {1000, 1002}, "MergeDBIntoItself"},
        {damaged, {700, 1000, 1002}, "DBFileIsDamaged"},
        {good, {500, 501, 700, 1000, 1002}, ""},
        {cut, {500, 501, 700, 800, 1000, 1002}, "DBFileIsCut"},
    };
    std::map<std::string, std::string> before;
    for (const Case& c : cases) before[c.path] = contentOf(c.path);
    run([&](HWND window) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.path);
            messages.shown.clear();
            DriveResult r = driveModal([&] { click(generalPage(), IDC_GEN_MERGE); },
                                       [&](HWND chooser) {
                                           SetDlgItemTextA(chooser, 0x47c, c.path.c_str());  // the file name box
                                           SetDlgItemTextA(chooser, 0x480, c.path.c_str());
                                           SendMessageA(chooser, WM_COMMAND, IDOK, 0);
                                       },
                                       "Locate A Playtally Database File");
            EXPECT_TRUE(r.found);
            EXPECT_EQ(recordDates(), c.after);
            EXPECT_EQ(contentOf(c.path), before[c.path]);
            EXPECT_EQ(messages.keys(), c.key.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.key});
        }
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(dir.names().size(), 4u);  // nothing moved aside
}

// --- Publish page ---------------------------------------------------------------------------

TEST_F(Settings, PublishEnablingRules) {
    struct Case {
        bool autoPublish;
        int every;
        bool top;
        bool picker, everyList, topCount;
    };
    const Case cases[] = {
        {false, 1, false, false, false, false},
        {true, 0, false, false, true, false},
        {true, 1, true, true, true, true},
    };
    setInt(publish, "Hour", 7);
    setInt(publish, "Minute", 5);
    run([&](HWND window) {
        screenshot(window, "settings-general");
        HWND page = publishPage(window);
        ASSERT_NE(page, nullptr);
        SYSTEMTIME time{};
        EXPECT_EQ(SendMessageA(GetDlgItem(page, IDC_PUB_TIME), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)),
                  GDT_VALID);
        EXPECT_EQ(time.wHour * 100 + time.wMinute, 705);
        EXPECT_EQ(GetWindowLongA(GetDlgItem(page, IDC_PUB_TIME), GWL_STYLE) & ~WS_DISABLED & 0xFFFF000F, 0x50000009);
        for (const Case& c : cases) {
            if (checked(page, IDC_PUB_AUTOPUBLISH) != c.autoPublish) click(page, IDC_PUB_AUTOPUBLISH);
            choose(page, IDC_PUB_EVERY, c.every);
            if (checked(page, IDC_PUB_TOP) != c.top) click(page, IDC_PUB_TOP);
            EXPECT_EQ(enabled(page, IDC_PUB_TIME), c.picker);
            EXPECT_EQ(enabled(page, IDC_PUB_EVERY), c.everyList);
            EXPECT_EQ(enabled(page, IDC_PUB_TOPCOUNT), c.topCount);
        }
        screenshot(window, "settings-publish");
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
}

// --- Extras page ------------------------------------------------------------------------------

TEST_F(Settings, ReadOtherTagsIsOnByDefaultAndStoredByApplyNotByCancel) {
    struct Case {
        int stored;      // -1: no value yet
        bool click;
        int button;      // PSBTN_OK, PSBTN_APPLYNOW then cancel, PSBTN_CANCEL
        bool shownChecked;
        int after;
    };
    const Case cases[] = {
        {-1, false, PSBTN_OK, true, 1},
        {-1, true, PSBTN_OK, true, 0},
        {0, true, PSBTN_APPLYNOW, false, 1},
        {1, true, PSBTN_CANCEL, true, 1},
        {0, false, PSBTN_OK, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.stored) + (c.click ? " clicked, button " : ", button ") + std::to_string(c.button));
        RegistryProfile(key.name()).deleteApplicationKey();
        if (c.stored >= 0) setInt(general, "ReadOtherTags", c.stored);
        bool shown = false;
        std::string caption;
        run([&](HWND window) {
            SendMessageA(window, PSM_SETCURSEL, 2, 0);
            HWND page = sheet->ExtrasPage().GetSafeHwnd();
            ASSERT_NE(page, nullptr);
            shown = checked(page, IDC_EXTRAS_READ_OTHER_TAGS);
            caption = text(page, IDC_EXTRAS_READ_OTHER_TAGS);
            if (c.click) click(page, IDC_EXTRAS_READ_OTHER_TAGS);
            if (c.click && c.button == PSBTN_APPLYNOW) screenshot(window, "settings-extras");
            SendMessageA(window, PSM_PRESSBUTTON, c.button, 0);
            if (c.button == PSBTN_APPLYNOW) SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_EQ(shown, c.shownChecked);
        EXPECT_EQ(caption, "Read ID3v2 tags, and ask Winamp about files without ID3 tags");
        EXPECT_EQ(profile.getInt("General", "ReadOtherTags", 1), c.after);
    }
}

TEST_F(Settings, ListenBrainzPageStoresItsKeysAndTheTokenOnlyProtected) {
    const std::string token = "5a3c1e-typed-token";
    struct Case {
        bool typeToken;
        int button;  // PSBTN_OK or PSBTN_CANCEL
        const char* root;
        bool warned;
        bool stored;  // the keys and the token afterwards
    };
    const Case cases[] = {
        {true, PSBTN_CANCEL, "https://api.listenbrainz.org", false, false},
        {true, PSBTN_OK, "http://192.168.1.5:42010/apis/listenbrainz", true, true},
        {false, PSBTN_OK, "http://localhost:8080", false, true},  // the stored token stays as it was
        {false, PSBTN_OK, "lb.example", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        if (c.button == PSBTN_CANCEL) RegistryProfile(key.name()).deleteApplicationKey();
        bool warned = false;
        int shownLength = -1;
        run([&](HWND window) {
            SendMessageA(window, PSM_SETCURSEL, 3, 0);
            HWND page = sheet->ListenBrainzPage().GetSafeHwnd();
            ASSERT_NE(page, nullptr);
            shownLength = GetWindowTextLengthA(GetDlgItem(page, IDC_LB_TOKEN));
            if (!checked(page, IDC_LB_SEND)) click(page, IDC_LB_SEND);
            if (c.typeToken) type(page, IDC_LB_TOKEN, token);
            type(page, IDC_LB_API_ROOT, c.root);
            warned = !text(page, IDC_LB_WARNING).empty();
            if (c.warned && c.typeToken) screenshot(window, "settings-listenbrainz");
            SendMessageA(window, PSM_PRESSBUTTON, c.button, 0);
        });
        EXPECT_EQ(warned, c.warned);
        EXPECT_EQ(shownLength > 0, !c.typeToken) << "a stored token shows as a password box's dots";
        EXPECT_EQ(profile.getInt("ListenBrainz", "SendPlays", 0), c.stored ? 1 : 0);
        EXPECT_EQ(profile.getString("ListenBrainz", "ApiRoot", ""), c.stored ? c.root : "");
        EXPECT_EQ(tokenvault::load(profile, "ListenBrainz"), c.stored ? token : "");
        const KeyDump dump = dumpKey(key.sectionPath("ListenBrainz"));
        for (const auto& value : dump) EXPECT_EQ(value.second.second.find("typed-token"), std::string::npos) << value.first;
    }
}

namespace {

// A list view cell's text in UTF-8, read as UTF-16 whatever the code page.
std::string listCell(HWND list, int row, int column) {
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return utf16ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(buffer), static_cast<std::size_t>(n)));
}

struct NoServer : IHttpClient {
    int requests = 0;
    HttpResponse send(const HttpRequest&) override { return ++requests, HttpResponse{}; }
};

}  // namespace

TEST_F(Settings, ListenBrainzPageShowsTheRefusedListensAndClearsThem) {
    const std::string database = dir.file("plays.dat");
    const std::string title = "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC";  // beyond any one code page
    {
        COutbox box(systemFileSystem(), outboxPathFor(database));
        box.load();
        box.append("{\"listened_at\":1000000000,\"track_metadata\":{\"artist_name\":\"Old\",\"track_name\":\"" +
                   title + "\"}}");
        box.append("{\"listened_at\":1700000000,\"track_metadata\":{\"artist_name\":\"Kept\",\"track_name\":\"W\"}}");
        box.append("garbage");
        ASSERT_TRUE(box.refuse(box.waiting()[0].id, "Played before October 2002"));
        ASSERT_TRUE(box.refuse(box.waiting()[1].id, "The server refused it: bad listen"));
    }
    auto server = std::make_shared<NoServer>();
    CListenSender listens(ctx);
    listens.start(database, server);  // sending is off: nothing goes out
    sender = &listens;
    ctx.current.DateFormat = "%Y-%m-%d";
    struct Shown {
        int rows = -1;
        std::vector<std::string> cells;
    } shown;
    bool enabledBefore = false, enabledAfter = true;
    std::string tip;
    run([&](HWND window) {
        SendMessageA(window, PSM_SETCURSEL, 3, 0);
        HWND page = sheet->ListenBrainzPage().GetSafeHwnd();
        ASSERT_NE(page, nullptr);
        enabledBefore = IsWindowEnabled(GetDlgItem(page, IDC_LB_SHOW_REFUSED)) && IsWindowEnabled(GetDlgItem(page, IDC_LB_CLEAR_REFUSED));
        EXPECT_EQ(text(page, IDC_LB_SHOW_REFUSED), "Show refused...");
        screenshot(window, "settings-listenbrainz-refused");
        const DriveResult r = driveModal([&] { click(page, IDC_LB_SHOW_REFUSED); },
                                         [&](HWND dialog) {
                                             HWND list = GetDlgItem(dialog, IDC_LB_REFUSED_LIST);
                                             shown.rows = CListCtrl(list).GetItemCount();
                                             for (int row = 0; row < shown.rows; ++row)
                                                 for (int column = 0; column < 4; ++column)
                                                     shown.cells.push_back(listCell(list, row, column));
                                             screenshot(dialog, "listenbrainz-refused-list");
                                             SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
                                         },
                                         "Refused listens");
        EXPECT_TRUE(r.found);
        EXPECT_FALSE(r.forced);
        click(page, IDC_LB_CLEAR_REFUSED);
        enabledAfter = IsWindowEnabled(GetDlgItem(page, IDC_LB_SHOW_REFUSED)) || IsWindowEnabled(GetDlgItem(page, IDC_LB_CLEAR_REFUSED));
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    sender = nullptr;
    listens.stop();
    EXPECT_TRUE(enabledBefore);
    EXPECT_FALSE(enabledAfter) << "nothing left to show or clear";
    EXPECT_EQ(shown.rows, 2);
    EXPECT_EQ(shown.cells, (std::vector<std::string>{"Old", title, formatDate(1000000000, "%Y-%m-%d"), "Played before October 2002",
                                                     "", "", "", "The server refused it: bad listen"}));
    // Cleared at once, as a button's action (Cancel does not bring them back); the waiting listen stays.
    COutbox reread(systemFileSystem(), outboxPathFor(database));
    reread.load();
    EXPECT_TRUE(reread.refused().empty());
    ASSERT_EQ(reread.waiting().size(), 1u);
    EXPECT_NE(reread.waiting()[0].bytes.find("Kept"), std::string::npos);
    EXPECT_EQ(server->requests, 0);
}

// --- Extras page: the plays leave and come back ---------------------------------------------

namespace {

// Fills the common file dialog's name box and presses its OK button (or Cancel with no name).
std::function<void(HWND)> chooseFile(const std::string& path) {
    return [path](HWND chooser) {
        if (path.empty()) {
            SendMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SetDlgItemTextA(chooser, 0x47c, path.c_str());  // the file name box
        SetDlgItemTextA(chooser, 0x480, path.c_str());
        SendMessageA(chooser, WM_COMMAND, IDOK, 0);
    };
}

// Presses Cancel on the progress window as soon as it shows (a thread timer, so that it runs
// inside the export's own message pumping).
HWND g_cancelledProgress = nullptr;
void CALLBACK cancelProgress(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND progress = FindWindowA("#32770", "Please Wait");
    if (!progress || !IsWindowVisible(progress)) return;
    KillTimer(nullptr, timer);
    g_cancelledProgress = progress;
    SendMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
}

}  // namespace

TEST_F(Settings, ExtrasPageExportsAndImportsPlays) {
    for (const Play& p : plays(3, 1100000000)) doc_.store().append(p.record());
    const std::string json = dir.file("plays_lb-2026-12-08.json"), log = dir.file("plays.log"),
                      cancelled = dir.file("never.csv"), in = dir.file("in.scrobbler.log");
    // One listen repeats a stored play (same artist and title, 20 s later), one is new, one skipped.
    const Play first = plays(3, 1100000000)[0];
    ASSERT_TRUE(writeFile(in, "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Rockbox\n" + first.artist + "\t\t" + first.title +
                                  "\t\t200\tL\t1100000020\t\n" + "New\tAlbum\tSong\t\t180\tL\t1100000001\t\n" +
                                  "Skip\t\tIt\t\t180\tS\t1100000002\t\n"));
    setInt(general, "NoLarger", 1);
    setInt(general, "DBSize", 3);
    struct Step {
        int button;
        const char* dialog;
        std::string path;
    };
    const Step steps[] = {
        {IDC_EXTRAS_EXPORT, "Export Plays", json},
        {IDC_EXTRAS_EXPORT, "Export Plays", log},
        {IDC_EXTRAS_EXPORT, "Export Plays", ""},
        {IDC_EXTRAS_IMPORT, "Import Plays", in},
    };
    std::string exportTip, generalSize;
    run([&](HWND window) {
        SendMessageA(window, PSM_SETCURSEL, 2, 0);
        HWND page = sheet->ExtrasPage().GetSafeHwnd();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(text(page, IDC_EXTRAS_EXPORT), "Export plays...");
        EXPECT_EQ(text(page, IDC_EXTRAS_IMPORT), "Import plays...");
        screenshot(window, "settings-extras-exchange");
        for (const Step& step : steps) {
            SCOPED_TRACE(step.path);
            EXPECT_TRUE(driveModal([&] { click(page, step.button); }, chooseFile(step.path), step.dialog).found);
        }
        generalSize = text(generalPage(), IDC_GEN_DBSIZE);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    const std::string exported = contentOf(json);
    EXPECT_EQ(exported.rfind("[{\"listened_at\":1100000000,\"track_metadata\":{\"artist_name\":\"" + first.artist, 0), 0u)
        << exported;
    EXPECT_EQ(contentOf(log).rfind("#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/Dozoderi Playtally 1.4\n" + first.artist, 0), 0u);
    EXPECT_EQ(contentOf(cancelled), "<none>");
    EXPECT_EQ(recordDates(), (std::vector<TimeValue>{1100000000, 1100000001, 1100000001, 1100000002}));
    EXPECT_EQ(doc_.records()[2]->tag.artist(), "New");
    // The question about the size limit was answered Yes: the limit rose, and the General page,
    // which saves its values at OK, shows and keeps the new one.
    ASSERT_GE(messages.shown.size(), 4u);
    EXPECT_NE(messages.shown[2].text.find("hold 4 plays, more than its limit of 3"), std::string::npos);
    EXPECT_EQ(messages.shown[3].key, "PlaysImported");
    EXPECT_NE(messages.shown[3].text.find("1 plays were added to your database; 1 were there already"),
              std::string::npos);
    EXPECT_EQ(generalSize, "4");
    EXPECT_EQ(readInt(general, "DBSize"), 4);
}

TEST_F(Settings, CancelOnTheExportProgressLeavesNoFile) {
    CProgressFactory progress;
    ctx.progress = &progress;
    for (const Play& p : plays(20000, 1000000000)) doc_.store().append(p.record());
    const std::string target = dir.file("plays.csv");
    g_cancelledProgress = nullptr;
    run([&](HWND window) {
        SendMessageA(window, PSM_SETCURSEL, 2, 0);
        HWND page = sheet->ExtrasPage().GetSafeHwnd();
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, cancelProgress);
        EXPECT_TRUE(driveModal([&] { click(page, IDC_EXTRAS_EXPORT); }, chooseFile(target), "Export Plays").found);
        KillTimer(nullptr, timer);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_NE(g_cancelledProgress, nullptr);
    EXPECT_EQ(contentOf(target), "<none>");
    EXPECT_TRUE(dir.names().empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Settings, WinStatesFromTheHideAndWaitBoxes) {
    struct Case {
        std::vector<int> boxes;
        int winStates;
    };
    const Case cases[] = {
        {{IDC_PUB_BEFORE_HIDE, IDC_PUB_BEFORE_WAIT}, 12},
        {{IDC_PUB_AFTER_HIDE}, 1},
        {{IDC_PUB_AFTER_WAIT, IDC_PUB_BEFORE_HIDE}, 6},
    };
    for (const Case& c : cases) {
        setInt(publish, "WinStates", 0);
        run([&](HWND window) {
            HWND page = publishPage(window);
            for (int id : c.boxes) click(page, id);
            SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
        EXPECT_EQ(readInt(publish, "WinStates"), c.winStates);
    }
}

TEST_F(Settings, TimeAndOpenWhenFinishedAreStoredByOkOnly) {
    setInt(publish, "Hour", 7);
    setInt(publish, "Minute", 5);
    setInt(publish, "OpenPublishedFile", 1);
    for (int ending : {PSBTN_OK, PSBTN_CANCEL}) {
        bool applyEnabled = true;
        run([&](HWND window) {
            HWND page = publishPage(window);
            SendMessageA(window, PSM_UNCHANGED, reinterpret_cast<WPARAM>(generalPage()), 0);
            SYSTEMTIME time{};
            GetLocalTime(&time);
            time.wHour = 21;
            time.wMinute = 30;
            SendMessageA(GetDlgItem(page, IDC_PUB_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
            click(page, IDC_PUB_OPEN);
            applyEnabled = enabled(window, kApplyButton);
            SendMessageA(window, PSM_PRESSBUTTON, ending, 0);
        });
        EXPECT_FALSE(applyEnabled);
        const bool ok = ending == PSBTN_OK;
        EXPECT_EQ(readInt(publish, "Hour"), ok ? 21 : 7);
        EXPECT_EQ(readInt(publish, "Minute"), ok ? 30 : 5);
        EXPECT_EQ(readInt(publish, "OpenPublishedFile"), ok ? 0 : 1);
        setInt(publish, "Hour", 7);
        setInt(publish, "Minute", 5);
        setInt(publish, "OpenPublishedFile", 1);
    }
}

TEST_F(Settings, TemplatesPassThroughUnchanged) {
    std::string header;
    while (header.size() < 200000) header += "<p class=\"x\">\tline " + std::to_string(header.size()) + "</p>\n";
    header.resize(200000);
    const std::string item = "<TR>\n<TD>#num</TD>\r\n<TD>#artist</TD>\n</TR>";
    for (int ending : {PSBTN_OK, PSBTN_CANCEL}) {
        RegistryProfile(key.name()).deleteApplicationKey();
        setString(publish, "Header", header);
        setString(publish, "Item", item);
        setString(publish, "Footer", "");
        const KeyDump before = dumpKey(publish);
        std::string shownItem;
        run([&](HWND window) {
            HWND page = publishPage(window);
            shownItem = text(page, IDC_PUB_ITEM);
            // A CR before each line feed, and nothing cut at the edit's default limit.
            EXPECT_EQ(text(page, IDC_PUB_HEADER).size(), header.size() + std::count(header.begin(), header.end(), '\n'));
            SendMessageA(window, PSM_PRESSBUTTON, ending, 0);
        });
        EXPECT_EQ(shownItem, "<TR>\r\n<TD>#num</TD>\r\r\n<TD>#artist</TD>\r\n</TR>");
        const KeyDump after = dumpKey(publish);
        for (const char* name : {"Header", "Item", "Footer"}) {
            ASSERT_TRUE(after.count(name)) << name;
            EXPECT_TRUE(after.at(name) == before.at(name)) << name;
        }
    }
}

TEST_F(Settings, PublishNowStoresEveryKeyAtOnce) {
    run([&](HWND window) {
        HWND page = publishPage(window);
        type(page, IDC_PUB_FILE, "report.html");
        type(page, IDC_PUB_BEFORE, "before.exe");
        click(page, IDC_PUB_LOG);
        click(page, IDC_PUB_AFTER_WAIT);
        click(page, IDC_PUB_PUBLISH_NOW);
        SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    const char* keys[] = {"RunBefore", "RunAfter", "PublishFile", "Item", "Header", "Footer", "Every", "AutoPublish",
                          "PublishLast", "IsTop", "TopCount", "Log", "Hour", "Minute", "OpenPublishedFile", "WinStates",
                          "StatisticsPage", "StatisticsFile"};
    EXPECT_EQ(atPublish.size(), std::size(keys));
    for (const char* name : keys) EXPECT_TRUE(atPublish.count(name)) << name;
    EXPECT_TRUE(dumpKey(publish) == atPublish);  // Cancel did not undo it
    EXPECT_EQ(profile.getString("Zudazide Playtally - Settings", "PublishFile", ""), "report.html");
    EXPECT_EQ(readInt(publish, "Log"), 1);
    EXPECT_EQ(readInt(publish, "WinStates"), 2);
}

// --- Cancel ---------------------------------------------------------------------------------

TEST_F(Settings, CancelRestoresEveryKey) {
    // Every control of both pages is changed; Cancel or the close box, before or after an Apply,
    // leaves both sections as they were at the opening or the Apply.
    auto changeEverything = [&](HWND window, const std::string& tag) {
        HWND g = generalPage();
        for (int id : {IDC_GEN_NOTSTORE, IDC_GEN_SHOWICON, IDC_GEN_REFRESH, IDC_GEN_NOLARGER}) click(g, id);
        click(g, IDC_GEN_NOLARGER);
        click(g, IDC_GEN_NOLARGER);
        type(g, IDC_GEN_DBPATH, dir.file(tag + ".dat"));
        type(g, IDC_GEN_DBSIZE, "77");
        type(g, IDC_GEN_DATEFORMAT, "%Y " + tag);
        type(g, IDC_GEN_STOREAFTER, "9");
        type(g, IDC_GEN_AUTOSAVE, "8");
        HWND p = publishPage(window);
        for (int id : {IDC_PUB_AUTOPUBLISH, IDC_PUB_TOP, IDC_PUB_LOG, IDC_PUB_OPEN, IDC_PUB_BEFORE_HIDE,
                       IDC_PUB_BEFORE_WAIT, IDC_PUB_AFTER_HIDE, IDC_PUB_AFTER_WAIT})
            click(p, id);
        for (int id : {IDC_PUB_FILE, IDC_PUB_BEFORE, IDC_PUB_AFTER, IDC_PUB_HEADER, IDC_PUB_ITEM, IDC_PUB_FOOTER})
            type(p, id, tag + std::to_string(id));
        type(p, IDC_PUB_TOPCOUNT, "3");
        choose(p, IDC_PUB_EVERY, 4);
        choose(p, IDC_PUB_LAST, 0);
        SendMessageA(window, PSM_SETCURSEL, 0, 0);
    };
    struct Case {
        bool applyFirst;
        bool closeBox;
    };
    for (const Case c : {Case{false, false}, Case{false, true}, Case{true, false}}) {
        SCOPED_TRACE(std::string(c.applyFirst ? "apply, " : "") + (c.closeBox ? "close box" : "Cancel"));
        RegistryProfile(key.name()).deleteApplicationKey();
        setString(general, "DBPath", dir.file("db.dat"));
        setString(general, "GroupPlaytallyBy", "0,0,0,0,0,1,1,1,0,0,0,");
        setInt(publish, "Hour", 7);
        KeyDump generalBefore, publishBefore;
        run([&](HWND window) {
            if (c.applyFirst) {
                changeEverything(window, "applied");
                SendMessageA(window, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
            }
            generalBefore = dumpKey(general);
            publishBefore = dumpKey(publish);
            changeEverything(window, "cancelled");
            if (c.closeBox)
                SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        });
        EXPECT_TRUE(dumpKey(general) == generalBefore);
        EXPECT_TRUE(dumpKey(publish) == publishBefore);
        EXPECT_EQ(views.events.back(), "apply settings");
    }
}

// What the pages store, read back from the registry itself and compared with the keys, types and
// bytes the settings have always been stored with: untouched defaults at OK, every control
// changed and then Apply (with later changes cancelled) or OK, and Cancel alone, which stores
// nothing.
TEST_F(Settings, EveryKeyIsStoredAsItAlwaysWas) {
    auto number = dwordValue;
    auto textOf = textValue;
    std::time_t now = clock.time;
    std::tm local{};
    ASSERT_EQ(localtime_s(&local, &now), 0);
    const std::string db = dir.file("plays.dat");
    const KeyDump generalDefaults = {
        {"RefreshOnEachTrack", number(0)}, {"Disable", number(0)}, {"NoLarger", number(1)}, {"NotStore", number(0)},
        {"ShowIcon", number(1)}, {"DBSize", number(1000)}, {"DateFormat", textOf("%m/%d/%y %H:%M")},
        {"DBPath", textOf("guest's Playtally database.dat")}, {"AutoSave", number(30)},
        {"StoreAfterIntervalSec", number(30)}, {"DoNotStoreFields", textOf("0,0,0,0,0,1,1,0,0,0,0,")},
        {"GroupPlaytallyBy", textOf("0,0,0,0,0,1,1,1,0,0,0,")}};
    const KeyDump publishDefaults = {
        {"RunBefore", textOf("")}, {"RunAfter", textOf("")}, {"PublishFile", textOf("MyPlaytally.html")},
        {"Item", textOf(loadString(IDS_DEFAULT_ITEM))}, {"Header", textOf(loadString(IDS_DEFAULT_HEADER) + loadString(IDS_DEFAULT_HEADER_END))},
        {"Footer", textOf(loadString(IDS_DEFAULT_FOOTER))}, {"Every", number(2)}, {"AutoPublish", number(0)},
        {"PublishLast", number(3)}, {"IsTop", number(0)}, {"TopCount", number(20)}, {"Log", number(0)},
        {"Hour", number(local.tm_hour)}, {"Minute", number(local.tm_min)}, {"OpenPublishedFile", number(1)},
        {"WinStates", number(0)}, {"StatisticsPage", number(1)}, {"StatisticsFile", textOf("MyPlaytallyStatistics.html")}};
    const KeyDump generalChanged = {
        {"RefreshOnEachTrack", number(1)}, {"Disable", number(0)}, {"NoLarger", number(0)}, {"NotStore", number(1)},
        {"ShowIcon", number(0)}, {"DBSize", number(250)}, {"DateFormat", textOf("%Y-%m-%d")}, {"DBPath", textOf(db)},
        {"AutoSave", number(0)}, {"StoreAfterIntervalSec", number(12)},
        {"DoNotStoreFields", textOf("0,0,0,0,0,1,1,0,0,0,0,")}, {"GroupPlaytallyBy", textOf("0,0,0,0,0,1,1,1,0,0,0,")}};
    const KeyDump publishChanged = {
        {"RunBefore", textOf("before.exe")}, {"RunAfter", textOf("after.exe /x")}, {"PublishFile", textOf("out.html")},
        {"Item", textOf("#num")}, {"Header", textOf("<h>\n#sdate")}, {"Footer", textOf("")}, {"Every", number(0)},
        {"AutoPublish", number(1)}, {"PublishLast", number(4)}, {"IsTop", number(1)}, {"TopCount", number(7)},
        {"Log", number(1)}, {"Hour", number(21)}, {"Minute", number(30)}, {"OpenPublishedFile", number(0)},
        {"WinStates", number(12)}, {"StatisticsPage", number(0)}, {"StatisticsFile", textOf("stats.html")}};
    auto changeEverything = [&](HWND window) {
        HWND g = generalPage();
        type(g, IDC_GEN_DBSIZE, "250");
        for (int id : {IDC_GEN_NOTSTORE, IDC_GEN_SHOWICON, IDC_GEN_REFRESH, IDC_GEN_NOLARGER}) click(g, id);
        type(g, IDC_GEN_DBPATH, db);
        type(g, IDC_GEN_DATEFORMAT, "%Y-%m-%d");
        type(g, IDC_GEN_STOREAFTER, "12");
        type(g, IDC_GEN_AUTOSAVE, "0");
        HWND p = publishPage(window);
        for (int id : {IDC_PUB_AUTOPUBLISH, IDC_PUB_TOP, IDC_PUB_LOG, IDC_PUB_OPEN, IDC_PUB_BEFORE_HIDE,
                       IDC_PUB_BEFORE_WAIT, IDC_PUB_STATS})
            click(p, id);
        choose(p, IDC_PUB_EVERY, 0);
        choose(p, IDC_PUB_LAST, 4);
        const std::pair<int, const char*> texts[] = {{IDC_PUB_FILE, "out.html"},  {IDC_PUB_BEFORE, "before.exe"},
                                                     {IDC_PUB_AFTER, "after.exe /x"}, {IDC_PUB_HEADER, "<h>\r\n#sdate"},
                                                     {IDC_PUB_ITEM, "#num"},      {IDC_PUB_FOOTER, ""},
                                                     {IDC_PUB_TOPCOUNT, "7"},     {IDC_PUB_STATSFILE, "stats.html"}};
        for (const auto& [id, typed] : texts) type(p, id, typed);
        SYSTEMTIME time{};
        GetLocalTime(&time);
        time.wHour = 21;
        time.wMinute = 30;
        SendMessageA(GetDlgItem(p, IDC_PUB_TIME), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    };
    struct Case {
        const char* name;
        bool change, applyThenChangeAgain;
        int ending;
        const KeyDump *general, *publish;  // null: nothing stored
    };
    const Case cases[] = {
        {"untouched, OK", false, false, PSBTN_OK, &generalDefaults, &publishDefaults},
        {"changed, Apply, changed again, Cancel", true, true, PSBTN_CANCEL, &generalChanged, &publishChanged},
        {"changed, OK", true, false, PSBTN_OK, &generalChanged, &publishChanged},
        {"changed, Cancel", true, false, PSBTN_CANCEL, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryProfile(key.name()).deleteApplicationKey();
        run([&](HWND window) {
            publishPage(window);
            SendMessageA(window, PSM_SETCURSEL, 0, 0);
            if (c.change) changeEverything(window);
            if (c.applyThenChangeAgain) {
                SendMessageA(window, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
                type(generalPage(), IDC_GEN_DATEFORMAT, "%H");
                click(publishPage(window), IDC_PUB_AFTER_HIDE);
            }
            SendMessageA(window, PSM_PRESSBUTTON, c.ending, 0);
        });
        for (const auto& [path, expected] : {std::make_pair(general, c.general), std::make_pair(publish, c.publish)}) {
            const KeyDump stored = dumpKey(path);
            if (!expected) {
                EXPECT_TRUE(stored.empty());
                continue;
            }
            EXPECT_EQ(keyDumpDifferences(stored, *expected), "");
        }
    }
}

TEST_F(Settings, TemplateEditorButtons) {
    struct Case {
        int button;
        const char* key;
        int editorButton;
        std::string stored;  // after the sheet's OK
        bool modified;
    };
    const Case cases[] = {
        {IDC_PUB_HEADER_EDIT, "Header", IDOK, "<h1>\n#sdate</h1>", true},
        {IDC_PUB_FOOTER_EDIT, "Footer", IDCANCEL, "old footer", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        setString(publish, c.key, "old footer");
        bool applyEnabled = false;
        run([&](HWND window) {
            HWND page = publishPage(window);
            SendMessageA(window, PSM_UNCHANGED, reinterpret_cast<WPARAM>(generalPage()), 0);
            DriveResult r = driveModal([&] { click(page, c.button); },
                                       [&](HWND editor) {
                                           EXPECT_FALSE(IsWindowEnabled(window)) << "the sheet waits for its editor";
                                           SetDlgItemTextA(editor, IDC_HTMLEDIT_TEXT, "<h1>\r\n#sdate</h1>");
                                           click(editor, c.editorButton);
                                       },
                                       "Edit");
            EXPECT_TRUE(r.found);
            applyEnabled = enabled(window, kApplyButton);
            SendMessageA(window, PSM_PRESSBUTTON, PSBTN_OK, 0);
        });
        EXPECT_EQ(applyEnabled, c.modified);
        EXPECT_EQ(profile.getString("Zudazide Playtally - Settings", c.key, ""), c.stored);
    }
}

// --- The application's config -----------------------------------------------------------------

TEST(SettingsConfig, OneSheetAtATimeAndASecondRequestBringsItToTheFront) {
    RegistryProfile(applicationNameFromModule(GetModuleHandleA(nullptr))).deleteApplicationKey();
    {
        CPlaytallyApp app(GetModuleHandleA(nullptr));
        int sheets = -1;
        bool openDuring = false;
        DriveResult r = driveModal([&] { app.config(); },
                                   [&](HWND window) {
                                       // Another window in front, then the tray menu asks again.
                                       HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50,
                                                                    50, nullptr, nullptr, nullptr, nullptr);
                                       SetForegroundWindow(other);
                                       EXPECT_EQ(GetForegroundWindow(), other);
                                       app.config();
                                       openDuring = app.settingsSheetOpen();
                                       sheets = 0;
                                       EnumThreadWindows(
                                           GetCurrentThreadId(),
                                           [](HWND w, LPARAM count) {
                                               char caption[64] = {};
                                               GetWindowTextA(w, caption, sizeof caption);
                                               if (IsWindowVisible(w) && std::string(caption) == kCaption)
                                                   ++*reinterpret_cast<int*>(count);
                                               return TRUE;
                                           },
                                           reinterpret_cast<LPARAM>(&sheets));
                                       EXPECT_EQ(GetForegroundWindow(), window);
                                       DestroyWindow(other);
                                       SendMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                                   },
                                   kCaption);
        EXPECT_TRUE(r.found);
        EXPECT_TRUE(openDuring);
        EXPECT_EQ(sheets, 1);
        EXPECT_FALSE(app.settingsSheetOpen());
    }
    RegistryProfile(applicationNameFromModule(GetModuleHandleA(nullptr))).deleteApplicationKey();
}

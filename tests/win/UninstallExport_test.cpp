// The real plug-in's uninstall export, called as the player's preferences call it: a copy of the
// DLL under a name of its own (so its settings are its own), its question answered by its window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Screenshot.h"
#include "WinTestSupport.h"
#include "plugin/win/PluginRecord.h"
#include "resources/resource.h"

namespace {
using UninstallFn = int (*)(HINSTANCE, HWND, int);

std::string windowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void writeFile(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fputs("plays", f);
        std::fclose(f);
    }
}

std::string logonName() {
    char name[256] = {};
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) && name[0] ? name : "unknown_user";
}

struct UninstallCase {
    const char* what;
    bool yes;              // the answer
    const char* dbPath;    // "DBPath"; nullptr: not set (the default name)
    const char* named;     // the file the settings name, relative to the plug-in folder
    bool removed;          // the named file and the registry key are gone afterwards
    bool running = false;  // the player started the plug-in (init) first, and quits it afterwards
    bool locked = false;   // another program holds the named file open: it stays, and a notice says so
};

// Answers the notice of the keyed message dialog (its OK button) and keeps its text.
thread_local std::string* t_notice = nullptr;
void CALLBACK answerNotice(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM) -> BOOL {
        if (!IsWindowVisible(window) || !GetDlgItem(window, IDOK) || GetDlgItem(window, IDYES)) return TRUE;
        char text[1024] = {};
        GetDlgItemTextA(window, IDC_MESSAGE_TEXT, text, sizeof text);
        *t_notice = text;
        SendMessageA(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
        return FALSE;
    }, 0);
}
}  // namespace

TEST(UninstallExport, AsksOnceAndRemovesOnlyWhatTheSettingsNameOnYes) {
    const std::string folder = windowsPath(PTLY_BINARY_DIR "/tests/uninstall_export");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string dll = folder + "\\ptly_test_uninstall.dll";
    ASSERT_TRUE(CopyFileA(windowsPath(PTLY_PLUGIN_DLL).c_str(), dll.c_str(), FALSE));
    const std::string defaultName = logonName() + "'s Playtally database.dat";
    const std::string elsewhere = windowsPath(PTLY_BINARY_DIR "/tests/uninstall_export_elsewhere.dat");

    const UninstallCase cases[] = {
        {"No keeps everything", false, nullptr, defaultName.c_str(), false},
        {"Yes, the default database", true, nullptr, defaultName.c_str(), true},
        {"Yes, a bare name in the plug-in folder", true, "mine.dat", "mine.dat", true},
        {"Yes, a full path", true, elsewhere.c_str(), nullptr, true},
        {"Yes, no database file yet", true, "never saved.dat", nullptr, true},
        {"Yes while running: quit saves and writes nothing back", true, "never saved.dat", nullptr, true, true},
        {"Yes, the database in use", true, "mine.dat", "mine.dat", true, false, true},
    };
    // A manifest of the user's own beside the "player": the plug-in leaves it alone and says nothing.
    writeFile(windowsPath(PTLY_BINARY_DIR "/tests/winamp.exe.manifest"));
    for (const UninstallCase& c : cases) {
        SCOPED_TRACE(c.what);
        TestApplicationKey app("uninstall");
        const DWORD zero = 0;
        rawWriteValue(app.sectionPath("Main"), "First Time", REG_DWORD, &zero, sizeof zero);
        if (c.dbPath) rawWriteValue(app.sectionPath("General"), "DBPath", REG_SZ, c.dbPath, lstrlenA(c.dbPath) + 1);
        const std::string files[] = {folder + "\\" + defaultName, folder + "\\mine.dat", elsewhere};
        for (const std::string& f : files) writeFile(f);
        const std::string named = c.named ? folder + "\\" + c.named : c.dbPath && c.dbPath == elsewhere ? elsewhere : "";

        HMODULE module = LoadLibraryA(dll.c_str());
        ASSERT_NE(module, nullptr);
        auto uninstall = reinterpret_cast<UninstallFn>(GetProcAddress(module, "winampUninstallPlugin"));
        ASSERT_NE(uninstall, nullptr);
        winampGeneralPurposePlugin* record = nullptr;
        HWND player = nullptr;
        if (c.running) {
            player = CreateWindowA("STATIC", "player", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
            auto get = reinterpret_cast<GetGeneralPurposePluginFn>(GetProcAddress(module, kGetGeneralPurposePluginName));
            ASSERT_NE(get, nullptr);
            record = get();
            record->hwndParent = player;
            record->hDllInstance = module;
            ASSERT_EQ(record->init(), 0);
        }
        int result = -1;
        std::string text, notice;
        bool boxEnabled = true;
        t_notice = &notice;
        const UINT_PTR noticeTimer = SetTimer(nullptr, 0, 20, &answerNotice);
        HANDLE held = c.locked ? CreateFileA(named.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
        auto run = driveModal([&] { result = uninstall(module, nullptr, 0); },
                              [&](HWND dialog) {
                                  char buffer[1024] = {};
                                  GetDlgItemTextA(dialog, IDC_MESSAGE_TEXT, buffer, sizeof buffer);
                                  text = buffer;
                                  boxEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_DONT_SHOW_AGAIN)) != FALSE;
                                  saveWindowScreenshot(dialog, "uninstall_question");
                                  SendMessageA(GetDlgItem(dialog, c.yes ? IDYES : IDCANCEL), BM_CLICK, 0, 0);
                              },
                              "Winamp - Dozoderi Playtally");
        KillTimer(nullptr, noticeTimer);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        // The player's Configure button after the data went: no sheet, nothing written back.
        const bool sheetAfterRemoval =
            record && c.yes &&
            driveModal([&] { record->config(); },
                       [](HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); }, "", "#32770", 2000)
                .found;
        EXPECT_FALSE(sheetAfterRemoval);
        if (record) record->quit();
        FreeLibrary(module);  // the player's unload: nothing may write the settings back
        if (player) DestroyWindow(player);

        ASSERT_TRUE(run.found);
        EXPECT_FALSE(run.forced);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(text.rfind("Do you also want to remove your plays and settings?", 0), 0u) << text;
        EXPECT_FALSE(boxEnabled);  // an empty key: the question cannot be silenced
        EXPECT_EQ(rawKeyExists("software\\Dozoderi Playtally v 1.2\\" + app.name()), !c.removed);
        for (const std::string& f : files) EXPECT_EQ(fileExists(f), !(c.removed && !c.locked && f == named)) << f;
        const std::string expectedNotice = c.locked ? "The Playtally database file could not be removed:\n" + named : "";
        EXPECT_EQ(notice.substr(0, expectedNotice.size()), expectedNotice);
        EXPECT_EQ(notice.empty(), !c.locked) << notice;
        EXPECT_FALSE(fileExists(folder + "\\never saved.dat"));
    }
}

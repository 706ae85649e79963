// Helpers for the Windows-side tests: driving modal windows from inside their own message loop,
// counting window creations, and registry keys that clean up after themselves.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Runs `run`, which shows a modal window on this thread, and calls `act` with the first visible
// top-level window of this thread whose class is `className` and whose caption is `caption`
// ("" matches any). A thread timer looks for the window from inside the modal loop. If the
// window stays open for `closeAfterMs` after `act` (or none appears in that time), it is closed
// (WM_CLOSE) so that a failing test cannot hang.
struct DriveResult {
    bool found = false;     // the window appeared and `act` ran
    bool forced = false;    // the window had to be closed by force
};
// `accept`, when given, must also agree to the window (to tell apart windows of one class).
DriveResult driveModal(const std::function<void()>& run, const std::function<void(HWND)>& act,
                       const std::string& caption = "", const char* className = "#32770",
                       int closeAfterMs = 5000, const std::function<bool(HWND)>& accept = nullptr);

// Counts the windows created on this thread while it lives (a CBT hook).
class WindowCreationCounter {
public:
    WindowCreationCounter();
    ~WindowCreationCounter();
    int count() const;
};

// A registry application name unique to one test, whose key is deleted before and after the test.
class TestApplicationKey {
public:
    explicit TestApplicationKey(const std::string& testName);
    ~TestApplicationKey();
    const std::string& name() const { return name_; }
    // "software\Dozoderi Playtally v 1.2\<name>\<section>"
    std::string sectionPath(const std::string& section) const;

private:
    std::string name_;
};

// Raw registry access below HKEY_CURRENT_USER, independent of the code under test.
bool rawReadValue(const std::string& path, const std::string& name, DWORD& type, std::string& bytes);
bool rawWriteValue(const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size);
bool rawKeyExists(const std::string& path);
int rawValueCount(const std::string& path);
// Every value of one registry key: name -> type and bytes.
using KeyDump = std::map<std::string, std::pair<DWORD, std::string>>;
KeyDump dumpKey(const std::string& path);
// One line for each value that is missing, extra, or of another type or bytes than expected;
// "" when the two agree.
std::string keyDumpDifferences(const KeyDump& stored, const KeyDump& expected);
// A REG_DWORD's and a REG_SZ's type and bytes, as a KeyDump holds them.
std::pair<DWORD, std::string> dwordValue(DWORD number);
std::pair<DWORD, std::string> textValue(const std::string& text);

// A dialog control's rectangle in the dialog's client coordinates, and the pixel rectangle that a
// template rectangle in dialog units gives.
RECT controlRectInDialog(HWND dialog, int controlId);
RECT dialogUnitsToPixels(HWND dialog, int x, int y, int width, int height);

// --- Files for the tests of the database and the settings pages ---
// A file's bytes ("<none>" when it cannot be read), and writing a file's bytes.
std::string contentOf(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);

// A fresh folder under the temporary folder, emptied and removed afterwards.
class WinTempDir {
public:
    WinTempDir();
    ~WinTempDir();
    WinTempDir(const WinTempDir&) = delete;
    WinTempDir& operator=(const WinTempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }
    std::vector<std::string> names() const;

private:
    static void removeAll(const std::string& folder);
    std::string path_;
};

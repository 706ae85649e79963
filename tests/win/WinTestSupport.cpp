#include "WinTestSupport.h"

#include <cstdio>
#include <vector>

#include "plugin/win/RegistryProfile.h"

namespace {
struct DriveState {
    std::function<void(HWND)> act;
    std::function<bool(HWND)> accept;
    std::string caption;
    std::string className;
    int closeAfterMs = 0;
    DWORD started = 0;
    DWORD acted = 0;
    HWND window = nullptr;
    DriveResult result;
};
thread_local DriveState* t_drive = nullptr;

HWND findWindow(const DriveState& state) {
    struct Search {
        const DriveState* state;
        HWND found;
    } search{&state, nullptr};
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            if (!::IsWindowVisible(window)) return TRUE;
            char className[64] = {}, caption[256] = {};
            ::GetClassNameA(window, className, sizeof className);
            ::GetWindowTextA(window, caption, sizeof caption);
            if (s->state->className != className) return TRUE;
            if (!s->state->caption.empty() && s->state->caption != caption) return TRUE;
            if (s->state->accept && !s->state->accept(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK driveTick(HWND, UINT, UINT_PTR, DWORD) {
    DriveState* state = t_drive;
    if (!state) return;
    DWORD now = ::GetTickCount();
    if (!state->result.found) {
        if (HWND window = findWindow(*state)) {
            state->result.found = true;
            state->window = window;
            state->acted = now;
            state->act(window);
        } else if (now - state->started > static_cast<DWORD>(state->closeAfterMs)) {
            state->started = now;  // nothing to close: the run ends by itself or the test times out
        }
        return;
    }
    if (::IsWindow(state->window) && ::IsWindowVisible(state->window) &&
        now - state->acted > static_cast<DWORD>(state->closeAfterMs)) {
        state->result.forced = true;
        ::PostMessageA(state->window, WM_CLOSE, 0, 0);
        state->acted = now;
    }
}

thread_local HHOOK t_cbtHook = nullptr;
thread_local int t_created = 0;

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) ++t_created;
    return ::CallNextHookEx(t_cbtHook, code, wParam, lParam);
}
}  // namespace

DriveResult driveModal(const std::function<void()>& run, const std::function<void(HWND)>& act,
                       const std::string& caption, const char* className, int closeAfterMs,
                       const std::function<bool(HWND)>& accept) {
    DriveState state;
    state.act = act;
    state.accept = accept;
    state.caption = caption;
    state.className = className;
    state.closeAfterMs = closeAfterMs;
    state.started = ::GetTickCount();
    DriveState* outer = t_drive;
    t_drive = &state;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &driveTick);
    run();
    ::KillTimer(nullptr, timer);
    t_drive = outer;
    // Drop a tick that may still wait in the queue.
    MSG message;
    while (::PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    return state.result;
}

WindowCreationCounter::WindowCreationCounter() {
    t_created = 0;
    t_cbtHook = ::SetWindowsHookExA(WH_CBT, &cbtHook, nullptr, ::GetCurrentThreadId());
}

WindowCreationCounter::~WindowCreationCounter() {
    if (t_cbtHook) ::UnhookWindowsHookEx(t_cbtHook);
    t_cbtHook = nullptr;
}

int WindowCreationCounter::count() const { return t_created; }

TestApplicationKey::TestApplicationKey(const std::string& testName) : name_("ptly_test_" + testName) {
    RegistryProfile(name_).deleteApplicationKey();
}

TestApplicationKey::~TestApplicationKey() { RegistryProfile(name_).deleteApplicationKey(); }

std::string TestApplicationKey::sectionPath(const std::string& section) const {
    return "software\\Dozoderi Playtally v 1.2\\" + name_ + "\\" + section;
}

bool rawReadValue(const std::string& path, const std::string& name, DWORD& type, std::string& bytes) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        std::vector<char> data(size + 1);
        ok = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) ==
             ERROR_SUCCESS;
        bytes.assign(data.data(), size);
    }
    ::RegCloseKey(key);
    return ok;
}

bool rawWriteValue(const std::string& path, const std::string& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = ::RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

bool rawKeyExists(const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

int rawValueCount(const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                       nullptr);
    ::RegCloseKey(key);
    return static_cast<int>(values);
}

KeyDump dumpKey(const std::string& path) {
    KeyDump dump;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return dump;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0, size = 0;
        if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameSize = sizeof name;
        ::RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        dump[name] = {type, data.substr(0, size)};
    }
    ::RegCloseKey(key);
    return dump;
}

std::string keyDumpDifferences(const KeyDump& stored, const KeyDump& expected) {
    auto shown = [](const std::pair<DWORD, std::string>& value) {
        std::string bytes;
        for (unsigned char c : value.second) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            bytes += c >= 32 && c < 127 ? std::string(1, char(c)) : std::string(hex);
        }
        return "type " + std::to_string(value.first) + " \"" + bytes + "\"";
    };
    std::string differences;
    for (const auto& [name, value] : expected) {
        auto found = stored.find(name);
        if (found == stored.end()) differences += name + ": not stored\n";
        else if (found->second != value) differences += name + ": " + shown(found->second) + ", not " + shown(value) + "\n";
    }
    for (const auto& [name, value] : stored)
        if (!expected.count(name)) differences += name + ": stored, not expected (" + shown(value) + ")\n";
    return differences;
}

std::pair<DWORD, std::string> dwordValue(DWORD number) {
    return {DWORD(REG_DWORD), std::string(reinterpret_cast<const char*>(&number), sizeof number)};
}

std::pair<DWORD, std::string> textValue(const std::string& text) { return {DWORD(REG_SZ), text + '\0'}; }

RECT controlRectInDialog(HWND dialog, int controlId) {
    RECT rect{};
    HWND control = ::GetDlgItem(dialog, controlId);
    if (!control) return rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT dialogUnitsToPixels(HWND dialog, int x, int y, int width, int height) {
    // The dialog manager converts the position and the size each on their own.
    RECT units{x, y, width, height};
    ::MapDialogRect(dialog, &units);
    return RECT{units.left, units.top, units.left + units.right, units.top + units.bottom};
}

// --- Files for the tests of the database and the settings pages ---

std::string contentOf(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<none>";
    std::string out;
    std::vector<char> buffer(65536);
    DWORD got = 0;
    while (ReadFile(h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0)
        out.append(buffer.data(), got);
    CloseHandle(h);
    return out;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    CloseHandle(h);
    return ok;
}

WinTempDir::WinTempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (unsigned n = GetTickCount();; ++n) {
        path_ = std::string(base) + "ptlydb" + std::to_string(n);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    }
}

WinTempDir::~WinTempDir() { removeAll(path_); }

std::vector<std::string> WinTempDir::names() const {
    std::vector<std::string> out;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") out.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return out;
}

void WinTempDir::removeAll(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeAll(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}

#include "host/Plugins.h"

#include <algorithm>
#include <cstdio>

#include "host/Log.h"

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The windows left open by a config call: every visible top-level window of this thread but
// the main one. Closing them is what a user pressing Cancel or the close box would do.
HWND g_configMain = nullptr;

BOOL CALLBACK closeOne(HWND window, LPARAM) {
    if (window == g_configMain || !IsWindowVisible(window)) return TRUE;
    char caption[256] = {}, cls[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, cls, sizeof cls);
    logLine(std::string("config: closing window ") + quoted(caption) + " (class " + cls + ")");
    PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

void CALLBACK closeConfigWindows(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), closeOne, 0);
}

}  // namespace

void Plugins::load(const std::string& folder, HWND mainWindow) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\gen_*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        logLine("plugins: none in " + quoted(folder));
        return;
    }
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());

    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        HMODULE module = LoadLibraryA(path.c_str());
        if (!module) {
            logLine("plugin " + name + ": cannot be loaded (error " + std::to_string(GetLastError()) + ")");
            continue;
        }
        auto get = reinterpret_cast<GetGeneralPurposePluginFn>(GetProcAddress(module, kGetGeneralPurposePluginName));
        winampGeneralPurposePlugin* record = get ? get() : nullptr;
        if (!record) {
            logLine("plugin " + name + ": no " + kGetGeneralPurposePluginName + " record, unloaded");
            FreeLibrary(module);
            continue;
        }
        if (record->version != kGeneralPurposePluginVersion) {
            logLine("plugin " + name + ": record version " + std::to_string(record->version) + ", not " +
                    std::to_string(kGeneralPurposePluginVersion) + ", unloaded");
            FreeLibrary(module);
            continue;
        }
        record->hwndParent = mainWindow;
        record->hDllInstance = module;
        logLine("plugin " + name + ": loaded, calling init");
        const int result = record->init ? record->init() : -1;
        const char* description = record->description ? record->description : "";
        logLine("plugin " + name + ": init returned " + std::to_string(result) + ", description " + quoted(description));
        if (result != 0) {
            logLine("plugin " + name + ": unloaded");
            FreeLibrary(module);
            continue;
        }
        loaded_.push_back({name, module, record});
    }
}

void Plugins::config(HWND mainWindow, double closeAfterSeconds) {
    UINT_PTR closer = 0;
    if (closeAfterSeconds >= 0) {
        g_configMain = mainWindow;
        // A thread timer: it ticks inside the modal loop of whatever dialog config runs, and
        // keeps ticking at the same period for windows that come later.
        const UINT period = static_cast<UINT>(closeAfterSeconds * 1000);
        closer = SetTimer(nullptr, 0, period > 10 ? period : 10, closeConfigWindows);
    }
    for (const Loaded& p : loaded_) {
        logLine("plugin " + p.name + ": calling config");
        if (p.record->config) p.record->config();
        logLine("plugin " + p.name + ": config returned");
    }
    if (closer) KillTimer(nullptr, closer);
}

void Plugins::quitAll() {
    for (const Loaded& p : loaded_) {
        logLine("plugin " + p.name + ": calling quit");
        if (p.record->quit) p.record->quit();
    }
    for (const Loaded& p : loaded_) {
        FreeLibrary(p.module);
        logLine("plugin " + p.name + ": unloaded");
    }
    loaded_.clear();
}

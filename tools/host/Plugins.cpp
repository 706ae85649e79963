#include "tools/host/Plugins.h"

#include <algorithm>
#include <cstdio>

#include "tools/host/Log.h"
#include "tools/host/WindowCloser.h"

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

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
    const bool wasArmed = WindowCloser::armed();
    const double wasSeconds = WindowCloser::seconds();
    if (closeAfterSeconds >= 0) WindowCloser::arm(mainWindow, closeAfterSeconds);
    for (const Loaded& p : loaded_) {
        logLine("plugin " + p.name + ": calling config");
        if (p.record->config) p.record->config();
        logLine("plugin " + p.name + ": config returned");
    }
    if (closeAfterSeconds >= 0) {
        if (wasArmed)
            WindowCloser::arm(mainWindow, wasSeconds);
        else
            WindowCloser::disarm();
    }
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

// The general-purpose plug-ins of the stand-in: every gen_*.dll in the Plugins folder beside
// the executable, loaded and initialised as the real player does, and shut down at exit.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "plugin/win/PluginRecord.h"

class Plugins {
public:
    // Loads each gen_*.dll of `folder` in name order, fills in the main window and the module
    // handle and calls init. A DLL without the export, with another record version, or whose
    // init fails is unloaded again. Everything is logged.
    void load(const std::string& folder, HWND mainWindow);
    // Calls each plug-in's config. With `closeAfterSeconds` >= 0, the windows the call shows
    // are closed after that long (WindowCloser), so that a script goes on past a modal dialog.
    void config(HWND mainWindow, double closeAfterSeconds);
    // Calls quit for each plug-in, then unloads them all.
    void quitAll();
    std::size_t count() const { return loaded_.size(); }

private:
    struct Loaded {
        std::string name;
        HMODULE module;
        winampGeneralPurposePlugin* record;
    };
    std::vector<Loaded> loaded_;
};

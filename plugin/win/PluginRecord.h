// The general-purpose plug-in record as the player reads it: the address returned by the
// DLL's only export, winampGetGeneralPurposePlugin. The player fills in its main window and the
// plug-in's module handle, then calls init; config and quit come later, all on its UI thread.
#pragma once
#include <windows.h>

// The record layout this plug-in and the player agree on.
constexpr int kGeneralPurposePluginVersion = 16;

struct winampGeneralPurposePlugin {
    int version;              // kGeneralPurposePluginVersion
    char* description;        // ANSI text, shown in the player's plug-in list
    int (*init)();            // returns 0 on success
    void (*config)();
    void (*quit)();
    HWND hwndParent;          // the player's main window, filled in by the player
    HINSTANCE hDllInstance;   // the plug-in's module, filled in by the player
};

// The shipped build is 32-bit: seven 32-bit fields, no padding.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(winampGeneralPurposePlugin) == 28, "the record must be seven 32-bit fields");
#endif

// The type of the export, as the player looks it up by name.
using GetGeneralPurposePluginFn = winampGeneralPurposePlugin* (*)();
constexpr const char kGetGeneralPurposePluginName[] = "winampGetGeneralPurposePlugin";
// The class name of the player's main window.
constexpr const char kWinampWindowClass[] = "Winamp v1.x";

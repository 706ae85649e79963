// The plug-in's exports and the record the player reads through it. The record's entries
// are trampolines into the application object; no exception may unwind into the player.
#include <windows.h>

#include "framework/Wnd.h"
#include "app/PlaytallyApp.h"
#include "plugin/win/PluginRecord.h"

namespace {

char g_emptyDescription[] = "";

int pluginInit();
void pluginConfig();
void pluginQuit();

winampGeneralPurposePlugin g_record = {
    kGeneralPurposePluginVersion, g_emptyDescription, &pluginInit, &pluginConfig, &pluginQuit, nullptr, nullptr,
};

int pluginInit() {
    try {
        CPlaytallyApp& app = theApp();
        app.init(g_record.hwndParent);
        g_record.description = const_cast<char*>(app.description());
    } catch (...) {
        reportCallbackException("init");
    }
    return 0;
}

void pluginConfig() {
    try {
        theApp().config();
    } catch (...) {
        reportCallbackException("config");
    }
}

void pluginQuit() {
    try {
        theApp().quit();
    } catch (...) {
        reportCallbackException("quit");
    }
}

}  // namespace

extern "C" __declspec(dllexport) winampGeneralPurposePlugin* winampGetGeneralPurposePlugin() { return &g_record; }

// Uninstall from the player's preferences. The answer 0 has the player delete the file at its next
// start: the plug-in's hook sits on the player's main window, so it must never be unloaded at once.
extern "C" __declspec(dllexport) int winampUninstallPlugin(HINSTANCE, HWND, int) {
    try {
        theApp().uninstall();
    } catch (...) {
        reportCallbackException("uninstall");
    }
    return 0;
}

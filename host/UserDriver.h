// The driving commands of the playback script (see PlaybackScript.h): what a user's mouse and
// keyboard and the shell do to the plug-ins' windows, and what a test needs to see of them.
#pragma once
#include <windows.h>

#include <string>

#include "host/PlaybackScript.h"

class UserDriver {
public:
    explicit UserDriver(HWND mainWindow) : main_(mainWindow) {}

    // Whether a command that waits for something (a menu, a window) can run now; true at once
    // for the others. Past the command's deadline it logs why it gave up and returns true.
    bool ready(const ScriptCommand& cmd, double now);
    // Runs one driving command. Never blocks on what the input starts: clicks and keys are posted.
    void execute(const ScriptCommand& cmd);

private:
    HWND find(const ScriptCommand& cmd) const;
    HWND findOrLog(const ScriptCommand& cmd) const;
    HWND control(const ScriptCommand& cmd, HWND& window) const;
    void chooseMenu(const ScriptCommand& cmd);
    void logWindow(HWND window) const;
    // Every control of a window, and of the shown page (a child dialog) among them.
    void logControls(HWND window) const;
    void screenshot(HWND window, const std::string& path) const;

    HWND main_;
    int pendingLine_ = -1;    // the waiting command's line, and when it gives up
    double deadline_ = 0;

    // --- wait-log and wait-change: what was there when the command began ---
    bool backgroundDone(const ScriptCommand& cmd, bool starting);
    std::size_t logFrom_ = 0;
    std::string fileStamp_;
};

// The driving commands of the playback script (see PlaybackScript.h): what a user's mouse and
// keyboard and the shell do to the plug-ins' windows, and what a test needs to see of them. The
// script's steps (ScriptSteps.cpp) call one method per command.
#pragma once
#include <windows.h>

#include <string>

#include "tools/host/PlaybackScript.h"

class UserDriver {
public:
    explicit UserDriver(HWND mainWindow) : main_(mainWindow) {}

    // --- Readiness of the commands that wait: true when the command may run now. Past the
    // command's deadline they log why it gave up and return true. ---
    bool menuOpen(const ScriptCommand& cmd, double now);
    bool windowShown(const ScriptCommand& cmd, double now);
    bool windowGone(const ScriptCommand& cmd, double now);
    bool logged(const ScriptCommand& cmd, double now);       // wait-log
    bool fileChanged(const ScriptCommand& cmd, double now);  // wait-change
    bool fileExists(const ScriptCommand& cmd, double now);   // wait-file

    // --- The commands. None blocks on what the input starts: clicks and keys are posted. ---
    void tray(const ScriptCommand& cmd);
    void menu(const ScriptCommand& cmd);
    void click(const ScriptCommand& cmd);
    void hover(const ScriptCommand& cmd);
    void type(const ScriptCommand& cmd);
    void key(const ScriptCommand& cmd);
    void pick(const ScriptCommand& cmd);
    void date(const ScriptCommand& cmd);
    void row(const ScriptCommand& cmd);
    void column(const ScriptCommand& cmd);
    void resize(const ScriptCommand& cmd);
    void drag(const ScriptCommand& cmd);
    void close(const ScriptCommand& cmd);
    void logWindow(const ScriptCommand& cmd);
    void screenshot(const ScriptCommand& cmd);

private:
    enum class Wait { Pending, Met, Missed };
    // Where a waiting command stands: `met` now, still within `seconds` of its start, or past them.
    Wait waitFor(const ScriptCommand& cmd, double now, bool met, double seconds);

    HWND find(const ScriptCommand& cmd) const;
    HWND findOrLog(const ScriptCommand& cmd) const;
    HWND control(const ScriptCommand& cmd, HWND& window) const;
    void logWindow(HWND window) const;
    // Every control of a window, and of the shown page (a child dialog) among them.
    void logControls(HWND window) const;

    HWND main_;
    int pendingLine_ = -1;    // the waiting command's line, and when it gives up
    double deadline_ = 0;

    // --- wait-log and wait-change: what was there when the command began ---
    std::size_t logFrom_ = 0;
    std::string fileStamp_;
};

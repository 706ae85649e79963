// The Windows side of the playback script's commands: when each may run and what it does, from
// the command list (ScriptCommands.h). The stand-in's loop (Main.cpp) asks and runs them.
#pragma once
#include <windows.h>

#include <string>

#include "tools/host/HostWindow.h"
#include "tools/host/Log.h"
#include "tools/host/PlaybackScript.h"
#include "tools/host/Player.h"
#include "tools/host/Plugins.h"
#include "tools/host/UserDriver.h"

// What the commands act on: the player and its window, the plug-ins, the user's input, and how
// the script waits.
struct ScriptStage {
    Player player{logLine};
    HostWindow window{player};
    UserDriver driver{nullptr};
    Plugins plugins;
    std::string pluginFolder;
    bool pluginsLoaded = false;
    double resumeAt = 0;           // "wait": no command before this time
    bool waitingForClose = false;  // "wait forever": none until the main window is closed
    bool quit = false;             // "quit": the script ends
    bool widePaths = false;        // "wide-paths on": the script's paths are UTF-8

    // Loads the plug-ins once, before the first command that is not a setting.
    void loadPlugins();
    // Whether the main window's procedure is still the player's own (a plug-in's hook replaces it).
    void logProcedure() const;
};

// Whether the command may run now: true at once, or when what it waits for has come (or its
// deadline has passed, which it logs).
bool scriptCommandReady(ScriptStage& stage, const ScriptCommand& cmd, double now);
// Logs the command with its script line and runs it.
void runScriptCommand(ScriptStage& stage, const ScriptCommand& cmd, double now);

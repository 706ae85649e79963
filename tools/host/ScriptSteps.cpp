#include "tools/host/ScriptSteps.h"

#include <cstdio>

#include "tools/host/WideText.h"
#include "tools/host/WindowCloser.h"

void ScriptStage::loadPlugins() {
    if (pluginsLoaded) return;
    pluginsLoaded = true;
    plugins.load(pluginFolder, window.handle());
}

void ScriptStage::logProcedure() const {
    logLine(window.ownsProcedure() ? "main window procedure: the player's own"
                                   : "main window procedure: replaced (a plug-in's hook)");
}

namespace {

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string formatSeconds(double s) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", s);
    return buffer;
}

// "script line 12: <what>"
void announce(const ScriptCommand& cmd, const std::string& what) {
    logLine("script line " + std::to_string(cmd.line) + ": " + what);
}

// A driving command: its name and its window.
void announceDriving(const ScriptCommand& cmd) {
    announce(cmd, std::string(scriptOpName(cmd.op)) +
                      (cmd.window.empty() ? "" : " " + quoted(cmd.window + (cmd.prefix ? "*" : ""))));
}

// --- Readiness ---
bool always(ScriptStage&, const ScriptCommand&, double) { return true; }
bool menuOpen(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.menuOpen(cmd, now); }
bool windowShown(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.windowShown(cmd, now); }
bool windowGone(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.windowGone(cmd, now); }
bool logged(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.logged(cmd, now); }
bool fileChanged(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.fileChanged(cmd, now); }
bool fileExists(ScriptStage& s, const ScriptCommand& cmd, double now) { return s.driver.fileExists(cmd, now); }

// --- The player ---
void announceTrack(const ScriptCommand& cmd) {
    announce(cmd, std::string(scriptOpName(cmd.op)) + " " + quoted(cmd.path) + " " + std::to_string(cmd.number));
}
// The entry's ANSI path and its wide name ("" unless "wide-paths on").
struct EntryName {
    std::string path;
    std::u16string wide;
};
EntryName entryName(const ScriptStage& s, const ScriptCommand& cmd) {
    if (!s.widePaths) return {cmd.path, {}};
    const std::wstring name = fromCodePage(cmd.path, CP_UTF8);
    return {toAnsi(name), std::u16string(name.begin(), name.end())};
}
void play(ScriptStage& s, const ScriptCommand& cmd, double now) {
    announceTrack(cmd);
    const EntryName e = entryName(s, cmd);
    s.player.play(e.path, cmd.number, now, e.wide);
}
void next(ScriptStage& s, const ScriptCommand& cmd, double now) {
    announceTrack(cmd);
    const EntryName e = entryName(s, cmd);
    s.player.next(e.path, cmd.number, now, e.wide);
}
void add(ScriptStage& s, const ScriptCommand& cmd, double) {
    announceTrack(cmd);
    const EntryName e = entryName(s, cmd);
    s.player.add(e.path, cmd.number, e.wide);
}
void widePaths(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, std::string("wide-paths ") + (cmd.allRequests ? "on" : "off"));
    s.widePaths = cmd.allRequests;
}
void metadata(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "metadata " + quoted(cmd.path) + " " + cmd.word + " " + quoted(cmd.text));
    s.window.setMetadata(fromCodePage(cmd.path, s.widePaths ? CP_UTF8 : CP_ACP), cmd.word, fromCodePage(cmd.text, CP_UTF8));
}
// A step that asks the player one thing, and says why when the player cannot do it.
void askPlayer(ScriptStage& s, const ScriptCommand& cmd, double now, const char* word, bool (Player::*action)(double),
               const char* refused) {
    announce(cmd, word);
    if (!(s.player.*action)(now)) logLine(refused);
}
void replay(ScriptStage& s, const ScriptCommand& cmd, double now) {
    askPlayer(s, cmd, now, "replay", &Player::replay, "nothing to replay: the playlist is empty");
}
void pause(ScriptStage& s, const ScriptCommand& cmd, double now) {
    askPlayer(s, cmd, now, "pause", &Player::pause, "not playing: nothing to pause");
}
void resume(ScriptStage& s, const ScriptCommand& cmd, double now) {
    askPlayer(s, cmd, now, "resume", &Player::resume, "not paused: nothing to resume");
}
void stop(ScriptStage& s, const ScriptCommand& cmd, double now) { askPlayer(s, cmd, now, "stop", &Player::stop, "already stopped"); }
void wait(ScriptStage& s, const ScriptCommand& cmd, double now) {
    announce(cmd, "wait " + formatSeconds(cmd.seconds) + " s");
    s.resumeAt = now + cmd.seconds;
}
void waitForever(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "wait until the main window is closed");
    s.waitingForClose = true;
}
void lengthDelay(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "length-delay " + std::to_string(cmd.number));
    s.player.setLengthDelay(cmd.number);
}
void defaultLength(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "default-length " + std::to_string(cmd.number));
    s.window.handOverLength = cmd.number;
}
void config(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "config");
    s.plugins.config(s.window.handle(), cmd.closeAfter ? cmd.seconds : -1);
}
void dismiss(ScriptStage& s, const ScriptCommand& cmd, double) {
    if (cmd.closeAfter) {
        announce(cmd, "dismiss " + formatSeconds(cmd.seconds));
        WindowCloser::arm(s.window.handle(), cmd.seconds);
    } else {
        announce(cmd, "dismiss off");
        WindowCloser::disarm();
    }
}
void logRequests(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, std::string("log-requests ") + (cmd.allRequests ? "all" : "changes"));
    s.window.logAllRequests = cmd.allRequests;
}
void echo(ScriptStage&, const ScriptCommand& cmd, double) { logLine("echo: " + cmd.text); }
void checkHook(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "check-hook");
    s.logProcedure();
}
void killTimer(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "kill-timer " + std::to_string(cmd.number));
    const bool killed = KillTimer(s.window.handle(), static_cast<UINT_PTR>(cmd.number)) != 0;
    logLine("timer " + std::to_string(cmd.number) + " of the main window: " + (killed ? "was running, killed" : "none"));
}
void quit(ScriptStage& s, const ScriptCommand& cmd, double) {
    announce(cmd, "quit");
    s.quit = true;
}

// --- Driving the plug-ins' windows, and the waits (whose readiness did the work) ---
#define STANDIN_DRIVING_STEP(name)                                      \
    void name(ScriptStage& s, const ScriptCommand& cmd, double) {       \
        announceDriving(cmd);                                           \
        s.driver.name(cmd);                                             \
    }
STANDIN_DRIVING_STEP(tray)
STANDIN_DRIVING_STEP(menu)
STANDIN_DRIVING_STEP(click)
STANDIN_DRIVING_STEP(type)
STANDIN_DRIVING_STEP(key)
STANDIN_DRIVING_STEP(pick)
STANDIN_DRIVING_STEP(date)
STANDIN_DRIVING_STEP(row)
STANDIN_DRIVING_STEP(column)
STANDIN_DRIVING_STEP(hover)
STANDIN_DRIVING_STEP(resize)
STANDIN_DRIVING_STEP(close)
STANDIN_DRIVING_STEP(logWindow)
STANDIN_DRIVING_STEP(screenshot)
STANDIN_DRIVING_STEP(drag)
#undef STANDIN_DRIVING_STEP
void waited(ScriptStage&, const ScriptCommand& cmd, double) { announceDriving(cmd); }

// --- The steps' view of the command list ---
struct CommandStep {
    ScriptOp op;
    bool (*ready)(ScriptStage&, const ScriptCommand&, double);
    void (*run)(ScriptStage&, const ScriptCommand&, double);
};

const CommandStep kSteps[] = {
#define STANDIN_SCRIPT_STEP(word, op, needs, parse, ready, run) {ScriptOp::op, &ready, &run},
    STANDIN_SCRIPT_COMMANDS(STANDIN_SCRIPT_STEP)
#undef STANDIN_SCRIPT_STEP
};

const CommandStep& stepOf(ScriptOp op) {
    // The table is in the enum's order: both come from the same list.
    return kSteps[static_cast<std::size_t>(op)];
}

}  // namespace

bool scriptCommandReady(ScriptStage& stage, const ScriptCommand& cmd, double now) {
    return stepOf(cmd.op).ready(stage, cmd, now);
}

void runScriptCommand(ScriptStage& stage, const ScriptCommand& cmd, double now) {
    stage.window.update();
    stepOf(cmd.op).run(stage, cmd, now);
    stage.window.update();
}

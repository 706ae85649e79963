// The playback script of the stand-in player: one command a line; a line whose first non-blank
// character is '#' is a comment, and blank lines are skipped. Tokens are separated by blanks or
// tabs; a token in double quotes may hold blanks. Command words are lower case. Backslashes are
// taken as they are (no escapes). The whole script is checked before anything runs.
//
//   play <path> <length>     the playlist becomes this one entry, and it plays from its start
//   next <path> <length>     an entry after the current one, played at once (a track change)
//   add <path> <length>      an entry at the end of the playlist, played when those before end
//   replay                   the current entry plays again from its start (the Play button)
//   pause | resume | stop
//   wait <seconds>           runs the message loop that long (decimals allowed); "wait forever"
//                            runs it until the main window is closed
//   length-delay <n>         tracks started from now on answer -1 to the length request n
//                            times before they give their length
//   default-length <length>  the length of files handed over by another instance (180)
//   config [<seconds>]       calls every plug-in's config; with seconds, closes the windows
//                            the call shows once they have been open that long
//   dismiss <seconds> | dismiss off
//                            from now on, closes any window of the plug-ins (a visible
//                            top-level window of the player's thread other than its main
//                            window) once it has been open that long, logging its texts
//   log-requests all|changes every request, or (the default) the first of each kind and
//                            those whose answer changed
//   check-hook               logs whether the main window's procedure is still the player's
//                            own or was replaced (a plug-in's hook); after the plug-ins quit,
//                            the player logs the same once more by itself
//   kill-timer <id>          kills the main window's timer <id> and logs whether there was one
//                            (how a test sees which window timers the plug-ins started)
//   echo <text>              writes the rest of the line to the log
//   quit                     ends the script (so does its end)
//
// A length is whole seconds, -1 for a track whose length is never known (it plays until
// stopped). A relative path is taken from the script's folder. The settings at the top of a
// script (length-delay, default-length, log-requests, dismiss, echo) take effect before the
// plug-ins are loaded; the first other command loads them.
#pragma once
#include <string>
#include <vector>

enum class ScriptOp { Play, Next, Add, Replay, Pause, Resume, Stop, Wait, WaitForever, LengthDelay,
                      DefaultLength, Config, Dismiss, LogRequests, Echo, CheckHook, KillTimer, Quit };

struct ScriptCommand {
    ScriptOp op = ScriptOp::Quit;
    int line = 0;
    std::string path;       // play, next, add
    std::string text;       // echo
    int number = 0;         // track length, length-delay count, default length, timer id
    double seconds = 0;     // wait, config (closing delay)
    bool closeAfter = false;  // config with seconds; dismiss (false: dismiss off)
    bool allRequests = false; // log-requests all
};

struct ParsedScript {
    std::vector<ScriptCommand> commands;
    std::string error;  // "<name>:<line>: <what>" when the script is bad
    bool ok() const { return error.empty(); }
};

// Parses the whole script before anything runs. `name` is used in messages; `folder` (with
// '\\' or '/' separators) resolves relative paths.
ParsedScript parsePlaybackScript(const std::string& text, const std::string& name, const std::string& folder);

// A path is absolute when it has a drive ("C:") or starts with a separator.
std::string resolveScriptPath(const std::string& path, const std::string& folder);

// Whether the op only sets how the player behaves (it may run before the plug-ins load).
bool isScriptSetting(ScriptOp op);

// The script-level name of an op, for logs.
const char* scriptOpName(ScriptOp op);

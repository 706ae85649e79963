// The playback script of the stand-in player: one command a line; a line whose first non-blank
// character is '#' is a comment, and blank lines are skipped. Tokens are separated by blanks or
// tabs; a token in double quotes may hold blanks. Command words are lower case. Backslashes are
// taken as they are (no escapes). The whole script is checked before anything runs. The list of
// commands, with how each is read, when it may run and what it does, is ScriptCommands.h.
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
//   wide-paths on|off        from now on the paths of play, next, add and metadata are UTF-8
//                            text: an entry's wide name (request 214) is that text, and its
//                            ANSI path (211) what the ANSI code page makes of it. Off (the
//                            default): paths are ANSI, and 214 gives the ANSI path widened
//   metadata <path> <field> <value>   what the player says about the file (requests 290 and
//                            3026): <field> is artist, title, album, year, comment or genre;
//                            the value is UTF-8. A file never named here is one the player
//                            cannot describe (it answers 0)
//   echo <text>              writes the rest of the line to the log
//   quit                     ends the script (so does its end)
//
// Driving the plug-ins' windows as a user would, with the messages a mouse, the keyboard and the
// shell send. <window> is a window's caption: exact, or a prefix when it ends in '*'; only the
// visible top-level windows of the player's thread count (message boxes and dialogs included).
// Clicks and keys are posted, like real input, so the script goes on while what they start
// (a menu, a modal dialog, a message box) runs: the script is played from a thread timer that
// ticks in every message loop of the thread. (The plug-ins' own calls, their init and "config",
// still hold the script until they return: close what they show with "dismiss".) A command
// whose window is missing logs that and does nothing. <id> is a control of the window, or the
// shown control with that id on one of its pages.
//   tray <event> [<icon id>] the shell's notification of the tray icon to the main window:
//                            message 1152, wParam the icon id (1224), lParam the mouse event:
//                            left, right, double, move, or a number
//   menu <command id>|none   waits (up to 10 s) for a pop-up menu, then chooses the item of
//                            that command with the keyboard, or closes the menu unchosen
//   wait-window <window> [<seconds>]   waits (up to 10 s) until the window is shown
//   wait-gone <window> [<seconds>]     waits (up to 10 s) until no such window is shown
//   click <window> <id>      a left click on the control (a button's click, a static's notify)
//   type <window> <id> <text>           replaces the text of an edit by typing it (WM_CHAR),
//                            so the edit checks and reports every character; "" clears it
//   key <window> <id> <key>  a key press on the control: delete, enter, escape, tab, space,
//                            up, down, or a virtual-key number
//   pick <window> <id> <entry>          selects a combo box entry by index or by its text,
//                            and tells the parent as a user's choice does (CBN_SELCHANGE,
//                            then CBN_SELENDOK; a dropped list closes as after Enter);
//                            on a tab control (a settings sheet's, id 12320) shows the page of
//                            tab <entry> (an index) as a click on the tab does
//   date <window> <id> <yyyy-mm-dd>     sets a date-time picker and notifies its parent
//   row <window> <list id> <row> click|double|right   a mouse click on a list view row
//   column <window> <list id> <column> click|hover    on a list view header item
//   hover <window> <id>      moves the mouse over the control (the window itself for id 0)
//   resize <window> <width> <height>   resizes the window as its sizing border would
//   drag <window> <dx> <dy>  the mouse drags the window's own surface from 5 pixels inside its
//                            client area's bottom-right corner by (dx, dy), button down to up
//   close <window>           the close box (WM_CLOSE)
//   log-window <window>      logs the window's rectangle and every control (those of its shown
//                            page too, after the page's line; a tab control's tabs): id, class,
//                            text, check, enabled and visible state, a combo's selection, a
//                            picker's date, a list view's columns and rows
//   screenshot <window> <file.png>      saves the window as it looks to a PNG file
//
// Waiting for what the plug-ins do in the background (while a window of theirs stays open):
//   wait-log <text> [<seconds>]      waits (up to 10 s) until a log line written after the
//                            command began contains the text (a second instance's hand-over)
//   wait-change <file> [<seconds>]   waits (up to 10 s) until the file's size or time differs
//                            from what it was when the command began (a save on a timer)
//   wait-file <file> [<seconds>]     waits (up to 10 s) until the file is there, however early
//                            it came (a report a menu command writes)
//
// A length is whole seconds, -1 for a track whose length is never known (it plays until
// stopped). A relative path is taken from the script's folder. The settings at the top of a
// script (length-delay, default-length, log-requests, dismiss, echo) take effect before the
// plug-ins are loaded; the first other command loads them.
#pragma once
#include <string>
#include <vector>

#include "tools/host/ScriptCommands.h"

// One op per line of the command list (ScriptCommands.h), in its order.
enum class ScriptOp {
#define STANDIN_SCRIPT_OP(word, op, needs, parse, ready, run) op,
    STANDIN_SCRIPT_COMMANDS(STANDIN_SCRIPT_OP)
#undef STANDIN_SCRIPT_OP
};

struct ScriptCommand {
    ScriptOp op = ScriptOp::Quit;
    int line = 0;
    std::string path;       // play, next, add, metadata, screenshot, wait-change
    std::string text;       // echo, wait-log, metadata's value
    int number = 0;         // track length, length-delay count, default length, timer id
    double seconds = 0;     // wait, config (closing delay)
    bool closeAfter = false;  // config with seconds; dismiss (false: dismiss off)
    bool allRequests = false; // log-requests all; wide-paths on
    // Driving commands: the window's caption (a prefix when `prefix`), the control id, a second
    // number (tray icon id, row, column, height) and the word or text (typed text, combo entry,
    // key, row or column action, date, PNG path). `number` holds the tray event or the width.
    std::string window;
    bool prefix = false;
    int control = 0;
    int number2 = 0;
    std::string word;
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

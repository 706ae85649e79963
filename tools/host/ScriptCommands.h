// Every command of the stand-in's playback script, one line each (what the commands do is told in
// PlaybackScript.h). Adding a command is one line here, its parse function in PlaybackScript.cpp
// and its step in ScriptSteps.cpp; the compiler then holds the three together.
//
// The columns:
//   word    the command as a script writes it
//   op      its ScriptOp
//   needs   Setting: it only sets how the player behaves, so it may run before the plug-ins load
//           Plugins: the plug-ins are loaded first
//           Window:  as Plugins, and its first argument is a window's caption (a prefix when it
//                    ends in '*'), read before its parse function sees the rest
//   parse   reads its arguments into a ScriptCommand (PlaybackScript.cpp; portable)
//   ready   when it may run: always, or what it waits for, up to its deadline (ScriptSteps.cpp)
//   run     what it does (ScriptSteps.cpp)
//
// The list is expanded where it is needed: the ScriptOp enum and the parser's table (portable),
// and the table of readiness and steps (the Windows side). X(word, op, needs, parse, ready, run)
#pragma once

#define STANDIN_SCRIPT_COMMANDS(X)                                                             \
    /* the player */                                                                           \
    X("play", Play, Plugins, parseTrack, always, play)                                         \
    X("next", Next, Plugins, parseTrack, always, next)                                         \
    X("add", Add, Plugins, parseTrack, always, add)                                            \
    X("replay", Replay, Plugins, parseNothing, always, replay)                                 \
    X("pause", Pause, Plugins, parseNothing, always, pause)                                    \
    X("resume", Resume, Plugins, parseNothing, always, resume)                                 \
    X("stop", Stop, Plugins, parseNothing, always, stop)                                       \
    X("wait", Wait, Plugins, parseWait, always, wait)                                          \
    /* "wait forever": read by the line above, which is found first */                         \
    X("wait", WaitForever, Plugins, parseWait, always, waitForever)                            \
    X("length-delay", LengthDelay, Setting, parseLengthDelay, always, lengthDelay)             \
    X("default-length", DefaultLength, Setting, parseDefaultLength, always, defaultLength)     \
    X("config", Config, Plugins, parseConfig, always, config)                                  \
    X("dismiss", Dismiss, Setting, parseDismiss, always, dismiss)                              \
    X("log-requests", LogRequests, Setting, parseLogRequests, always, logRequests)             \
    X("echo", Echo, Setting, parseEcho, always, echo)                                          \
    X("check-hook", CheckHook, Plugins, parseNothing, always, checkHook)                       \
    X("kill-timer", KillTimer, Plugins, parseKillTimer, always, killTimer)                     \
    X("wide-paths", WidePaths, Setting, parseWidePaths, always, widePaths)                     \
    X("metadata", Metadata, Setting, parseMetadata, always, metadata)                          \
    X("quit", Quit, Plugins, parseNothing, always, quit)                                       \
    /* driving the plug-ins' windows */                                                        \
    X("tray", Tray, Plugins, parseTray, always, tray)                                          \
    X("menu", Menu, Plugins, parseMenu, menuOpen, menu)                                        \
    X("wait-window", WaitWindow, Window, parseWaitForWindow, windowShown, waited)              \
    X("wait-gone", WaitGone, Window, parseWaitForWindow, windowGone, waited)                   \
    X("click", Click, Window, parseControl, always, click)                                     \
    X("type", Type, Window, parseControlText, always, type)                                    \
    X("key", Key, Window, parseKey, always, key)                                               \
    X("pick", Pick, Window, parseControlText, always, pick)                                    \
    X("date", Date, Window, parseDate, always, date)                                           \
    X("row", Row, Window, parseListItem, always, row)                                          \
    X("column", Column, Window, parseListItem, always, column)                                 \
    X("hover", Hover, Window, parseControl, always, hover)                                     \
    X("resize", Resize, Window, parseSize, always, resize)                                     \
    X("close", Close, Window, parseWindowOnly, always, close)                                  \
    X("log-window", LogWindow, Window, parseWindowOnly, always, logWindow)                     \
    X("screenshot", Screenshot, Window, parseScreenshot, always, screenshot)                   \
    X("drag", Drag, Window, parseSize, always, drag)                                           \
    /* waiting for the plug-ins' background work */                                            \
    X("wait-log", WaitLog, Plugins, parseBackground, logged, waited)                           \
    X("wait-change", WaitChange, Plugins, parseBackground, fileChanged, waited)                \
    X("wait-file", WaitFile, Plugins, parseBackground, fileExists, waited)

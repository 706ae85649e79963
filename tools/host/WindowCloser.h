// Closes the windows the plug-ins leave open, so that a scripted run goes on past a modal
// dialog or message box: every visible top-level window of the player's thread except its main
// window that has been open for the set time gets WM_CLOSE (what Cancel or the close box does).
// Each close is logged with the window's caption and the texts it shows.
#pragma once
#include <windows.h>

class WindowCloser {
public:
    // Closes windows once they have been open `seconds`; a new call replaces the old setting.
    static void arm(HWND mainWindow, double seconds);
    static void disarm();
    static bool armed();
    static double seconds();
};

// A picture of a window as it is on the screen, saved as a PNG file: the one capture that the
// stand-in's "screenshot" command and the Windows-side tests' pictures share.
#pragma once
#include <windows.h>

#include <string>

struct WindowPicture {
    int width = 0, height = 0;  // 0 x 0: the window has no size on the screen
    bool saved = false;
    bool oneColour = false;  // every pixel the same: nothing painted yet
};

// Redraws the window (its frame and children included) and copies what it shows from its own
// window DC. Only the part on the screen is copied: a maximized window reaches past its edges.
WindowPicture captureWindow(HWND window, const std::string& pngPath);

// Screenshots of the tests' windows: when PTLY_SCREENSHOT_DIR is set, a window is copied from the
// screen into <dir>/<name>.png (by the stand-in's own capture, tools/host/WindowCapture.h).
#pragma once
#include <windows.h>

#include <string>

// True when a picture was written; false when screenshots are off or the copy failed.
bool saveWindowScreenshot(HWND window, const std::string& name);
// The picture's file (<dir>/<name>.png), or "" when screenshots are off.
std::string screenshotPath(const std::string& name);

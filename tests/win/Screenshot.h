// Screenshots of the tests' windows: when PTLY_SCREENSHOT_DIR is set, a window is copied from the
// screen into <dir>/<name>.bmp (tests/win/ui_screenshots.sh turns them into PNG files).
#pragma once
#include <windows.h>

#include <string>

// True when a picture was written; false when screenshots are off or the copy failed.
bool saveWindowScreenshot(HWND window, const std::string& name);

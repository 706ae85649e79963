#include "Screenshot.h"

#include <cstdlib>

#include "tools/host/WindowCapture.h"

std::string screenshotPath(const std::string& name) {
    const char* folder = std::getenv("PTLY_SCREENSHOT_DIR");
    return folder && *folder ? std::string(folder) + "\\" + name + ".png" : std::string();
}

bool saveWindowScreenshot(HWND window, const std::string& name) {
    const std::string path = screenshotPath(name);
    return !path.empty() && captureWindow(window, path).saved;
}

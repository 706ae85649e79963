#include "plugin/win/WinNotices.h"

#include "framework/MessageBox.h"

void WinNotices::showInformation(const std::string& caption, const std::string& text) {
    showMessageBox(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
}

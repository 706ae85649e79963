#include "framework/MessageBox.h"

#include <utility>

#include "framework/FrameworkTexts.h"

namespace {
MessageBoxHandler& installedHandler() {
    static MessageBoxHandler handler;
    return handler;
}
}  // namespace

int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    if (const MessageBoxHandler& handler = installedHandler()) return handler(owner, text, caption, type);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

std::string messageBoxCaption() { return frameworkTexts().messageBoxCaption; }

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(installedHandler(), std::move(handler));
}

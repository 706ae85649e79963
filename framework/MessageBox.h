// The framework's own message boxes (data-exchange failures, simple notices). Tests install a
// handler to answer them without a window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

using MessageBoxHandler = std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Shows `text` with MessageBoxA, or hands it to the installed handler. Returns the button pressed.
int showMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);
// The plug-in's caption for its own boxes (string 1).
std::string messageBoxCaption();
// Installs `handler` (an empty one restores the system's box) and returns the previous one.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

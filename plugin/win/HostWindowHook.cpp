#include "plugin/win/HostWindowHook.h"

namespace {
// The player has one main window and the plug-in one hook on it.
CHostWindowHook* g_hook = nullptr;
}

bool CHostWindowHook::installHook(HWND window, Handler handler) {
    if (installed() || !IsWindow(window)) return false;
    handler_ = std::move(handler);
    window_ = window;
    g_hook = this;
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CHostWindowHook::hostWindowProc)));
    if (!previous_) {
        window_ = nullptr;
        g_hook = nullptr;
        return false;
    }
    return true;
}

void CHostWindowHook::removeHook() {
    if (!installed()) return;
    if (IsWindow(window_)) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    window_ = nullptr;
    if (g_hook == this) g_hook = nullptr;
}

LRESULT CALLBACK CHostWindowHook::hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CHostWindowHook* hook = g_hook;
    if (!hook || !hook->previous_) return DefWindowProcA(window, message, wParam, lParam);
    try {
        LRESULT result = 0;
        if (hook->handler_ && hook->handler_(window, message, wParam, lParam, result)) return result;
    } catch (...) {
        // Nothing unwinds into the player; the message goes on as if unseen.
    }
    return CallWindowProcA(hook->previous_, window, message, wParam, lParam);
}

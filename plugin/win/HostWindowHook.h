// The plug-in's own procedure in front of the player's main window: it sees every message of
// that window first and passes on what it does not consume.
#pragma once
#include <windows.h>

#include <functional>

class CHostWindowHook {
public:
    // Gets each message first; returns true when it consumed it (with `result` its answer).
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;

    CHostWindowHook() = default;
    ~CHostWindowHook() { removeHook(); }
    CHostWindowHook(const CHostWindowHook&) = delete;
    CHostWindowHook& operator=(const CHostWindowHook&) = delete;

    // Replaces the window's procedure, keeping the previous one. False when the window is gone.
    bool installHook(HWND window, Handler handler);
    // Puts the previous procedure back.
    void removeHook();
    bool installed() const { return window_ != nullptr; }
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    Handler handler_;
};

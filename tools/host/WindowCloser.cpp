#include "tools/host/WindowCloser.h"

#include <algorithm>
#include <map>
#include <string>

#include "tools/host/Log.h"

namespace {

HWND g_main = nullptr;
double g_seconds = -1;
UINT_PTR g_timer = 0;
std::map<HWND, double> g_firstSeen;

std::string oneLine(std::string text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

BOOL CALLBACK collectText(HWND child, LPARAM param) {
    char cls[64] = {}, text[1024] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
    if (GetWindowTextA(child, text, sizeof text) > 0) {
        auto& all = *reinterpret_cast<std::string*>(param);
        all += (all.empty() ? "" : " | ") + oneLine(text);
    }
    return TRUE;
}

BOOL CALLBACK closeIfDue(HWND window, LPARAM) {
    if (window == g_main || !IsWindowVisible(window)) return TRUE;
    const double now = elapsedSeconds();
    auto seen = g_firstSeen.emplace(window, now).first;
    if (now - seen->second < g_seconds) return TRUE;
    char caption[256] = {}, cls[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    GetClassNameA(window, cls, sizeof cls);
    std::string texts;
    EnumChildWindows(window, collectText, reinterpret_cast<LPARAM>(&texts));
    logLine(std::string("closing window \"") + caption + "\" (class " + cls + ")" + (texts.empty() ? "" : ": " + texts));
    PostMessageA(window, WM_CLOSE, 0, 0);
    seen->second = now;  // closed again only after another full delay
    return TRUE;
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    for (auto it = g_firstSeen.begin(); it != g_firstSeen.end();)
        it = IsWindow(it->first) && IsWindowVisible(it->first) ? std::next(it) : g_firstSeen.erase(it);
    EnumThreadWindows(GetCurrentThreadId(), closeIfDue, 0);
}

}  // namespace

void WindowCloser::arm(HWND mainWindow, double seconds) {
    disarm();
    g_main = mainWindow;
    g_seconds = seconds;
    // A thread timer ticks in every message loop of the thread, modal loops included.
    const double period = std::min(std::max(seconds / 2, 0.05), 0.25);
    g_timer = SetTimer(nullptr, 0, static_cast<UINT>(period * 1000), tick);
}

void WindowCloser::disarm() {
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    g_seconds = -1;
    g_firstSeen.clear();
}

bool WindowCloser::armed() { return g_timer != 0; }
double WindowCloser::seconds() { return g_seconds; }

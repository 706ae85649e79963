#include "tools/host/HostWindow.h"

#include <algorithm>
#include <cstring>

#include "tools/host/Log.h"
#include "tools/host/WideText.h"
#include "plugin/win/PluginRecord.h"
#include "plugin/win/WinampRequests.h"

namespace {

std::wstring fromAnsi(const char* text) { return text ? fromCodePage(text, CP_ACP) : std::wstring(); }

// Copies a text into a caller's buffer of `size` characters, cut to fit and always ended.
template <typename Char, typename Text>
void copyOut(const Text& text, Char* buffer, std::size_t size) {
    if (!buffer || size == 0) return;
    const std::size_t n = std::min(text.size(), size - 1);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<Char>(text[i]);
    buffer[n] = 0;
}

// One main window per process. Kept out of the window's own data, which a plug-in that
// subclasses the window might use.
HostWindow* g_window = nullptr;
}

HostWindow::~HostWindow() {
    if (window_) DestroyWindow(window_);
    g_window = nullptr;
}

bool HostWindow::create() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &HostWindow::procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kWinampWindowClass;
    if (!RegisterClassA(&wc)) return false;
    g_window = this;
    window_ = CreateWindowExA(0, kWinampWindowClass, "WinAmp (stand-in)",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                              420, 110, nullptr, nullptr, instance, nullptr);
    if (!window_) return false;
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    update();
    return true;
}

void HostWindow::update() {
    const double now = elapsedSeconds();
    player_.update(now);
    // The position moves all the time; repaint only when the rest of the picture changes.
    std::string text = player_.describe(now);
    std::size_t at = text.find(" at ");
    std::string key = at == std::string::npos ? text : text.substr(0, at);
    if (key != shown_) {
        shown_ = key;
        if (window_) InvalidateRect(window_, nullptr, TRUE);
    }
}

std::string HostWindow::requestSummary() const {
    std::string text = "requests answered:";
    if (counts_.empty()) return text + " none";
    bool first = true;
    for (const auto& [code, count] : counts_) {
        text += (first ? " " : ", ") + std::to_string(code) + " x " + std::to_string(count);
        first = false;
    }
    return text;
}

bool HostWindow::ownsProcedure() const {
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_, GWLP_WNDPROC));
    return current == &HostWindow::procedure;
}

LRESULT HostWindow::answer(WPARAM wParam, LPARAM code) {
    player_.update(elapsedSeconds());
    const double now = elapsedSeconds();
    LRESULT result = 0;
    std::string what, shown, compared;
    switch (code) {
    case kRequestPlayState: {
        result = player_.answerState();
        what = "104 (state)";
        shown = std::to_string(result) + (result == 0 ? " stopped" : result == 1 ? " playing" : " paused");
        compared = shown;
        break;
    }
    case kRequestTrackLength: {
        const int left = player_.delayedAnswersLeft();
        result = player_.answerLength(wParam, now);
        if (wParam == 0) {
            what = "105 (position in ms)";
            shown = std::to_string(result);
            compared = "position";  // changes all the time: only the first is worth a line
        } else {
            what = "105 (length, wParam " + std::to_string(wParam) + ")";
            shown = std::to_string(result);
            if (result == -1 && left > 0) shown += " (not known yet: " + std::to_string(left - 1) + " more -1 answers)";
            compared = std::to_string(result);
        }
        break;
    }
    case kRequestPlaylistIndex:
        result = player_.answerIndex();
        what = "125 (playlist index)";
        shown = compared = std::to_string(result);
        break;
    case kRequestPlaylistFile: {
        const char* path = player_.answerPath(wParam);
        result = reinterpret_cast<LRESULT>(path);
        what = "211 (path of entry " + std::to_string(wParam) + ")";
        shown = compared = path ? "\"" + std::string(path) + "\"" : std::string("null");
        break;
    }
    case kRequestPlaylistFileWide: {
        const char16_t* wide = player_.answerWidePath(wParam);
        const wchar_t* path = reinterpret_cast<const wchar_t*>(wide);
        if (wide && !*wide) {
            // No wide name of its own: the ANSI path, as the player would make it.
            wideAnswer_ = fromAnsi(player_.answerPath(wParam));
            path = wideAnswer_.c_str();
        }
        result = reinterpret_cast<LRESULT>(path);
        what = "214 (wide path of entry " + std::to_string(wParam) + ")";
        shown = compared = path ? "\"" + toUtf8(path) + "\"" : std::string("null");
        break;
    }
    case kRequestFileInfoWide:
    case kRequestFileInfo: {
        const bool wideRequest = code == kRequestFileInfoWide;
        std::wstring file, value;
        std::string field;
        if (wideRequest) {
            const auto* info = reinterpret_cast<const ExtendedFileInfoW*>(wParam);
            if (info && info->filename && info->metadata) {
                file = info->filename;
                field = toUtf8(info->metadata);
            }
        } else {
            const auto* info = reinterpret_cast<const ExtendedFileInfoA*>(wParam);
            if (info && info->filename && info->metadata) {
                file = fromAnsi(info->filename);
                field = info->metadata;
            }
        }
        const bool known = !field.empty() && describe(file, field, value);
        if (known && wideRequest) {
            const auto* info = reinterpret_cast<const ExtendedFileInfoW*>(wParam);
            copyOut(value, info->ret, info->retlen);
        } else if (known) {
            const auto* info = reinterpret_cast<const ExtendedFileInfoA*>(wParam);
            copyOut(toAnsi(value), info->ret, info->retlen);
        }
        result = known ? 1 : 0;
        what = std::to_string(code) + " (file info \"" + field + "\" of \"" + toUtf8(file) + "\")";
        shown = compared = known ? "1 \"" + toUtf8(value) + "\"" : std::string("0");
        break;
    }
    default:
        what = std::to_string(code) + " (not answered by this player)";
        shown = compared = "0";
        break;
    }
    const long long n = ++counts_[code];
    std::string& last = lastAnswers_[what];
    if (logAllRequests || n == 1 || last != compared)
        logLine("request " + what + " -> " + shown);
    last = compared;
    update();
    return result;
}

bool HostWindow::describe(const std::wstring& file, const std::string& field, std::wstring& value) const {
    const auto entry = metadata_.find(file);
    if (entry == metadata_.end()) return false;
    const auto it = entry->second.find(field);
    value = it == entry->second.end() ? std::wstring() : it->second;
    return true;
}

void HostWindow::handOver(const COPYDATASTRUCT& data) {
    const char* text = static_cast<const char*>(data.lpData);
    const std::string path(text, strnlen(text, data.cbData));
    logLine("handed over by another instance: \"" + path + "\"");
    player_.play(path, handOverLength, elapsedSeconds());
    update();
}

void HostWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT area;
    GetClientRect(window_, &area);
    InflateRect(&area, -8, -8);
    SetBkMode(dc, TRANSPARENT);
    const std::string text = player_.describe(elapsedSeconds());
    DrawTextA(dc, text.c_str(), -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    EndPaint(window_, &ps);
}

LRESULT CALLBACK HostWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HostWindow* self = g_window;
    if (self && self->window_ == nullptr) self->window_ = window;  // messages sent during creation
    if (self) {
        switch (message) {
        case WM_USER:
            return self->answer(wParam, lParam);
        case WM_COPYDATA: {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (!data || data->dwData != kHandOverFile || !data->lpData || data->cbData == 0) return FALSE;
            self->handOver(*data);
            return TRUE;
        }
        case WM_USER + 128:
            // The tray icon's message: what the plug-in's hook passes on reaches the player.
            logLine("main window: message 1152 wParam " + std::to_string(wParam) + " lParam " + std::to_string(lParam) +
                    " reached the player");
            return 0;
        case WM_PAINT:
            self->paint();
            return 0;
        case WM_CLOSE:
            logLine("main window asked to close");
            self->closeRequested = true;
            return 0;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

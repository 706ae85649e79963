#include "framework/Wnd.h"

#include <exception>
#include <string>
#include <vector>

#include "framework/FrameworkTexts.h"
#include "framework/Module.h"

namespace {
// The window property that names the object handling a window's messages. It carries the module's
// address, so that two modules built on this framework in one process never read each other's.
const char* objectProperty() {
    static const std::string name = [] {
        char text[48];
        wsprintfA(text, "CWnd.Object.%p", static_cast<void*>(moduleInstance()));
        return std::string(text);
    }();
    return name.c_str();
}
}  // namespace

void reportCallbackException(const char* where) noexcept {
    try {
        std::string text = frameworkTexts().debugPrefix;
        text += "exception stopped at ";
        text += where;
        try {
            if (auto current = std::current_exception()) std::rethrow_exception(current);
        } catch (const std::exception& e) {
            text += ": ";
            text += e.what();
        } catch (...) {
        }
        text += "\n";
        ::OutputDebugStringA(text.c_str());
    } catch (...) {
    }
}

CWnd& CWnd::operator=(const CWnd& other) {
    if (this != &other) {
        if (IsSubclassed()) UnsubclassWindow();
        m_hWnd = other.m_hWnd;
    }
    return *this;
}

CWnd::~CWnd() {
    if (IsSubclassed()) UnsubclassWindow();
}

void CWnd::Attach(HWND window) { m_hWnd = window; }

HWND CWnd::Detach() {
    if (IsSubclassed()) return UnsubclassWindow();
    HWND window = m_hWnd;
    m_hWnd = nullptr;
    return window;
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    if (!window) return nullptr;
    return static_cast<CWnd*>(::GetPropA(window, objectProperty()));
}

void CWnd::SetPermanentHandle(HWND window) { ::SetPropA(window, objectProperty(), this); }

void CWnd::ClearPermanentHandle() {
    if (m_hWnd && ::GetPropA(m_hWnd, objectProperty()) == this) ::RemovePropA(m_hWnd, objectProperty());
}

bool CWnd::SubclassWindow(HWND window) {
    if (IsSubclassed() || !window || !::IsWindow(window) || FromHandlePermanent(window)) return false;
    m_hWnd = window;
    SetPermanentHandle(window);
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    if (!m_previousProc) {
        ClearPermanentHandle();
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

bool CWnd::SubclassDlgItem(int id, HWND parent) { return SubclassWindow(::GetDlgItem(parent, id)); }

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    if (!IsSubclassed()) return window;
    if (window && ::IsWindow(window)) {
        // Only put the old procedure back if nobody subclassed the window after us; otherwise the
        // later procedure would be cut out of the chain.
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC)) == &CWnd::SubclassProc)
            ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
        ClearPermanentHandle();
    }
    m_previousProc = nullptr;
    m_hWnd = nullptr;
    return window;
}

bool CWnd::OnReflectedNotify(NMHDR*, LRESULT&) { return false; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_previousProc) return ::CallWindowProcA(m_previousProc, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandlePermanent(window);
    if (!self || !self->m_previousProc) return ::DefWindowProcA(window, message, wParam, lParam);
    WNDPROC previous = self->m_previousProc;
    if (message == WM_NCDESTROY) {
        self->UnsubclassWindow();
        LRESULT result = ::CallWindowProcA(previous, window, message, wParam, lParam);
        try {
            self->PostNcDestroy();
        } catch (...) {
            reportCallbackException("PostNcDestroy");
        }
        return result;
    }
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        reportCallbackException("WindowProc");
        return ::CallWindowProcA(previous, window, message, wParam, lParam);
    }
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd) return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

std::string CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

RECT CWnd::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

void CWnd::ScreenToClient(RECT& rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
}

void CWnd::ClientToScreen(RECT& rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
}

RECT CWnd::GetRectInParent() const {
    RECT rect = GetWindowRect();
    HWND parent = ::GetParent(m_hWnd);
    if (parent && (GetStyle() & WS_CHILD)) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed != style) ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
}

void CWnd::ModifyStyleEx(DWORD remove, DWORD add) {
    DWORD style = GetExStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed != style) ::SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, static_cast<LONG_PTR>(changed));
}

std::string CWnd::GetClassName() const {
    char buffer[256] = {};
    int n = ::GetClassNameA(m_hWnd, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

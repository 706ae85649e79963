// CWnd: a window handle with the calls every window class of the plug-in uses.
//
// A CWnd does not own its window: destroying the object leaves the window alone (DestroyWindow is
// explicit). Copying one copies the handle only. A CWnd may also subclass its window
// (SubclassWindow / SubclassDlgItem): the window's messages then reach the virtual WindowProc of
// the object until UnsubclassWindow, the window's destruction, or the object's destruction.
#pragma once
#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd() = default;
    CWnd(HWND window) : m_hWnd(window) {}  // implicit, so that a HWND can be wrapped where a CWnd is asked
    CWnd(const CWnd& other) : m_hWnd(other.m_hWnd) {}
    CWnd& operator=(const CWnd& other);
    virtual ~CWnd();

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    void Attach(HWND window);
    HWND Detach();

    // The object that handles this window's messages (a subclassing CWnd or a dialog), or null.
    static CWnd* FromHandlePermanent(HWND window);

    // Subclassing. Fails (false) when the object already subclasses a window or the handle is not
    // a window, or when the window already belongs to another object.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(int id, HWND parent);
    HWND UnsubclassWindow();
    bool IsSubclassed() const { return m_previousProc != nullptr; }

    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
    CWnd GetDlgItem(int id) const { return CWnd(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd GetParent() const { return CWnd(::GetParent(m_hWnd)); }

    std::string GetWindowText() const;
    void SetWindowText(const std::string& text) { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetDlgItemText(int id) const { return GetDlgItem(id).GetWindowText(); }
    void SetDlgItemText(int id, const std::string& text) { ::SetDlgItemTextA(m_hWnd, id, text.c_str()); }
    void CheckDlgButton(int id, UINT state) { ::CheckDlgButton(m_hWnd, id, state); }
    UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }

    bool EnableWindow(bool enable = true) { return ::EnableWindow(m_hWnd, enable) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    bool ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
    }

    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    void ScreenToClient(POINT& point) const { ::ScreenToClient(m_hWnd, &point); }
    void ScreenToClient(RECT& rect) const;
    void ClientToScreen(POINT& point) const { ::ClientToScreen(m_hWnd, &point); }
    void ClientToScreen(RECT& rect) const;
    // The window's rectangle in its parent's client coordinates (screen coordinates for a top-level window).
    RECT GetRectInParent() const;
    bool MoveWindow(int x, int y, int width, int height, bool repaint = true) {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != FALSE;
    }
    bool MoveWindow(const RECT& rect, bool repaint = true) {
        return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
    }
    bool SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags) {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, width, height, flags) != FALSE;
    }
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetRedraw(bool redraw) { SendMessage(WM_SETREDRAW, redraw ? TRUE : FALSE); }

    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) { return ::SetTimer(m_hWnd, id, milliseconds, nullptr); }
    bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE)); }
    void ModifyStyle(DWORD remove, DWORD add);
    void ModifyStyleEx(DWORD remove, DWORD add);

    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    bool SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd) != FALSE; }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    HICON SetIcon(HICON icon, bool big) {
        return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
    }
    std::string GetClassName() const;

    // Message reflection: a dialog offers the WM_NOTIFY of a child control to the control's own
    // object first. True when the control answered it (with `result`); the dialog then neither
    // handles nor passes on the notification. The default answers nothing.
    virtual bool OnReflectedNotify(NMHDR* header, LRESULT& result);

protected:
    // Messages of a subclassed window. The default passes them to the window's previous procedure.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The previous window procedure of a subclassed window (its default processing).
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window's last message (WM_NCDESTROY); m_hWnd is already null. An object
    // that owns itself (a modeless window) may delete itself here.
    virtual void PostNcDestroy() {}

    // Registers this object as the window's handler (FromHandlePermanent) / removes it.
    void SetPermanentHandle(HWND window);
    void ClearPermanentHandle();

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC m_previousProc = nullptr;
};

// Every framework callback ends in one of these: an exception must never unwind into the host's
// or the system's code. The guard reports it to the debugger output and lets the caller return a
// neutral result.
void reportCallbackException(const char* where) noexcept;

#include "ui/MyStatic.h"

#include <shellapi.h>

#include "framework/Module.h"
#include "resources/resource.h"

namespace {
void shellOpen(const std::string& target, const std::string& parameters) {
    // A failure is not reported: the user sees that nothing opened.
    ::ShellExecuteA(nullptr, "open", target.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

// The case flip of the wave, for ASCII letters only; every other byte stays as it is.
char flipCase(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}
}  // namespace

void CMyStatic::SetLinkOpener(LinkOpener opener) { m_linkOpener = opener; }

bool CMyStatic::ForwardMouseMoveToLabel(HWND dialog, WPARAM keys, POINT point) {
    HWND child = ::ChildWindowFromPointEx(dialog, point, CWP_SKIPINVISIBLE);
    if (!child || child == dialog) return false;
    if (!dynamic_cast<CMyStatic*>(CWnd::FromHandlePermanent(child))) return false;
    ::MapWindowPoints(dialog, child, &point, 1);
    ::SendMessageA(child, WM_MOUSEMOVE, keys, MAKELPARAM(point.x, point.y));
    return true;
}

LRESULT CMyStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        break;
    case WM_TIMER:
        OnWaveTick();
        break;
    case WM_LBUTTONDOWN:
        OnClick();
        break;
    case WM_CREATE:
        return DefWindowProc(message, wParam, lParam) == -1 ? -1 : 0;
    case WM_DESTROY:
        if (m_timerId != kNoTimer) KillTimer(m_timerId);
        m_timerId = kNoTimer;
        break;
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

void CMyStatic::OnMouseMove(POINT point) {
    if (!m_hoverOff) {
        HWND parent = ::GetParent(m_hWnd);
        HWND foreground = ::GetForegroundWindow();
        if (parent && foreground && parent != foreground) {
            // Another window is in front: the hover ends even though the pointer is still here.
            if (::GetCapture() == m_hWnd) ::ReleaseCapture();
            OnMouseLeave();
        } else if (::GetCapture() == m_hWnd) {
            RECT area = GetWindowRect();
            ScreenToClient(area);
            if (!::PtInRect(&area, point)) {
                ::ReleaseCapture();
                OnMouseLeave();
            }
        } else {
            ::SetCapture(m_hWnd);
            OnMouseEnter();
        }
    }
    if (m_helpSink) m_helpSink->ShowHelpText(m_helpValue);
}

int CMyStatic::OnMouseEnter() {
    if (HCURSOR hand = ::LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(IDC_HANDCURSOR))) ::SetCursor(hand);
    SaveCaption();
    if (m_timerId == kNoTimer) {
        UINT_PTR id = SetTimer(kWaveTimerId, kWavePeriodMs);
        if (id != 0) m_timerId = id;
    }
    Repaint();
    return 0;
}

int CMyStatic::OnMouseLeave() {
    Repaint();
    return 0;
}

void CMyStatic::OnWaveTick() {
    int length = static_cast<int>(m_savedCaption.size());
    if (m_wavePosition >= length - 1) {
        StopWave();
        return;
    }
    ++m_wavePosition;
    std::string shown = m_savedCaption;
    shown[static_cast<size_t>(m_wavePosition)] = flipCase(shown[static_cast<size_t>(m_wavePosition)]);
    SetWindowText(shown);
}

void CMyStatic::OnClick() {
    SaveCaption();
    StopWave();
    if (m_webLink) (m_linkOpener ? m_linkOpener : &shellOpen)(m_linkTarget.empty() ? m_savedCaption : m_linkTarget, "Hello");
}

void CMyStatic::SaveCaption() {
    if (m_captionSaved) return;
    m_savedCaption = GetWindowText();
    m_captionSaved = TRUE;
}

void CMyStatic::StopWave() {
    if (m_timerId != kNoTimer) KillTimer(m_timerId);
    // Only a label that waved (or was clicked) has its caption saved; one that never did keeps its text.
    if (m_captionSaved) SetWindowText(m_savedCaption);
    m_timerId = kNoTimer;
    m_wavePosition = -1;
    Invalidate(true);
}

void CMyStatic::Repaint() {
    Invalidate(true);
    UpdateWindow();
}

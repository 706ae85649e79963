#include "ui/ResizeDialog.h"

#include <algorithm>
#include <cstring>

#include "core/Settings.h"
#include "framework/Controls.h"
#include "framework/Module.h"
#include "plugin/win/RegistryProfile.h"

static_assert(sizeof(WINDOWPLACEMENT) == CResizer::kPlacementSize, "the stored placement is the system's record");

namespace {
const int kSizeGripBitmap = 32766;  // OBM_SIZE, the system's size-grip bitmap

int width(const RECT& r) { return r.right - r.left; }
int height(const RECT& r) { return r.bottom - r.top; }

// An edge position after a change, held at single precision however the compiler keeps its
// intermediates, so that the comparison with the stored position is exact.
float movedEdge(float position, int change, float factor) {
    volatile float result = position + static_cast<float>(change) * factor;
    return result;
}

// One position of [low, high - length] for a span of `length`; `low` when the span is longer.
long long keepInside(long long start, long long length, long long low, long long high) {
    if (start + length > high) start = high - length;
    if (start < low) start = low;
    return start;
}

bool insideRect(POINT point, const RECT& area) {
    return point.x >= area.left && point.x < area.right && point.y >= area.top && point.y < area.bottom;
}

// Shared by both hosts: true when the message is answered here.
bool resizeMessage(CWnd& owner, CResizer& resizer, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SHOWWINDOW:
        resizer.OnShowWindow(wParam != FALSE);
        return false;
    case WM_GETMINMAXINFO:
        resizer.OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        result = 0;
        return true;
    case WM_NCHITTEST: {
        // The grip drags the window's corner like the sizing border does.
        HWND grip = resizer.Grip();
        if (!grip || !::IsWindowVisible(grip) || !(owner.GetStyle() & WS_THICKFRAME) || ::IsZoomed(owner)) return false;
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        RECT area = CWnd(grip).GetWindowRect();
        if (!insideRect(point, area)) return false;
        result = HTBOTTOMRIGHT;
        return true;
    }
    default:
        return false;
    }
}
}  // namespace

CResizer::CResizer(CWnd& owner, DWORD flags) : m_owner(owner), m_flags(flags) {}

CResizer::~CResizer() {
    for (auto& entry : m_entries) {
        if (entry->owned) entry->owned->Detach();
    }
    m_entries.clear();
    if (m_grip && ::IsWindow(m_grip)) ::DestroyWindow(m_grip);
}

void CResizer::Init() {
    m_lastRect = m_owner.GetWindowRect();
    if (!(m_flags & ResizeNoMinSize)) m_minTrack = SIZE{width(m_lastRect), height(m_lastRect)};
    if (!(m_flags & ResizeNoClipChildren)) m_owner.ModifyStyle(0, WS_CLIPCHILDREN);
    if (m_flags & ResizeNoGrip) return;

    m_gripBitmap.reset(::LoadBitmapA(nullptr, MAKEINTRESOURCEA(kSizeGripBitmap)));
    m_grip = ::CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, 16, 16, m_owner,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kGripId)), moduleInstance(), nullptr);
    if (!m_grip) return;
    CStatic(m_grip).SetBitmap(m_gripBitmap.get());
    RECT client = m_owner.GetClientRect();
    RECT grip = CWnd(m_grip).GetClientRect();
    ::SetWindowPos(m_grip, HWND_TOP, client.right - grip.right, client.bottom - grip.bottom, 0, 0, SWP_NOSIZE);
    AddControl(kGripId, ResizeRule{1, 1, 1, 1});
}

const ResizeEntry* CResizer::Entry(int id) const {
    for (const auto& entry : m_entries) {
        if (::GetDlgCtrlID(entry->window) == id) return entry.get();
    }
    return nullptr;
}

void CResizer::AddControl(int id, const ResizeRule& rule) {
    if (ResizeEntry* known = const_cast<ResizeEntry*>(Entry(id))) {
        known->rule.left += rule.left;
        known->rule.top += rule.top;
        known->rule.right += rule.right;
        known->rule.bottom += rule.bottom;
        return;
    }
    HWND window = ::GetDlgItem(m_owner, id);
    if (!window) return;  // no such control in this template: nothing to move

    auto entry = std::make_unique<ResizeEntry>();
    entry->window = window;
    entry->control = CWnd::FromHandlePermanent(window);
    if (!entry->control) {
        entry->owned = std::make_unique<CWnd>(window);
        entry->control = entry->owned.get();
    }
    entry->rule = rule;
    RECT rect = CWnd(window).GetWindowRect();
    m_owner.ScreenToClient(rect);
    entry->left = static_cast<float>(rect.left);
    entry->top = static_cast<float>(rect.top);
    entry->right = static_cast<float>(rect.right);
    entry->bottom = static_cast<float>(rect.bottom);
    m_entries.push_back(std::move(entry));

    if (m_flags & ResizeNoTransparentButtons) return;
    // Group boxes and check or radio buttons without a tab stop are drawn over by what lies
    // beneath them when they move; transparent, they let it show through instead.
    char className[8] = {};
    ::GetClassNameA(window, className, sizeof className);
    DWORD style = CWnd(window).GetStyle();
    if (lstrcmpiA(className, "Button") == 0 && (style & 7) != 0 && !(style & WS_TABSTOP)) {
        CWnd(window).ModifyStyleEx(0, WS_EX_TRANSPARENT);
        ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HDWP CResizer::DeferMove(HDWP batch, HWND window, int x, int y, int cx, int cy) {
    return ::DeferWindowPos(batch, window, nullptr, x, y, cx, cy, SWP_NOZORDER);
}

void CResizer::OnSize() {
    if (m_entries.empty()) return;
    RECT now = m_owner.GetWindowRect();
    int dx = width(now) - width(m_lastRect);
    int dy = height(now) - height(m_lastRect);

    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(m_entries.size()));
    bool abandoned = false;
    for (auto& entry : m_entries) {
        float left = movedEdge(entry->left, dx, entry->rule.left);
        float top = movedEdge(entry->top, dy, entry->rule.top);
        float right = movedEdge(entry->right, dx, entry->rule.right);
        float bottom = movedEdge(entry->bottom, dy, entry->rule.bottom);
        if (left == entry->left && top == entry->top && right == entry->right && bottom == entry->bottom) continue;
        entry->left = left;
        entry->top = top;
        entry->right = right;
        entry->bottom = bottom;
        if (!::IsWindow(entry->window)) continue;  // a control that is gone keeps its positions only
        HDWP next = batch ? DeferMove(batch, entry->window, static_cast<int>(left), static_cast<int>(top),
                                      static_cast<int>(right - left), static_cast<int>(bottom - top))
                          : nullptr;
        if (!next) {
            // The system has given up the batch: no move of this pass takes place.
            abandoned = true;
            break;
        }
        batch = next;
    }
    if (!abandoned && batch) ::EndDeferWindowPos(batch);
    m_lastRect = now;
    // A maximized window cannot be sized: its grip would promise what it cannot do.
    if (m_grip && ::IsWindow(m_grip)) ::ShowWindow(m_grip, ::IsZoomed(m_owner) ? SW_HIDE : SW_SHOWNA);
}

void CResizer::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (!info) return;
    if (m_lastRect.left || m_lastRect.top || m_lastRect.right || m_lastRect.bottom) {
        if (m_flags & ResizeFixedWidth) info->ptMaxSize.x = info->ptMaxTrackSize.x = width(m_lastRect);
        if (m_flags & ResizeFixedHeight) info->ptMaxSize.y = info->ptMaxTrackSize.y = height(m_lastRect);
    }
    if (m_minTrack.cx) info->ptMinTrackSize.x = m_minTrack.cx;
    if (m_minTrack.cy) info->ptMinTrackSize.y = m_minTrack.cy;
    if (m_maxTrack.cx) info->ptMaxTrackSize.x = m_maxTrack.cx;
    if (m_maxTrack.cy) info->ptMaxTrackSize.y = m_maxTrack.cy;
}

RECT CResizer::ReachableRect(RECT stored, const RECT& workArea, SIZE minimum) {
    long long areaWidth = workArea.right - workArea.left;
    long long areaHeight = workArea.bottom - workArea.top;
    long long w = static_cast<long long>(stored.right) - stored.left;
    long long h = static_cast<long long>(stored.bottom) - stored.top;
    w = std::max<long long>(std::min(w, areaWidth), std::max<long long>(minimum.cx, 1));
    h = std::max<long long>(std::min(h, areaHeight), std::max<long long>(minimum.cy, 1));
    long long left = keepInside(stored.left, w, workArea.left, workArea.right);
    long long top = keepInside(stored.top, h, workArea.top, workArea.bottom);
    return RECT{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + w), static_cast<LONG>(top + h)};
}

bool CResizer::LoadPlacement(RegistryProfile* profile, const std::string& section) {
    if (!profile || !m_owner.IsWindow()) return false;
    std::vector<unsigned char> data;
    if (!profile->getBinary(section, kPlacementKey, data) || data.size() != kPlacementSize) return false;
    WINDOWPLACEMENT placement;
    memcpy(&placement, data.data(), kPlacementSize);
    placement.length = kPlacementSize;

    // The stored record may come from another screen, an older layout or a damaged registry: the
    // window opens maximized or normal (never hidden or minimized), on a screen, at a usable size.
    if (placement.showCmd != SW_SHOWMAXIMIZED) placement.showCmd = SW_SHOWNORMAL;
    placement.flags &= WPF_SETMINPOSITION | WPF_RESTORETOMAXIMIZED;
    // The normal rectangle is in workspace coordinates: relative to the primary screen's work area.
    POINT origin{0, 0};
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    if (::GetMonitorInfoA(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &primary)) {
        origin.x = primary.rcWork.left;
        origin.y = primary.rcWork.top;
    }
    RECT onScreen = placement.rcNormalPosition;
    ::OffsetRect(&onScreen, origin.x, origin.y);
    MONITORINFO nearest{};
    nearest.cbSize = sizeof nearest;
    if (!::GetMonitorInfoA(::MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &nearest)) return false;
    SIZE minimum = m_minTrack;
    if (!minimum.cx) minimum.cx = ::GetSystemMetrics(SM_CXMINTRACK);
    if (!minimum.cy) minimum.cy = ::GetSystemMetrics(SM_CYMINTRACK);
    RECT reachable = ReachableRect(onScreen, nearest.rcWork, minimum);
    ::OffsetRect(&reachable, -origin.x, -origin.y);
    placement.rcNormalPosition = reachable;
    if (!::PtInRect(&nearest.rcMonitor, placement.ptMaxPosition)) placement.ptMaxPosition = POINT{-1, -1};
    if (!::PtInRect(&nearest.rcMonitor, placement.ptMinPosition)) placement.ptMinPosition = POINT{-1, -1};
    // A window still hidden (a dialog in WM_INITDIALOG) is maximized once it is shown: the dialog
    // manager shows a modal dialog with SW_SHOWNORMAL when its queue first runs empty, and under
    // Wine it does so even when the window is already visible, which would restore a window
    // maximized here.
    m_maximizeWhenShown = placement.showCmd == SW_SHOWMAXIMIZED && !m_owner.IsWindowVisible();
    if (m_maximizeWhenShown) placement.showCmd = SW_HIDE;
    return ::SetWindowPlacement(m_owner, &placement) != FALSE;
}

void CResizer::OnShowWindow(bool shown) {
    if (!shown || !m_maximizeWhenShown) return;
    m_maximizeWhenShown = false;
    // Posted, so that it follows whatever showed the window, as a click on the maximize box would.
    m_owner.PostMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

bool CResizer::SavePlacement(RegistryProfile* profile, const std::string& section) {
    if (!profile || !m_owner.IsWindow()) return false;
    WINDOWPLACEMENT placement{};
    placement.length = kPlacementSize;
    if (!::GetWindowPlacement(m_owner, &placement)) return false;
    std::vector<unsigned char> data(kPlacementSize);
    memcpy(data.data(), &placement, kPlacementSize);
    return profile->writeBinary(section, kPlacementKey, data);
}

template <class Base>
BOOL CResizeHost<Base>::OnInitDialog() {
    Base::OnInitDialog();
    m_resizer.Init();
    return TRUE;
}

template <class Base>
bool CResizeHost<Base>::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SIZE) {
        m_resizer.OnSize();
        OnSizeChanged(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return false;  // the window's default processing follows
    }
    return resizeMessage(*this, m_resizer, message, wParam, lParam, result);
}

template <class Base>
void CResizeHost<Base>::OnSizeChanged(UINT, int, int) {}

template class CResizeHost<CDialog>;
template class CResizeHost<CPropertyPage>;

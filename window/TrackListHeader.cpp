#include "window/TrackListHeader.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Module.h"
#include "resources/resource.h"
#include "window/TrackListDrawing.h"

CTrackListHeader::CTrackListHeader(ITrackListOwner& owner)
    : m_owner(owner),
      m_separator(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW))),
      m_light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNHIGHLIGHT))) {
    LOGFONTA font = {};
    font.lfHeight = 15;
    ::lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    m_font.reset(::CreateFontIndirectA(&font));
}

void CTrackListHeader::SetIndicator(int column, bool ascending) {
    m_indicatorColumn = column;
    m_indicatorAscending = ascending;
    if (IsWindow()) Invalidate(true);
}

int CTrackListHeader::ItemUnder(POINT point) const {
    UINT flags = 0;
    const int item = HitTest(point, &flags);
    return item >= 0 && flags == HHT_ONHEADER ? item : -1;
}

LRESULT CTrackListHeader::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint fills everything
    case WM_MOUSEMOVE:
        OnMouseMove(pointOf(lParam));
        break;
    case WM_SETCURSOR: {
        // The pointing hand over a caption, set here rather than in the header class, which
        // every other header of the player's process shares.
        POINT p = {};
        if (LOWORD(lParam) == HTCLIENT && ::GetCursorPos(&p)) {
            ScreenToClient(p);
            HCURSOR hand = ::LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(IDC_HANDCURSOR));
            if (ItemUnder(p) >= 0 && hand) {
                ::SetCursor(hand);
                return TRUE;
            }
        }
        break;
    }
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

void CTrackListHeader::OnMouseMove(POINT point) {
    const int item = ItemUnder(point);
    if (item >= 0) {
        m_hoverText = HelpValueText(m_helpId) + GetItemText(item, 256);
        if (HCURSOR hand = ::LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(IDC_HANDCURSOR))) ::SetCursor(hand);
    } else {
        m_hoverText.clear();
    }
    m_owner.ShowHelpText(m_hoverText.empty() ? 0 : reinterpret_cast<HelpValue>(m_hoverText.c_str()));
    // A divider the user dragged is stored at once.
    m_owner.SaveColumnWidths();
}

void CTrackListHeader::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    if (!dc) return;
    RECT client = GetClientRect();
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const int count = GetItemCount();
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        if (!GetItemRect(i, item)) continue;
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, item.left, item.top, item.right, item.bottom);
        {
            SelectObjectScope pen(dc, m_separator.get());
            ::MoveToEx(dc, item.right - 1, item.top + 2, nullptr);
            ::LineTo(dc, item.right - 1, item.bottom - 2);
        }
        // Measured in the context's own font: the indicator keeps its size whatever the captions use.
        const int c = spaceWidth(dc);
        RECT caption = item;
        if (i == m_indicatorColumn) caption.right -= 6 * c;
        caption.left += 2 * c;
        caption.right -= 2 * c;
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        if (m_font) ::SelectObject(dc, m_font.get());
        char text[256] = {};
        HDITEMA info = {};
        info.mask = HDI_TEXT | HDI_FORMAT;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        GetItem(i, info);
        if (!::IsRectEmpty(&caption)) {
            const UINT align = (info.fmt & HDF_JUSTIFYMASK) == HDF_CENTER ? DT_CENTER
                               : (info.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT ? DT_RIGHT : DT_LEFT;
            ::DrawTextA(dc, text, -1, &caption, kTextFlags | align);
        }
        if (i == m_indicatorColumn) DrawIndicator(dc, item, c);
        ::RestoreDC(dc, saved);
    }
    ::EndPaint(m_hWnd, &ps);
}

void CTrackListHeader::DrawIndicator(HDC dc, const RECT& item, int c) const {
    const int R = item.right;
    const int h = (item.bottom - item.top - 2 * c) / 2;
    SelectObjectScope light(dc, m_light.get());
    if (m_indicatorAscending) {
        ::MoveToEx(dc, R - 4 * c, h - 1, nullptr);
        ::LineTo(dc, R - 3 * c, h + 2 * c);
        ::LineTo(dc, R - 5 * c - 2, h + 2 * c);
        ::SelectObject(dc, m_separator.get());
        ::MoveToEx(dc, R - 5 * c - 1, h + 2 * c - 1, nullptr);
        ::LineTo(dc, R - 4 * c, h - 2);
    } else {
        ::MoveToEx(dc, R - 3 * c, h - 1, nullptr);
        ::LineTo(dc, R - 4 * c - 1, h + 2 * c + 1);
        ::SelectObject(dc, m_separator.get());
        ::MoveToEx(dc, R - 4 * c - 1, h + 2 * c, nullptr);
        ::LineTo(dc, R - 5 * c - 1, h - 1);
        ::LineTo(dc, R - 3 * c, h - 1);
    }
}

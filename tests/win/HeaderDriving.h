// A list view's header as a user's mouse meets it: the column of a caption, the middle of its
// item, a click there. Shared by the list's tests and the window benchmark.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

inline HWND listHeader(HWND list) { return reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0)); }

// The column whose caption is `caption`, or -1.
inline int headerColumn(HWND list, const std::string& caption) {
    HWND header = listHeader(list);
    const int count = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int c = 0; c < count; ++c) {
        char text[64] = {};
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        if (caption == text) return c;
    }
    return -1;
}

inline POINT headerPoint(HWND list, int column) {
    RECT r = {};
    ::SendMessageA(listHeader(list), HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The left button pressed and released on the middle of a column's caption.
inline void clickHeaderColumn(HWND list, int column) {
    const POINT p = headerPoint(list, column);
    ::SendMessageA(listHeader(list), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::SendMessageA(listHeader(list), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

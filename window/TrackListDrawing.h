// What the track list and its header draw and read alike.
#pragma once
#include <windows.h>

// The client point of a mouse message.
inline POINT pointOf(LPARAM lParam) { return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

// One line of text, cut with an ellipsis, ampersands as they are.
constexpr UINT kTextFlags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

inline int spaceWidth(HDC dc) {
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, " ", 1, &size);
    return size.cx;
}

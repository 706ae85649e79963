// The record commands of the Playtally window: each acts on the record of the first selected row
// (nothing when no row is selected). After a removal or a tag edit the list is built again; a path
// change or a play leaves it as it is.
#include "window/PlaytallyDlg.h"

#include <commctrl.h>

#include "database/Doc.h"
#include "framework/Module.h"
#include "framework/Wnd.h"
#include "plugin/win/PlaytallyApp.h"

void CPlaytallyDlg::RemoveCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0 && theApp().doc().RemoveRecord(index)) List().RefillRows(true, false);
    } catch (...) {
        reportCallbackException("remove command");
    }
}

void CPlaytallyDlg::EditCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0 && theApp().doc().EditTag(index)) List().RefillRows(true, false);
    } catch (...) {
        reportCallbackException("edit command");
    }
}

void CPlaytallyDlg::PlayCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0) theApp().doc().PlayRecord(index);
    } catch (...) {
        reportCallbackException("play command");
    }
}

void CPlaytallyDlg::PathCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0) theApp().doc().ChangePath(index, std::string());
    } catch (...) {
        reportCallbackException("path command");
    }
}

bool CPlaytallyDlg::OnListDoubleClick(const NMHDR& header) {
    if (header.code != NM_DBLCLK) return false;
    // A double click on empty space below the rows plays nothing.
    if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) PlayCommand();
    SetMsgResult(0);
    return true;
}

// The menu comes from the list's WM_CONTEXTMENU, which follows its right-click notification on
// every system (Wine's list sends no notification for a right click at all).
bool CPlaytallyDlg::OnListContextMenu(HWND from, LPARAM screen) {
    if (!m_list.IsWindow() || from != m_list.m_hWnd) return false;
    try {
        POINT p = {static_cast<short>(LOWORD(screen)), static_cast<short>(HIWORD(screen))};
        LVHITTESTINFO hit = {};
        if (screen == -1) {
            // From the keyboard: at the selected row.
            RECT r = {LVIR_BOUNDS};
            const int item = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            if (item < 0 || !m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&r)))
                return true;
            p = {r.left + 8, (r.top + r.bottom) / 2};
            ::ClientToScreen(from, &p);
        }
        hit.pt = p;
        ::ScreenToClient(from, &hit.pt);
        // Over empty space there is no menu.
        if (m_list.SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0) return true;
        if (HMENU menu = ::LoadMenuA(moduleInstance(), MAKEINTRESOURCEA(1005))) {
            // Its items are the window's own commands: Play, Remove, Path..., Edit...
            ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_NONOTIFY, p.x, p.y, 0, m_hWnd, nullptr);
            ::DestroyMenu(menu);
        }
    } catch (...) {
        reportCallbackException("list menu");
    }
    return true;
}

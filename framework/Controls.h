// Non-owning wrappers of the standard and common controls: each is a CWnd with the messages of its
// control class as members, so that `CButton(GetDlgItem(1069)).SetCheck(BST_CHECKED)` reads like
// the calls it makes. They add no data, so a temporary costs a handle; a class that subclasses a
// control derives from the matching wrapper.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Module.h"
#include "framework/Wnd.h"

class CStatic : public CWnd {
public:
    using CWnd::CWnd;
    HICON SetIcon(HICON icon) {
        return reinterpret_cast<HICON>(SendMessage(STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    HBITMAP SetBitmap(HBITMAP bitmap) {
        return reinterpret_cast<HBITMAP>(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
};

class CButton : public CWnd {
public:
    using CWnd::CWnd;
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
    void Click() { SendMessage(BM_CLICK); }
};

class CEdit : public CWnd {
public:
    using CWnd::CWnd;
    void SetSel(int start, int end, bool noScroll = false) {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
        if (!noScroll) SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(const std::string& text, bool canUndo = false) {
        SendMessage(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void LimitText(int characters) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(characters)); }
};

class CComboBox : public CWnd {
public:
    using CWnd::CWnd;
    int AddString(const std::string& text) {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    DWORD_PTR GetItemData(int index) const {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, DWORD_PTR data) {
        return static_cast<int>(SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
};

class CProgressCtrl : public CWnd {
public:
    using CWnd::CWnd;
    void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
    void SetRange32(int lower, int upper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper)); }
    int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
    int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
    int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};

class CHeaderCtrl : public CWnd {
public:
    using CWnd::CWnd;
    int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
    bool GetItemRect(int index, RECT& rect) const {
        return SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    bool GetItem(int index, HDITEMA& item) const {
        return SendMessage(HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    std::string GetItemText(int index, int bufferSize = 256) const {
        std::vector<char> buffer(static_cast<size_t>(bufferSize), '\0');
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = buffer.data();
        item.cchTextMax = bufferSize;
        if (!GetItem(index, item)) return std::string();
        return std::string(item.pszText ? item.pszText : "");
    }
    // The index of the item under `point` (client coordinates), with the hit flags; -1 if none.
    int HitTest(POINT point, UINT* flags = nullptr) const {
        HDHITTESTINFO info{};
        info.pt = point;
        int index = static_cast<int>(SendMessage(HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (flags) *flags = info.flags;
        return index;
    }
};

class CListCtrl : public CWnd {
public:
    using CWnd::CWnd;
    CHeaderCtrl GetHeaderCtrl() const { return CHeaderCtrl(reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER))); }

    bool DeleteColumn(int index) { return SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(index)) != 0; }
    int GetColumnCount() const { return GetHeaderCtrl().GetItemCount(); }
    int GetColumnWidth(int index) const { return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index))); }

    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    std::string GetItemText(int index, int subItem, int bufferSize = 1024) const {
        std::vector<char> buffer(static_cast<size_t>(bufferSize), '\0');
        LVITEMA item{};
        item.iSubItem = subItem;
        item.pszText = buffer.data();
        item.cchTextMax = bufferSize;
        LRESULT n = SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
        return std::string(item.pszText ? item.pszText : "", n > 0 ? static_cast<size_t>(n) : 0);
    }
    LPARAM GetItemData(int index) const {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
    }
    bool SetItemData(int index, LPARAM data) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        item.lParam = data;
        return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
    }
    UINT GetItemState(int index, UINT mask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), static_cast<LPARAM>(mask)));
    }
    bool SetItemState(int index, UINT state, UINT mask) {
        LVITEMA item{};
        item.state = state;
        item.stateMask = mask;
        return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
    }
    bool EnsureVisible(int index, bool partialOk) {
        return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk ? TRUE : FALSE) != 0;
    }
    bool GetItemRect(int index, RECT& rect, int code) const {
        rect.left = code;
        return SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect)) != 0;
    }
    int HitTest(POINT point, UINT* flags = nullptr) const {
        LVHITTESTINFO info{};
        info.pt = point;
        int index = static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (flags) *flags = info.flags;
        return index;
    }
};

class CDateTimeCtrl : public CWnd {
public:
    using CWnd::CWnd;
    // GDT_VALID when the control holds a time, GDT_NONE when it is cleared, GDT_ERROR on failure.
    DWORD GetTime(SYSTEMTIME& time) const {
        return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)));
    }
    bool SetTime(const SYSTEMTIME& time) {
        return SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time)) != 0;
    }
    bool SetFormat(const std::string& format) {
        return SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format.c_str())) != 0;
    }
};

// A tooltip window that a page or dialog creates for its controls. The tooltip belongs to its
// owner window and is destroyed with it.
class CToolTipCtrl : public CWnd {
public:
    using CWnd::CWnd;
    bool Create(HWND owner, DWORD style = 0) {
        m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, moduleInstance(), nullptr);
        return m_hWnd != nullptr;
    }
    // A tool for a child control, identified by its window; `text` is copied by the tooltip. Without
    // TTF_SUBCLASS in `flags` the owner relays the mouse messages (RelayEvent).
    bool AddTool(HWND control, const std::string& text, UINT flags = TTF_IDISHWND) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;  // understood by every version of the common controls
        tool.uFlags = flags | TTF_IDISHWND;
        tool.hwnd = ::GetParent(control);
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = const_cast<char*>(text.c_str());
        return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
    }
    void SetDelayTime(DWORD kind, int milliseconds) {
        SendMessage(TTM_SETDELAYTIME, kind, MAKELPARAM(milliseconds, 0));
    }
    int SetMaxTipWidth(int width) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
    void Activate(bool active) { SendMessage(TTM_ACTIVATE, active ? TRUE : FALSE); }
    void RelayEvent(MSG* message) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(message)); }
};

#include "window/TrackListCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "core/AppContext.h"
#include "core/CodePage.h"
#include "core/Utf.h"
#include "core/win/SystemText.h"
#include "database/Doc.h"
#include "framework/Handles.h"
#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "window/TrackListDrawing.h"

namespace {

// The columns in column order (captioned with their names, kColumnNames): the fields, then First,
// Last and Heard.
struct Column {
    int width;
    CTrackListCtrl::SortKind kind;
};
const Column kColumns[kColumnCount] = {
    {25, CTrackListCtrl::SortNumber},  {60, CTrackListCtrl::SortTime},  {35, CTrackListCtrl::SortNumber},
    {60, CTrackListCtrl::SortTime},    {60, CTrackListCtrl::SortTime},  {130, CTrackListCtrl::SortText},
    {160, CTrackListCtrl::SortText},   {100, CTrackListCtrl::SortText}, {40, CTrackListCtrl::SortNumber},
    {60, CTrackListCtrl::SortText},    {150, CTrackListCtrl::SortText}, {90, CTrackListCtrl::SortTime},
    {90, CTrackListCtrl::SortTime},    {70, CTrackListCtrl::SortTime},
};

constexpr HelpValue kHeaderHelpId = IDS_HELP_HEADER;
constexpr int kContextMenuId = IDR_LIST_MENU;

UINT alignmentOf(int format) {
    switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_CENTER: return DT_CENTER;
    case LVCFMT_RIGHT: return DT_RIGHT;
    default: return DT_LEFT;
    }
}

// A cell's UTF-8 text, whole whatever the code page.
void drawText(HDC dc, const std::string& utf8, RECT& r, UINT flags) {
    const std::u16string wide = utf8ToUtf16(utf8);
    ::DrawTextW(dc, wideChars(wide), static_cast<int>(wide.size()), &r, flags);
}

// The value a Date, Length or Played cell stands for; an empty cell lies below every value.
long long timeKey(const CListRow& row, int field) {
    switch (field) {
    case ColumnFirst: return row.firstDate;
    case ColumnLast: return row.lastDate;
    case ColumnHeard: return row.heard;
    default: break;
    }
    if (row.cells[field].empty()) return LLONG_MIN;
    return field == FieldDate ? row.date : field == FieldLength ? row.length : row.played;
}

// Row a before row b: by the keys, or by the texts' sort keys (the user's locale, ignoring case);
// the other way round when descending. Rows that compare equal keep their order.
struct RowOrder {
    const long long* keys;
    const std::string* texts;
    bool ascending;
    bool operator()(std::int32_t a, std::int32_t b) const {
        if (!ascending) std::swap(a, b);
        return texts ? texts[a] < texts[b] : keys[a] < keys[b];
    }
};

constexpr DWORD kCompareFlags = NORM_IGNORECASE | SORT_STRINGSORT;

// The bytes that order a UTF-8 text as the user's locale compares it ignoring case: computed once
// per row, so that the sort compares bytes rather than asking the system for each comparison.
std::string sortKeyOf(const std::string& utf8) {
    const std::u16string wide = utf8ToUtf16(utf8);
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    const int n = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kCompareFlags, wideChars(wide), length, nullptr, 0);
    if (n <= 0) return utf8FoldCase(utf8);  // no key from the system: the shared case folding
    std::string key(static_cast<std::size_t>(n), '\0');
    ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | kCompareFlags, wideChars(wide), length,
                   reinterpret_cast<wchar_t*>(&key[0]), n);
    // The key ends in a zero byte, which orders nothing.
    while (!key.empty() && key.back() == '\0') key.pop_back();
    return key;
}

// Cells are UTF-8; an ANSI list view gets what the code page makes of them.
void copyText(NMLVDISPINFOA& info, const std::string& text) {
    if (info.item.pszText && info.item.cchTextMax > 0)
        ::lstrcpynA(info.item.pszText, utf8ToAnsi(text).c_str(), info.item.cchTextMax);
}

void copyText(NMLVDISPINFOW& info, const std::string& text) {
    if (!info.item.pszText || info.item.cchTextMax <= 0) return;
    const std::u16string wide = utf8ToUtf16(text);
    const std::size_t n = std::min<std::size_t>(wide.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), info.item.pszText);
    info.item.pszText[n] = L'\0';
}

}  // namespace

const char* CTrackListCtrl::Caption(int field) { return field >= 0 && field < kColumnCount ? kColumnNames[field] : ""; }
int CTrackListCtrl::DefaultWidth(int field) { return field >= 0 && field < kColumnCount ? kColumns[field].width : 0; }
CTrackListCtrl::SortKind CTrackListCtrl::KindOf(int field) { return kColumns[field].kind; }

bool CTrackListCtrl::SubclassList(HWND list) {
    if (!SubclassWindow(list)) return false;
    // Unicode notifications whatever the dialog's kind: the cells' texts go out whole.
    SendMessage(LVM_SETUNICODEFORMAT, TRUE);
    m_header.m_helpId = kHeaderHelpId;
    m_header.SubclassWindow(GetHeaderCtrl());
    return true;
}

void CTrackListCtrl::SetHighlightWholeRow() {
    m_highlight = 1;
    ModifyStyle(0, LVS_OWNERDRAWFIXED);
}

bool CTrackListCtrl::SetSortKinds(const unsigned char* kinds, int count) {
    m_sortKinds.clear();
    if (count < 0 || (count > 0 && !kinds)) return false;
    for (int i = 0; i < count; ++i)
        if (kinds[i] < SortText || kinds[i] > SortTime) return false;
    m_sortKinds.assign(kinds, kinds + count);
    return true;
}

void CTrackListCtrl::SuspendRedraw() {
    if (m_redrawLock++ == 0) SendMessage(WM_SETREDRAW, FALSE);
}

void CTrackListCtrl::ResumeRedraw() {
    if (--m_redrawLock > 0) return;
    m_redrawLock = 0;
    SendMessage(WM_SETREDRAW, TRUE);
    Invalidate(true);
}

namespace {
// A suspension of the list's redrawing that ends however its scope does (a build may throw).
using RedrawPause = PairedCallScope<CTrackListCtrl, &CTrackListCtrl::SuspendRedraw, &CTrackListCtrl::ResumeRedraw>;
}  // namespace

void CTrackListCtrl::ReloadList(bool rebuild, bool showProgress) {
    RedrawPause pause(*this);
    for (int n = ColumnCount(); n > 0; --n) DeleteColumn(0);
    const auto& shown = m_owner.ShownColumns();
    std::vector<unsigned char> kinds;
    m_fields.clear();
    for (int f = 0; f < kColumnCount; ++f)
        if (shown[f]) {
            kinds.push_back(kColumns[f].kind);
            m_fields.push_back(f);
        }
    if (SetSortKinds(kinds.data(), static_cast<int>(kinds.size()))) m_sortable = true;
    m_header.SetIndicator(-1, false);
    std::array<int, kColumnCount> widths{};
    m_owner.LoadColumnWidths(widths);
    for (std::size_t k = 0; k < m_fields.size(); ++k) {
        const int f = m_fields[k];
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[f];
        col.pszText = const_cast<char*>(kColumnNames[f]);
        col.iSubItem = static_cast<int>(k);  // the column's position: the list asks texts by it
        SendMessage(LVM_INSERTCOLUMNA, k, reinterpret_cast<LPARAM>(&col));
    }
    RefillRows(rebuild, showProgress);
}

void CTrackListCtrl::RefillRows(bool rebuild, bool showProgress) {
    CDoc* doc = m_owner.Document();
    const auto& shown = m_owner.ShownColumns();
    if (!doc || std::none_of(shown.begin(), shown.end(), [](bool on) { return on; })) return;
    // Asked again from inside the list's own build (its progress window pumps messages): the
    // build under way gives the rows.
    if (m_filling) return;
    m_owner.UpdateRecordLinks();
    if (rebuild) {
        m_filling = true;
        struct FillingMark {
            bool& flag;
            ~FillingMark() { flag = false; }
        } mark{m_filling};
        // The rows shown stay until the new ones are there.
        RowArray rows = m_owner.BuildRows(showProgress);
        m_rowsGeneration = doc->recordsGeneration();
        m_rows.swap(rows);
    }
    {
        RedrawPause pause(*this);
        DeleteAllItems();  // the selection and focus go with the items
        const std::size_t count = m_rows.size();
        // A fresh vector: a list that held 100,000 rows keeps no room for them once it shows 100.
        std::vector<std::int32_t> order(count);
        for (std::size_t i = 0; i < count; ++i) order[i] = static_cast<std::int32_t>(i);
        m_order.swap(order);
        SendMessage(LVM_SETITEMCOUNT, count, 0);
        if (count) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    m_owner.UpdateRecordLinks();  // nothing is selected any more
}

const CListRow* CTrackListCtrl::RowAt(int item) const {
    if (item < 0 || static_cast<std::size_t>(item) >= m_order.size()) return nullptr;
    const std::size_t at = static_cast<std::size_t>(m_order[static_cast<std::size_t>(item)]);
    return at < m_rows.size() ? m_rows[at].get() : nullptr;
}

const std::string* CTrackListCtrl::CellAt(int item, int column) const {
    const CListRow* row = RowAt(item);
    if (!row || column < 0 || static_cast<std::size_t>(column) >= m_fields.size()) return nullptr;
    const int field = m_fields[static_cast<std::size_t>(column)];
    if (field < kFieldCount && !(row->keptOut && column == 0)) return &row->cells[field];
    // First, Last and Heard are written when shown, in the date format of the moment; a play the
    // rules keep out of the rankings carries its mark in the first column.
    CDoc* doc = const_cast<Owner&>(m_owner).Document();
    // Cells are UTF-8; the dates and the mark are made in the code page.
    m_cellText = field < kFieldCount ? row->cells[field]
                                     : ansiToUtf8(rowColumnText(*row, field, doc ? doc->context().current.DateFormat : ""));
    if (row->keptOut && column == 0) m_cellText += " " + ansiToUtf8(loadString(IDS_KEEPOUT_MARK));
    return &m_cellText;
}

int CTrackListCtrl::RecordIndexAt(int item) const {
    const CListRow* row = RowAt(item);
    const CDoc* doc = const_cast<Owner&>(m_owner).Document();
    return row && doc ? doc->RecordOfRow(*row, m_rowsGeneration) : -1;
}

void CTrackListCtrl::OnColumnClick(int column) {
    if (!m_sortable || column < 0 || static_cast<std::size_t>(column) >= m_sortKinds.size() ||
        static_cast<std::size_t>(column) >= m_fields.size())
        return;
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    m_header.SetIndicator(m_sortColumn, m_ascending);
    SortRows(column, m_ascending);
}

void CTrackListCtrl::SortRows(int column, bool ascending) {
    const RowArray& rows = m_rows;
    if (std::any_of(m_order.begin(), m_order.end(),
                    [&](std::int32_t at) { return at < 0 || static_cast<std::size_t>(at) >= rows.size(); }))
        return;
    const int field = m_fields[static_cast<std::size_t>(column)];
    const int kind = m_sortKinds[static_cast<std::size_t>(column)];
    // The selected and focused rows stay selected and focused wherever they go.
    const int selected = GetNextItem(-1, LVNI_SELECTED), focused = GetNextItem(-1, LVNI_FOCUSED);
    const std::int32_t selectedRow = selected >= 0 && static_cast<std::size_t>(selected) < m_order.size() ? m_order[selected] : -1;
    const std::int32_t focusedRow = focused >= 0 && static_cast<std::size_t>(focused) < m_order.size() ? m_order[focused] : -1;

    // Keys by row, made once: a comparison then costs no conversion. One comparer for every
    // kind keeps the sort's code in the plug-in once.
    std::vector<long long> keys;
    std::vector<std::string> texts;
    if (kind == SortText) {
        texts.resize(rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r)
            texts[r] = sortKeyOf(rows[r]->cells[field]);
    } else {
        keys.resize(rows.size());
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = kind == SortNumber ? std::atol(rows[r]->cells[field].c_str()) : timeKey(*rows[r], field);
    }
    const RowOrder order{keys.data(), texts.empty() ? nullptr : texts.data(), ascending};
    std::stable_sort(m_order.begin(), m_order.end(), order);

    if (selectedRow >= 0 || focusedRow >= 0) {
        SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            UINT state = (m_order[i] == selectedRow ? LVIS_SELECTED : 0) | (m_order[i] == focusedRow ? LVIS_FOCUSED : 0);
            if (state) SetItemState(static_cast<int>(i), state, state);
        }
    }
    Invalidate(true);
}

void CTrackListCtrl::ShowContextMenu() {
    POINT screen = {};
    if (!::GetCursorPos(&screen)) return;
    POINT at = screen;
    ScreenToClient(at);
    UINT flags = 0;
    const int item = HitTest(at, &flags);
    if (item < 0 || !(flags & LVHT_ONITEM)) return;  // empty space: no menu
    OpenContextMenu(screen);
}

void CTrackListCtrl::ShowKeyboardContextMenu() {
    const int item = GetNextItem(-1, LVNI_SELECTED);  // a single-selection list
    if (item < 0) return;
    EnsureVisible(item, false);
    RECT label = {};
    if (!GetItemRect(item, label, LVIR_LABEL)) return;
    POINT screen = {label.left + 8, label.bottom};
    ClientToScreen(screen);
    OpenContextMenu(screen);
}

void CTrackListCtrl::OpenContextMenu(POINT screen) {
    UniqueMenu menu(::LoadMenuA(moduleInstance(), MAKEINTRESOURCEA(kContextMenuId)));
    HMENU popup = menu ? ::GetSubMenu(menu.get(), 0) : nullptr;
    if (!popup) return;
    // Its commands go to the window the list sits in.
    ::TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_NONOTIFY, screen.x, screen.y, 0, ::GetParent(m_hWnd), nullptr);
}

void CTrackListCtrl::OnFocusChange(UINT message, HWND other) {
    if (message == WM_KILLFOCUS) m_owner.UpdateRecordLinks();
    if (other && (other == m_hWnd || ::IsChild(m_hWnd, other))) return;
    const int focused = GetNextItem(-1, LVNI_FOCUSED);
    if (focused < 0) return;
    RECT label = {}, client = GetClientRect();
    if (!GetItemRect(focused, label, LVIR_LABEL)) return;
    // The row's highlight reaches the client's right edge (see DrawItem).
    RECT row = {label.left, label.top, client.right + 1, label.bottom};
    ::InvalidateRect(m_hWnd, &row, FALSE);
    UpdateWindow();
}

void CTrackListCtrl::ExtendHighlightToTheRightEdge() {
    if (GetItemCount() <= 0) return;
    RECT first = {}, client = GetClientRect(), update = {};
    if (!GetItemRect(0, first, LVIR_BOUNDS) || first.right >= client.right) return;
    if (!::GetUpdateRect(m_hWnd, &update, FALSE) || ::IsRectEmpty(&update)) return;
    update.left = std::min(update.left, first.right - 1);
    update.right = client.right;
    ::InvalidateRect(m_hWnd, &update, FALSE);
}

int CTrackListCtrl::FindItem(const NMLVFINDITEMA& find) const {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    return FindTyped(find.iStart, ansiToUtf16(find.lvfi.psz));
}

int CTrackListCtrl::FindItem(const NMLVFINDITEMW& find) const {
    if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
    return FindTyped(find.iStart, fromWideChars(find.lvfi.psz, 1024));
}

int CTrackListCtrl::FindTyped(int start, const std::u16string& typed) const {
    // Typing on the list finds the next row whose first column starts with the typed text.
    if (m_fields.empty()) return -1;
    const int count = static_cast<int>(m_order.size());
    for (int n = 0; n < count; ++n) {
        const int item = (std::max(start, 0) + n) % count;
        const std::string* text = CellAt(item, 0);
        if (!text) continue;
        const std::u16string wide = utf8ToUtf16(*text);
        if (wide.size() >= typed.size() &&
            ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideChars(wide), static_cast<int>(typed.size()),
                             wideChars(typed), static_cast<int>(typed.size())) == CSTR_EQUAL)
            return item;
    }
    return -1;
}

bool CTrackListCtrl::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    result = 0;
    switch (header->code) {
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: {
        auto& info = *reinterpret_cast<NMLVDISPINFOA*>(header);  // the same layout but for the text's type
        if (info.item.mask & LVIF_TEXT) {
            const std::string* text = CellAt(info.item.iItem, info.item.iSubItem);
            const std::string none;
            if (header->code == LVN_GETDISPINFOA)
                copyText(info, text ? *text : none);
            else
                copyText(*reinterpret_cast<NMLVDISPINFOW*>(header), text ? *text : none);
        }
        if (info.item.mask & LVIF_PARAM) info.item.lParam = RecordIndexAt(info.item.iItem);
        return true;
    }
    case LVN_ODFINDITEMA:
        result = FindItem(*reinterpret_cast<NMLVFINDITEMA*>(header));
        return true;
    case LVN_ODFINDITEMW:
        result = FindItem(*reinterpret_cast<NMLVFINDITEMW*>(header));
        return true;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        m_owner.UpdateRecordLinks();
        return true;
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) m_owner.RemoveCommand();
        return true;
    case NM_RCLICK:
        ShowContextMenu();
        return true;
    case LVN_COLUMNCLICK:
        // Only when the header's own click did not reach the list first.
        if (!m_inHeaderClick) OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
        return true;
    default:
        return false;
    }
}

LRESULT CTrackListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY: {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (nm && nm->hwndFrom == m_header.m_hWnd && (nm->code == HDN_ITEMCLICKA || nm->code == HDN_ITEMCLICKW)) {
            // Sorted here, and not passed on: the list view would answer it with LVN_COLUMNCLICK
            // (and some forward the header's notification too), a second sort of the same click.
            if (reinterpret_cast<NMHEADERA*>(nm)->iButton == 0) {
                m_inHeaderClick = true;
                OnColumnClick(reinterpret_cast<NMHEADERA*>(nm)->iItem);
                m_inHeaderClick = false;
            }
            return 0;
        }
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
        // The menu key (at its release) and Shift+F10 ask for the context menu, as the default
        // handling does where it knows them: done here, so that the menu comes exactly once.
        if ((message == WM_KEYUP && wParam == VK_APPS) ||
            (message == WM_SYSKEYDOWN && wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0)) {
            ShowKeyboardContextMenu();
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        // From the keyboard the position is (-1, -1); a right click has had its menu at NM_RCLICK.
        if (static_cast<DWORD>(lParam) == 0xFFFFFFFFu) ShowKeyboardContextMenu();
        return 0;
    case WM_MOUSEMOVE:
        m_owner.ShowHelpText(m_helpId);
        break;
    case WM_LBUTTONDBLCLK: {
        const LRESULT r = DefWindowProc(message, wParam, lParam);
        UINT flags = 0;
        const int item = HitTest(pointOf(lParam), &flags);
        if (item >= 0 && (flags & LVHT_ONITEM)) m_owner.PlayCommand();
        return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT r = DefWindowProc(message, wParam, lParam);
        OnFocusChange(message, reinterpret_cast<HWND>(wParam));
        return r;
    }
    case WM_PAINT:
        if (m_highlight) ExtendHighlightToTheRightEdge();
        break;
    default:
        break;
    }
    return DefWindowProc(message, wParam, lParam);
}

void CTrackListCtrl::DrawItem(const DRAWITEMSTRUCT& draw) {
    HDC dc = draw.hDC;
    const int item = static_cast<int>(draw.itemID);
    if (!dc || item < 0) return;
    const int saved = ::SaveDC(dc);
    const bool focus = ::GetFocus() == m_hWnd;
    // An owner-data list keeps only the selection and the focus (no drop highlight), and some
    // list views answer other state bits of such a list with whatever they happen to hold.
    const UINT state = GetItemState(item, LVIS_SELECTED | LVIS_FOCUSED);
    const bool selectedLook = (state & LVIS_SELECTED) && (focus || (GetStyle() & LVS_SHOWSELALWAYS));
    RECT bounds = {}, label = {};
    GetItemRect(item, bounds, LVIR_BOUNDS);
    GetItemRect(item, label, LVIR_LABEL);
    const int offset = 2 * spaceWidth(dc);
    const RECT client = GetClientRect();
    const RECT highlight = {label.left, bounds.top, client.right + 1, bounds.bottom};
    ::SetBkMode(dc, TRANSPARENT);
    if (selectedLook) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
        ::FillRect(dc, &highlight, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    } else if (const CListRow* row = RowAt(item); row && row->keptOut) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        ::FillRect(dc, &highlight, ::GetSysColorBrush(COLOR_WINDOW));
    } else {
        const COLORREF text = static_cast<COLORREF>(SendMessage(LVM_GETTEXTCOLOR));
        ::SetTextColor(dc, text == CLR_DEFAULT ? ::GetSysColor(COLOR_WINDOWTEXT) : text);
        ::FillRect(dc, &highlight, ::GetSysColorBrush(COLOR_WINDOW));
    }

    const int columns = static_cast<int>(m_fields.size());
    int left = bounds.left;
    for (int k = 0; k < columns && k < ColumnCount(); ++k) {
        const int width = GetColumnWidth(k);
        const std::string* text = CellAt(item, k);
        if (k == 0) {
            RECT clip = bounds;
            clip.right = bounds.left + width;
            ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
            RECT r = {label.left + offset / 2, label.top, label.right - offset, label.bottom};
            if (text) drawText(dc, *text, r, kTextFlags | DT_LEFT);
            // The other columns may draw up to the highlight's right edge.
            ::SelectClipRgn(dc, nullptr);
            ::IntersectClipRect(dc, bounds.left, bounds.top, std::max(bounds.right, highlight.right), bounds.bottom);
        } else if (text && !text->empty()) {
            LVCOLUMNA col = {};
            col.mask = LVCF_FMT;
            SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(&col));
            RECT r = {left + offset, bounds.top, left + width - offset, bounds.bottom};
            drawText(dc, *text, r, kTextFlags | alignmentOf(col.fmt));
        }
        left += width;
    }
    if ((state & LVIS_FOCUSED) && focus) ::DrawFocusRect(dc, &highlight);
    ::RestoreDC(dc, saved);
}

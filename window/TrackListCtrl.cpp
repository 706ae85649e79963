#include "window/TrackListCtrl.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <mbstring.h>

#include "database/Doc.h"

namespace {

struct Column {
    const char* caption;
    int width;
    CTrackListCtrl::SortKind kind;
};
const Column kColumns[kFieldCount] = {
    {"#", 25, CTrackListCtrl::SortNumber},     {"Date", 60, CTrackListCtrl::SortTime},
    {"Hit", 35, CTrackListCtrl::SortNumber},   {"Length", 60, CTrackListCtrl::SortTime},
    {"Played", 60, CTrackListCtrl::SortTime},  {"Artist", 130, CTrackListCtrl::SortText},
    {"Title", 160, CTrackListCtrl::SortText},  {"Album", 100, CTrackListCtrl::SortText},
    {"Year", 40, CTrackListCtrl::SortNumber},  {"Genre", 60, CTrackListCtrl::SortText},
    {"Comment", 150, CTrackListCtrl::SortText},
};

// Times and durations sort by the value the cell shows, not by parsing the text: the shown
// text depends on "DateFormat" and the locale and need not parse back. "%H:%M:%S" durations
// and an empty cell (the lowest) order by their digits once read as numbers in each part.
long long timeKey(const std::string& text) {
    if (text.empty()) return -(1LL << 62);
    long long key = 0;
    long long part = 0;
    bool digits = false;
    for (unsigned char c : text) {
        if (c >= '0' && c <= '9') {
            part = part * 10 + (c - '0');
            digits = true;
            if (part > 100000000) part = 100000000;
        } else if (digits) {
            key = key * 100000 + part;
            part = 0;
            digits = false;
        }
    }
    if (digits) key = key * 100000 + part;
    return key;
}

}  // namespace

const char* CTrackListCtrl::Caption(int field) { return field >= 0 && field < kFieldCount ? kColumns[field].caption : ""; }
int CTrackListCtrl::DefaultWidth(int field) { return field >= 0 && field < kFieldCount ? kColumns[field].width : 0; }
CTrackListCtrl::SortKind CTrackListCtrl::KindOf(int field) { return kColumns[field].kind; }

int CTrackListCtrl::ColumnCount() const {
    HWND header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    return header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CTrackListCtrl::SetSortKinds(const unsigned char* kinds, int count) {
    m_sortKinds.clear();
    for (int i = 0; i < count; ++i)
        if (kinds[i] < SortText || kinds[i] > SortTime) {
            m_sortKinds.clear();
            return false;
        }
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
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CTrackListCtrl::ReloadList(bool rebuild, bool showProgress) {
    SuspendRedraw();
    for (int n = ColumnCount(); n > 0; --n) SendMessage(LVM_DELETECOLUMN, 0);
    const auto& shown = m_owner.ShownColumns();
    std::vector<unsigned char> kinds;
    for (int f = 0; f < kFieldCount; ++f)
        if (shown[f]) kinds.push_back(kColumns[f].kind);
    if (SetSortKinds(kinds.data(), static_cast<int>(kinds.size()))) m_sortable = true;
    std::array<int, kFieldCount> widths{};
    m_owner.LoadColumnWidths(widths);
    for (int f = 0; f < kFieldCount; ++f) {
        if (!shown[f]) continue;
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[f];
        col.pszText = const_cast<char*>(kColumns[f].caption);
        col.iSubItem = f;
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(f), reinterpret_cast<LPARAM>(&col));
    }
    RefillRows(rebuild, showProgress);
    ResumeRedraw();
}

void CTrackListCtrl::RefillRows(bool rebuild, bool showProgress) {
    CDoc* doc = m_owner.Document();
    const auto& shown = m_owner.ShownColumns();
    std::vector<int> fields;
    for (int f = 0; f < kFieldCount; ++f)
        if (shown[f]) fields.push_back(f);
    if (!doc || fields.empty()) return;
    m_owner.UpdateRecordLinks();
    if (rebuild) m_owner.BuildRows(showProgress);
    SuspendRedraw();
    SendMessage(LVM_DELETEALLITEMS);
    const auto& rows = doc->groupRows;
    SendMessage(LVM_SETITEMCOUNT, rows.size());
    for (std::size_t j = 0; j < rows.size(); ++j) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(j);
        item.pszText = const_cast<char*>(rows[j]->cells[fields[0]].c_str());
        item.lParam = rows[j]->recordIndex;
        const int at = static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        for (std::size_t k = 1; k < fields.size(); ++k) {
            LVITEMA sub = {};
            sub.iSubItem = static_cast<int>(k);
            sub.pszText = const_cast<char*>(rows[j]->cells[fields[k]].c_str());
            SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
        }
    }
    if (!rows.empty()) ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ResumeRedraw();
}

namespace {
struct SortItem {
    LPARAM data;
    std::string text;
    long long key;
};
}  // namespace

void CTrackListCtrl::SortByColumn(int column) {
    if (!m_sortable || column < 0 || column >= static_cast<int>(m_sortKinds.size())) return;
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    const int kind = m_sortKinds[column];
    const int count = static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
    const int columns = ColumnCount();
    // Take the rows out with every cell, order them, and put them back: one pass of messages
    // instead of a message per comparison.
    std::vector<std::vector<std::string>> cells(count, std::vector<std::string>(columns));
    std::vector<SortItem> items(count);
    char buffer[1024];
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < columns; ++c) {
            LVITEMA it = {};
            it.iSubItem = c;
            it.pszText = buffer;
            it.cchTextMax = sizeof buffer;
            buffer[0] = '\0';
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
            cells[i][c] = buffer;
        }
        LVITEMA it = {};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        items[i] = {it.lParam, cells[i][column], 0};
        items[i].key = kind == SortNumber ? std::atol(items[i].text.c_str()) : kind == SortTime ? timeKey(items[i].text) : 0;
    }
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i) order[i] = i;
    const int d = m_ascending ? 1 : -1;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const SortItem& x = items[a];
        const SortItem& y = items[b];
        int r = kind == SortText ? _mbsicmp(reinterpret_cast<const unsigned char*>(x.text.c_str()),
                                            reinterpret_cast<const unsigned char*>(y.text.c_str()))
                                 : (x.key < y.key ? -1 : x.key > y.key ? 1 : 0);
        return d * r < 0;
    });
    SuspendRedraw();
    for (int i = 0; i < count; ++i) {
        const int from = order[i];
        for (int c = 0; c < columns; ++c) {
            LVITEMA it = {};
            it.iSubItem = c;
            it.pszText = const_cast<char*>(cells[from][c].c_str());
            SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&it));
        }
        LVITEMA it = {};
        it.mask = LVIF_PARAM;
        it.iItem = i;
        it.lParam = items[from].data;
        SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    }
    ResumeRedraw();
}

// The track list: the list view of the Playtally window (control 1010). One column per shown
// field id, in field-id order, over the rows the list builder gave it, which it owns: no other
// build (a report's, another window's) changes what it shows.
//
// The list holds its rows virtually (an owner-data list view): beside the rows it keeps only
// their order, one position per item, and answers texts from the rows' cells when the list view
// asks.
// Filling 100,000 rows is then one LVM_SETITEMCOUNT, and a sort reorders positions instead of
// moving texts. Rows are drawn by the list itself (whole-row highlight), and its header paints
// itself with the sort indicator (TrackListHeader.h).
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ListRow.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "ui/HelpText.h"
#include "window/TrackListHeader.h"

class CTrackListCtrl : public CListCtrl {
public:
    enum SortKind : unsigned char { SortText = 1, SortNumber = 2, SortTime = 3 };
    using Owner = ITrackListOwner;

    explicit CTrackListCtrl(Owner& owner) : m_owner(owner), m_header(owner) {}

    // Subclasses the dialog's list view and its header (whose help id becomes 1059).
    bool SubclassList(HWND list);
    // Turns on the whole-row highlight, drawn by DrawItem (the owner-drawn fixed style).
    void SetHighlightWholeRow();

    // Builds the columns of the shown field ids, then refills the rows.
    void ReloadList(bool rebuild, bool showProgress);
    // Runs the list builder when asked, then shows its rows in the builder's order.
    void RefillRows(bool rebuild, bool showProgress);
    // False (and no kinds kept) when a kind is not one of SortKind.
    bool SetSortKinds(const unsigned char* kinds, int count);
    // Nested: the first suspension stops redrawing, the last resumption repaints the whole list.
    void SuspendRedraw();
    void ResumeRedraw();
    // The position in the document's records of the record item `item` shows, wherever that
    // record went since the rows were built; -1 for no such item or when its record is gone.
    int RecordIndexAt(int item) const;
    // WM_DRAWITEM of the list, which its window passes on.
    void DrawItem(const DRAWITEMSTRUCT& draw);

    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }
    int ColumnCount() const { return GetColumnCount(); }
    const CTrackListHeader& Header() const { return m_header; }
    static const char* Caption(int field);
    static int DefaultWidth(int field);
    static SortKind KindOf(int field);

    HelpValue m_helpId = 0;
    bool m_sortable = false;

    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const CListRow* RowAt(int item) const;
    const std::string* CellAt(int item, int column) const;
    // A click on column `column`: the other direction for the last sort column, else ascending.
    void OnColumnClick(int column);
    void SortRows(int column, bool ascending);
    // The record menu: at the cursor over a row (a right click), or beside the selected row (the
    // keyboard's menu key or Shift+F10); none over empty space or without a selected row.
    void ShowContextMenu();
    void ShowKeyboardContextMenu();
    void OpenContextMenu(POINT screen);
    void OnFocusChange(UINT message, HWND other);
    void ExtendHighlightToTheRightEdge();
    int FindItem(const NMLVFINDITEMA& find) const;
    int FindItem(const NMLVFINDITEMW& find) const;
    int FindTyped(int start, const std::u16string& typed) const;

    Owner& m_owner;
    CTrackListHeader m_header;
    std::vector<unsigned char> m_sortKinds;
    int m_sortColumn = -1;
    bool m_ascending = true;
    int m_redrawLock = 0;
    int m_highlight = 0;
    // The rows shown: item i shows m_rows[m_order[i]], and m_fields[k] is the field id of column
    // k. m_rowsGeneration is the records' generation the rows were built at (their record
    // indexes hold while it lasts). m_filling: the list's own build is under way.
    RowArray m_rows;
    std::vector<std::int32_t> m_order;
    std::vector<int> m_fields;
    std::uint32_t m_rowsGeneration = 0;
    bool m_filling = false;
    bool m_inHeaderClick = false;
    mutable std::string m_cellText;  // a cell written when shown (CellAt)
};

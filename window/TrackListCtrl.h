// The track list: the list view of the Playtally window (control 1010). One column per shown
// field id, in field-id order; the rows are the list builder's, each item's data the record
// index of its row. Sorting by a header click; redrawing suspended (nested) while it refills.
#pragma once
#include <windows.h>

#include <array>
#include <vector>

#include "database/ListRow.h"
#include "framework/Wnd.h"

class CDoc;

class CTrackListCtrl : public CWnd {
public:
    enum SortKind : unsigned char { SortText = 1, SortNumber = 2, SortTime = 3 };
    static constexpr int kFields = kFieldCount;

    // The window side the list needs.
    struct Owner {
        virtual ~Owner() = default;
        virtual const std::array<bool, kFieldCount>& ShownColumns() const = 0;
        virtual void LoadColumnWidths(std::array<int, kFieldCount>& widths) = 0;
        virtual void BuildRows(bool showProgress) = 0;   // the list builder into groupRows
        virtual void UpdateRecordLinks() = 0;
        virtual CDoc* Document() = 0;
    };

    explicit CTrackListCtrl(Owner& owner) : m_owner(owner) {}

    void ReloadList(bool rebuild, bool showProgress);
    void RefillRows(bool rebuild, bool showProgress);
    bool SetSortKinds(const unsigned char* kinds, int count);
    void SuspendRedraw();
    void ResumeRedraw();
    // The header item clicked: sorts by that column (again: the other way round).
    void SortByColumn(int column);
    int SortColumn() const { return m_sortColumn; }
    bool Ascending() const { return m_ascending; }
    int ColumnCount() const;
    static const char* Caption(int field);
    static int DefaultWidth(int field);
    static SortKind KindOf(int field);

    bool m_sortable = false;

private:
    Owner& m_owner;
    std::vector<unsigned char> m_sortKinds;
    int m_sortColumn = -1;
    bool m_ascending = true;
    int m_redrawLock = 0;
};

// The track list's header, and what the list and its header need of the window they sit in.
#pragma once
#include <windows.h>

#include <array>
#include <string>

#include "core/FieldId.h"
#include "core/ListRow.h"
#include "framework/Controls.h"
#include "framework/Handles.h"
#include "ui/HelpText.h"

class CDoc;

// What the list needs of the window it sits in.
class ITrackListOwner {
public:
    virtual ~ITrackListOwner() = default;
    // By column: the fields, then First, Last and Heard.
    virtual const std::array<bool, kColumnCount>& ShownColumns() const = 0;
    virtual void LoadColumnWidths(std::array<int, kColumnCount>& widths) = 0;
    virtual void SaveColumnWidths() = 0;
    virtual RowArray BuildRows(bool showProgress) = 0;  // the list builder's rows for the window
    virtual void UpdateRecordLinks() = 0;
    virtual void ShowHelpText(HelpValue value) = 0;
    virtual void RemoveCommand() = 0;
    virtual void PlayCommand() = 0;
    virtual CDoc* Document() = 0;
};

// The list's header: paints itself completely (captions in its own font, a separator at each
// item's right edge, the sort indicator) and tells the window what a click on the caption under
// the mouse does.
class CTrackListHeader : public CHeaderCtrl {
public:
    explicit CTrackListHeader(ITrackListOwner& owner);
    // The column that shows the indicator (-1: none) and its direction; repaints the header.
    void SetIndicator(int column, bool ascending);
    int IndicatorColumn() const { return m_indicatorColumn; }
    bool IndicatorAscending() const { return m_indicatorAscending; }

    HelpValue m_helpId = 0;  // the text before the caption in the hover help

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void DrawIndicator(HDC dc, const RECT& item, int c) const;
    int ItemUnder(POINT point) const;  // the item (not a divider) under a client point, or -1
    void OnMouseMove(POINT point);

    ITrackListOwner& m_owner;
    UniquePen m_separator;
    UniquePen m_light;
    UniqueFont m_font;
    int m_indicatorColumn = -1;
    bool m_indicatorAscending = false;
    std::string m_hoverText;  // the help text shown while the mouse is over a caption
};

// The Extras page of the settings sheet: what the plug-in reads about a played file beyond its
// ID3v1 tag. Shown with the Publish page, while the plug-in is enabled.
#pragma once
#include "framework/Controls.h"
#include "framework/PropertySheet.h"

class ISettingsHost;
class CSettingsSheet;

class CExtrasDlg : public CPropertyPage {
public:
    CExtrasDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Writes the page's keys (to the section "General").
    void saveExtrasSettings();

    // The page's values, one per key of the same name.
    struct Values {
        bool ReadOtherTags = false;
    };
    const Values& values() const { return m_values; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnApply() override;
    void OnReset() override;
    bool PreTranslateMessage(MSG* message) override;

private:
    void copyFromSettings();

    ISettingsHost& m_host;
    CSettingsSheet& m_sheet;
    Values m_values;
    Values m_snapshot;  // as of the opening or the last apply
    CToolTipCtrl m_toolTip;
};

// What the three settings pages share: the application and the sheet they are given, the control
// table (what a change does, which tooltip explains a control) with its tooltip, and the one way a
// command reaches them: a button's own action first, then what the table says a change does.
#pragma once
#include <windows.h>

#include <cstddef>

#include "framework/Controls.h"
#include "framework/PropertySheet.h"
#include "ui/SettingsPageControls.h"

class ISettingsHost;
class CSettingsSheet;

class CSettingsPage : public CPropertyPage {
public:
    bool PreTranslateMessage(MSG* message) override;

protected:
    template <std::size_t N>
    CSettingsPage(UINT templateId, ISettingsHost& host, CSettingsSheet& sheet, const SettingsControl (&controls)[N])
        : CPropertyPage(templateId), m_host(host), m_sheet(sheet), m_controls(controls), m_controlCount(N) {}

    // Once the page's controls exist (OnInitDialog): the tooltip with a tool per table line.
    void createToolTip();
    // A button's click goes to OnButtonClicked first (a page overrides it for its buttons' own
    // actions); what a line of the table says comes after, so a button listed for its tooltip
    // still does its own thing.
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A change of a control the table lists, after its command found no button action.
    virtual void OnControlChange(const SettingsControl& control) = 0;

    ISettingsHost& m_host;
    CSettingsSheet& m_sheet;

private:
    const SettingsControl* m_controls;
    std::size_t m_controlCount;
    CToolTipCtrl m_toolTip;
};

// The Extras page of the settings sheet: what the plug-in reads about a played file beyond its
// ID3v1 tag. Shown with the Publish page, while the plug-in is enabled.
#pragma once
#include "core/Settings.h"
#include "framework/Controls.h"
#include "ui/SettingsPage.h"
#include "ui/SettingsExchange.h"

class ISettingsHost;
class CSettingsSheet;

class CExtrasDlg : public CSettingsPage {
public:
    CExtrasDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Writes the page's keys (the General settings whose table lines name this page).
    void saveExtrasSettings();

    // The page's values: the General settings, of which the page shows and stores its own.
    const GeneralSettings& values() const { return m_values; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnButtonClicked(int id) override;
    void OnControlChange(const SettingsControl& control) override;
    BOOL OnApply() override;
    void OnReset() override;

private:
    void editKeepOutRules();

    GeneralSettings m_values;
    GeneralSettings m_snapshot;  // as of the opening or the last apply
    CSettingsExchange m_exchange;
};

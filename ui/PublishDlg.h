// The Publish page of the settings sheet: the report file, automatic publishing and its period,
// the programs run before and after publishing, what the report holds, its three templates, and
// "Publish Now".
#pragma once
#include <string>

#include "core/Settings.h"
#include "framework/Controls.h"
#include "ui/SettingsPage.h"
#include "ui/SettingsExchange.h"

class ISettingsHost;
class CSettingsSheet;

class CPublishDlg : public CSettingsPage {
public:
    CPublishDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Takes the values from the controls (when `takeValues`; the time always), then writes every
    // Publish key.
    void savePublishSettings(bool takeValues = true);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnButtonClicked(int id) override;
    void OnControlChange(const SettingsControl& control) override;
    BOOL OnApply() override;
    void OnReset() override;

private:
    void load();
    void applyEnablingRules();
    void browse(int buttonId);
    void editTemplate(std::string& text);
    void publishNow();

    CDateTimeCtrl m_timePicker;
    PublishSettings m_snapshot;
    // The values the controls show, one per line of the Publish settings table.
    PublishSettings m_values;
    CSettingsExchange m_exchange;
};

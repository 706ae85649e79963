// The ListenBrainz page of the settings sheet: sending plays to a listen server as they happen,
// the user token ("Check" asks the server about it), and a status line of the outbox. Shown with
// the Publish and Extras pages, while the plug-in is enabled.
#pragma once
#include "core/ListenSettings.h"
#include "framework/Controls.h"
#include "framework/PropertySheet.h"
#include "ui/SettingsExchange.h"

class ISettingsHost;
class CSettingsSheet;

class CListenBrainzDlg : public CPropertyPage {
public:
    CListenBrainzDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Writes the page's keys, and the token when the user typed one.
    void saveListenSettings();
    const ListenSettings& values() const { return m_values; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnApply() override;
    void OnReset() override;
    bool PreTranslateMessage(MSG* message) override;

private:
    // The token to use: the one typed, else the one stored.
    std::string token() const;
    void showStatus();
    void showWarning();

    ISettingsHost& m_host;
    CSettingsSheet& m_sheet;
    ListenSettings m_values;
    ListenSettings m_snapshot;
    CSettingsExchange m_exchange;
    CToolTipCtrl m_toolTip;
    bool m_tokenTyped = false;   // the token box holds what the user typed, not the placeholder
    bool m_putting = false;      // the page itself is changing the token box
    bool m_checking = false;
};

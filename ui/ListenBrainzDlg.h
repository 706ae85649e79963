// The ListenBrainz page of the settings sheet: sending plays to a listen server as they happen,
// the user token ("Check" asks the server about it), a status line of the outbox, and the
// listens the server refused ("Show refused...", "Clear refused"). Shown with
// the Publish and Extras pages, while the plug-in is enabled.
#pragma once
#include "core/ListenSettings.h"
#include "ui/SettingsExchange.h"
#include "ui/SettingsPage.h"

class ISettingsHost;
class CSettingsSheet;

class CListenBrainzDlg : public CSettingsPage {
public:
    CListenBrainzDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Writes the page's keys, and the token when the user typed one.
    void saveListenSettings();
    const ListenSettings& values() const { return m_values; }

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnButtonClicked(int id) override;
    void OnControlChange(const SettingsControl& control) override;
    void OnTimer(UINT_PTR id) override;
    BOOL OnApply() override;
    void OnReset() override;

private:
    // The token to use: the one typed, else the one stored.
    std::string token() const;
    void check();
    void showRefused();
    void showStatus();
    void showWarning();

    ListenSettings m_values;
    ListenSettings m_snapshot;
    CSettingsExchange m_exchange;
    bool m_tokenTyped = false;   // the token box holds what the user typed, not the placeholder
    bool m_putting = false;      // the page itself is changing the token box
    bool m_checking = false;
};

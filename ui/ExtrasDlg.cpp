#include "ui/ExtrasDlg.h"

#include "core/AppContext.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "resources/resource.h"
#include "ui/SettingsPageControls.h"
#include "ui/SettingsSheet.h"

namespace {

// The controls: what a change does and which tooltip explains them.
const SettingsControl kControls[] = {
    {IDC_EXTRAS_READ_OTHER_TAGS, BN_CLICKED, kChangeModified, IDS_TIP_READ_OTHER_TAGS},
};

}  // namespace

CExtrasDlg::CExtrasDlg(ISettingsHost& host, CSettingsSheet& sheet)
    : CPropertyPage(IDD_EXTRAS), m_host(host), m_sheet(sheet) {}

void CExtrasDlg::DoDataExchange(CDataExchange& dx) {
    m_exchange.exchange(dx, generalSettingsTable(), IDD_EXTRAS, m_values);
}

BOOL CExtrasDlg::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_values = m_snapshot = m_host.context().readSettings();
    UpdateData(false);
    createSettingsToolTip(m_toolTip, m_hWnd, kControls);
    return TRUE;
}

bool CExtrasDlg::PreTranslateMessage(MSG* message) {
    if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(message);
    return CPropertyPage::PreTranslateMessage(message);
}

bool CExtrasDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const SettingsControl* control = lParam ? findSettingsControl(kControls, LOWORD(wParam), HIWORD(wParam)) : nullptr;
    if (!control) return CPropertyPage::OnCommand(wParam, lParam);
    if (control->onChange & kChangeModified) SetModified(true);
    return true;
}

BOOL CExtrasDlg::OnApply() {
    saveExtrasSettings();
    m_snapshot = m_values;
    // The application's copy of the General settings takes the new value at once.
    m_host.applyGeneralSettings();
    return TRUE;
}

void CExtrasDlg::OnReset() {
    m_values = m_snapshot;
    UpdateData(false);
    m_sheet.MarkCancelled();
}

void CExtrasDlg::saveExtrasSettings() {
    UpdateData(true);
    writeSettings(*m_host.context().profile, generalSettingsTable(), m_values, IDD_EXTRAS);
}

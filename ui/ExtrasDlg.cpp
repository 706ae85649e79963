#include "ui/ExtrasDlg.h"

#include "core/AppContext.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "resources/resource.h"
#include "ui/KeepOutDlg.h"
#include "ui/PlayExchangeCommands.h"
#include "ui/SettingsPageControls.h"
#include "ui/SettingsSheet.h"

namespace {

// The controls: what a change does and which tooltip explains them.
const SettingsControl kControls[] = {
    {IDC_EXTRAS_READ_OTHER_TAGS, BN_CLICKED, kChangeModified, IDS_TIP_READ_OTHER_TAGS},
    {IDC_EXTRAS_EXPORT, BN_CLICKED, kChangeNothing, IDS_TIP_EXPORT_PLAYS},
    {IDC_EXTRAS_IMPORT, BN_CLICKED, kChangeNothing, IDS_TIP_IMPORT_PLAYS},
    {IDC_EXTRAS_KEEPOUT, BN_CLICKED, kChangeNothing, IDS_TIP_KEEPOUT_BUTTON},
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
    // Exports and imports are done at once, like a merge: Cancel does not undo them.
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_EXTRAS_EXPORT) {
        exportPlaysCommand(m_hWnd, m_host.doc());
        return true;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_EXTRAS_IMPORT) {
        // A raised size limit must not be written back by the General page's older values.
        if (importPlaysCommand(m_hWnd, m_host.doc()).limitChanged) m_sheet.GeneralPage().takeSizeLimit();
        return true;
    }
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_EXTRAS_KEEPOUT) {
        editKeepOutRules();
        return true;
    }
    const SettingsControl* control = lParam ? findSettingsControl(kControls, LOWORD(wParam), HIWORD(wParam)) : nullptr;
    if (!control) return CPropertyPage::OnCommand(wParam, lParam);
    if (control->onChange & kChangeModified) SetModified(true);
    return true;
}

// The rules are a setting of this page like the others: stored at Apply or OK, undone by Cancel.
void CExtrasDlg::editKeepOutRules() {
    UpdateData(true);
    std::vector<ExclusionRule> rules = parseExclusionRules(m_values.KeepOutOfRankings);
    // Owned by the sheet, as the page's other dialogs are.
    CKeepOutDlg dialog(&rules, ::GetParent(m_hWnd));
    if (dialog.DoModal() != IDOK) return;
    const std::string stored = writeExclusionRules(rules);
    if (stored == m_values.KeepOutOfRankings) return;
    m_values.KeepOutOfRankings = stored;
    SetModified(true);
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

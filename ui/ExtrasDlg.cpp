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
    : CSettingsPage(IDD_EXTRAS, host, sheet, kControls) {}

void CExtrasDlg::DoDataExchange(CDataExchange& dx) {
    m_exchange.exchange(dx, generalSettingsTable(), IDD_EXTRAS, m_values);
}

BOOL CExtrasDlg::OnInitDialog() {
    CSettingsPage::OnInitDialog();
    m_values = m_snapshot = m_host.context().readSettings();
    UpdateData(false);
    createToolTip();
    return TRUE;
}


bool CExtrasDlg::OnButtonClicked(int id) {
    // Exports and imports are done at once, like a merge: Cancel does not undo them.
    switch (id) {
    case IDC_EXTRAS_EXPORT:
        exportPlaysCommand(m_hWnd, m_host.doc());
        return true;
    case IDC_EXTRAS_IMPORT:
        // A raised size limit must not be written back by the General page's older values.
        if (importPlaysCommand(m_hWnd, m_host.doc()).limitChanged) m_sheet.GeneralPage().takeSizeLimit();
        return true;
    case IDC_EXTRAS_KEEPOUT:
        editKeepOutRules();
        return true;
    default:
        return CSettingsPage::OnButtonClicked(id);
    }
}

void CExtrasDlg::OnControlChange(const SettingsControl& control) {
    if (control.onChange & kChangeModified) SetModified(true);
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
    writeSettings(m_host.context().profile, generalSettingsTable(), m_values, IDD_EXTRAS);
}

#include "ui/ListenBrainzDlg.h"

#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/SettingsTable.h"
#include "core/TimeFormat.h"
#include "plugin/ListenSubmitter.h"
#include "plugin/win/ListenSender.h"
#include "plugin/win/TokenVault.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/RefusedDlg.h"
#include "ui/SettingsPageControls.h"
#include "ui/SettingsSheet.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusPeriodMs = 500;
// Shown in the token box for a stored token, which is never read back into a window.
const char kStoredTokenMark[] = "\x01stored\x01";

const SettingsControl kControls[] = {
    {IDC_LB_SEND, BN_CLICKED, kChangeModified, IDS_TIP_LB_SEND},
    {IDC_LB_TOKEN, EN_CHANGE, kChangeModified, IDS_TIP_LB_TOKEN},
    {IDC_LB_API_ROOT, EN_CHANGE, kChangeModified | kChangeRefresh, IDS_TIP_LB_API_ROOT},
    {IDC_LB_CHECK, BN_CLICKED, kChangeNothing, IDS_TIP_LB_CHECK},
    {IDC_LB_PLAYING_NOW, BN_CLICKED, kChangeModified, IDS_TIP_LB_PLAYING_NOW},
    {IDC_LB_LISTEN_RULE, BN_CLICKED, kChangeModified, IDS_TIP_LB_LISTEN_RULE},
    {IDC_LB_STATUS, 0, kChangeNothing, IDS_TIP_LB_STATUS},
    {IDC_LB_SHOW_REFUSED, BN_CLICKED, kChangeNothing, IDS_TIP_LB_SHOW_REFUSED},
    {IDC_LB_CLEAR_REFUSED, BN_CLICKED, kChangeNothing, IDS_TIP_LB_CLEAR_REFUSED},
};

std::string filled(int id, const std::string& value) {
    std::string text = loadString(id);
    const std::size_t at = text.find("%1");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

}  // namespace

CListenBrainzDlg::CListenBrainzDlg(ISettingsHost& host, CSettingsSheet& sheet)
    : CSettingsPage(IDD_LISTENBRAINZ, host, sheet, kControls) {}

void CListenBrainzDlg::DoDataExchange(CDataExchange& dx) {
    m_exchange.exchange(dx, listenSettingsTable(), IDD_LISTENBRAINZ, m_values);
}

BOOL CListenBrainzDlg::OnInitDialog() {
    CSettingsPage::OnInitDialog();
    m_values = m_snapshot = loadListenSettings(m_host.context().profile);
    UpdateData(false);
    // A stored token shows as a row of password dots; it is read only when asked for by Check.
    m_putting = true;
    if (!m_host.context().profile.getString(sectionListen(), tokenvault::kTokenKey, "").empty())
        SetDlgItemText(IDC_LB_TOKEN, kStoredTokenMark);
    m_putting = false;
    createToolTip();
    showWarning();
    showStatus();
    ::SetTimer(m_hWnd, kStatusTimer, kStatusPeriodMs, nullptr);
    return TRUE;
}

std::string CListenBrainzDlg::token() const {
    if (m_tokenTyped) return GetDlgItemText(IDC_LB_TOKEN);
    return tokenvault::load(m_host.context().profile, sectionListen());
}

bool CListenBrainzDlg::OnButtonClicked(int id) {
    switch (id) {
    case IDC_LB_CHECK:
        check();
        return true;
    case IDC_LB_SHOW_REFUSED:
        showRefused();
        return true;
    case IDC_LB_CLEAR_REFUSED:
        if (CListenSender* sender = m_host.listenSender()) sender->clearRefused();
        showStatus();
        return true;
    default:
        return CSettingsPage::OnButtonClicked(id);
    }
}

void CListenBrainzDlg::OnControlChange(const SettingsControl& control) {
    if (control.id == IDC_LB_TOKEN) {
        if (m_putting) return;
        m_tokenTyped = true;
    }
    if (control.onChange & kChangeRefresh) showWarning();
    if (control.onChange & kChangeModified) SetModified(true);
}

void CListenBrainzDlg::check() {
    CListenSender* sender = m_host.listenSender();
    const std::string typed = token();
    if (sender && !typed.empty()) {
        sender->check(typed, GetDlgItemText(IDC_LB_API_ROOT));
        m_checking = true;
        SetDlgItemText(IDC_LB_CHECK_RESULT, loadString(IDS_LB_CHECKING));
    } else {
        SetDlgItemText(IDC_LB_CHECK_RESULT, loadString(IDS_LB_NO_TOKEN));
    }
}

void CListenBrainzDlg::showRefused() {
    CListenSender* sender = m_host.listenSender();
    if (!sender || !sender->outbox()) return;
    // Owned by the sheet, as the page's other dialogs are; it shows a copy.
    CRefusedDlg dialog(sender->outbox()->refused(), m_host.context().current.DateFormat, ::GetParent(m_hWnd));
    dialog.DoModal();
}

void CListenBrainzDlg::OnTimer(UINT_PTR id) {
    if (id != kStatusTimer) return CPropertyPage::OnTimer(id);
    showStatus();
}

void CListenBrainzDlg::showWarning() {
    const std::string root = GetDlgItemText(IDC_LB_API_ROOT);
    std::string warning;
    if (!apiRootUsable(root))
        warning = loadString(IDS_LB_BAD_API_ROOT);
    else if (apiRootExposesToken(root))
        warning = loadString(IDS_LB_UNENCRYPTED);
    SetDlgItemText(IDC_LB_WARNING, warning);
}

void CListenBrainzDlg::showStatus() {
    CListenSender* sender = m_host.listenSender();
    const bool running = sender && sender->running();
    const bool anyRefused = running && sender->status().refused > 0;
    for (int button : {IDC_LB_SHOW_REFUSED, IDC_LB_CLEAR_REFUSED}) {
        CWnd control = GetDlgItem(button);
        if (control.IsWindowEnabled() == anyRefused) continue;
        // A button that goes grey hands the keyboard focus on first.
        if (!anyRefused && ::GetFocus() == control.m_hWnd) ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, FALSE);
        control.EnableWindow(anyRefused);
    }
    if (!running) {
        SetDlgItemText(IDC_LB_STATUS, loadString(IDS_LB_SENDING_OFF));
        return;
    }
    const SubmitStatus s = sender->status();
    std::string text = filled(IDS_LB_WAITING, std::to_string(s.waiting));
    if (s.refused) text += "  " + filled(IDS_LB_REFUSED_COUNT, std::to_string(s.refused));
    text += "\r\n";
    const std::string& dateFormat = m_host.context().current.DateFormat;
    text += s.lastAccepted ? filled(IDS_LB_LAST_ACCEPTED, formatDate(s.lastAccepted, dateFormat.empty() ? "%c" : dateFormat))
                           : loadString(IDS_LB_NOTHING_SENT);
    if (s.tokenRefused)
        text += "\r\n" + loadString(IDS_LB_WAITS_FOR_TOKEN);
    else if (!s.lastError.empty())
        text += "\r\n" + filled(IDS_LB_LAST_ERROR, s.lastError);
    if (text != GetDlgItemText(IDC_LB_STATUS)) SetDlgItemText(IDC_LB_STATUS, text);
    if (m_checking) {
        const std::string result = sender->checkResult();
        if (!result.empty()) {
            m_checking = false;
            SetDlgItemText(IDC_LB_CHECK_RESULT, result);
        }
    }
}

BOOL CListenBrainzDlg::OnApply() {
    saveListenSettings();
    m_snapshot = m_values;
    if (CListenSender* sender = m_host.listenSender()) sender->applySettings();
    return TRUE;
}

void CListenBrainzDlg::OnReset() {
    m_values = m_snapshot;
    UpdateData(false);
    m_sheet.MarkCancelled();
}

void CListenBrainzDlg::saveListenSettings() {
    UpdateData(true);
    IProfile& profile = m_host.context().profile;
    writeSettings(profile, listenSettingsTable(), m_values, IDD_LISTENBRAINZ);
    if (!m_tokenTyped) return;
    if (tokenvault::store(profile, sectionListen(), GetDlgItemText(IDC_LB_TOKEN))) {
        m_tokenTyped = false;
    } else {
        m_host.context().messages.showMessage(loadString(IDS_LB_TOKEN_NOT_STORED), "");
    }
}

#include "plugin/win/MessageDlg.h"

#include "core/Profile.h"
#include "core/Settings.h"
#include "resources/resource.h"

CMessageDlg::CMessageDlg(IProfile& profile, const std::string& text, const std::string& key, HWND parent)
    : CMessageDlg(IDD_MESSAGE, profile, text, key, parent) {}

CMessageDlg::CMessageDlg(UINT templateId, IProfile& profile, const std::string& text, const std::string& key,
                         HWND parent)
    : CDialog(templateId, parent), m_text(text), m_key(key), m_profile(profile) {}

bool CMessageDlg::IsSilenced() {
    // An empty key would name the section's default value: such a message is never silenced.
    if (m_key.empty()) return false;
    m_doNotShow = m_profile.getInt(sectionMain(), m_key, 0);
    return m_doNotShow == 1;
}

INT_PTR CMessageDlg::DoModal() {
    if (IsSilenced()) return 0;
    return CDialog::DoModal();
}

void CMessageDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_DONT_SHOW_AGAIN, m_doNotShow);
    dx.Text(IDC_MESSAGE_TEXT, m_text);
}

BOOL CMessageDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_key.empty()) GetDlgItem(IDC_DONT_SHOW_AGAIN).EnableWindow(false);
    return FALSE;  // no initial focus: a stray key press must not tick the box
}

void CMessageDlg::OnOK() {
    if (!UpdateData(true)) return;
    if (!m_key.empty()) m_profile.writeInt(sectionMain(), m_key, m_doNotShow);
    EndDialog(IDOK);
}

CQuestionDlg::CQuestionDlg(IProfile& profile, const std::string& text, const std::string& key, HWND parent)
    : CMessageDlg(IDD_QUESTION, profile, text, key, parent) {}

INT_PTR CQuestionDlg::DoModal() {
    if (IsSilenced()) return IDYES;
    return CDialog::DoModal();
}

BOOL CQuestionDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_key.empty()) GetDlgItem(IDC_DONT_SHOW_AGAIN).EnableWindow(false);
    return TRUE;
}

bool CQuestionDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDYES && (lParam == 0 || HIWORD(wParam) == BN_CLICKED)) {
        OnYes();
        return true;
    }
    return CMessageDlg::OnCommand(wParam, lParam);
}

// Enter on the question presses its default button, Yes; IDOK never comes from the template.
void CQuestionDlg::OnOK() { OnYes(); }

void CQuestionDlg::OnYes() {
    if (!UpdateData(true)) return;
    if (!m_key.empty()) m_profile.writeInt(sectionMain(), m_key, m_doNotShow);
    EndDialog(IDYES);
}

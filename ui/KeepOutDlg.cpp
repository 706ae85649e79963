#include "ui/KeepOutDlg.h"

#include <algorithm>
#include <iterator>

#include "resources/resource.h"
#include "ui/SettingsPageControls.h"

namespace {

const SettingsControl kControls[] = {
    {IDC_KEEPOUT_LIST, LBN_SELCHANGE, kChangeRefresh, IDS_TIP_KEEPOUT_LIST},
    {IDC_KEEPOUT_FIELD, CBN_SELCHANGE, kChangeNothing, IDS_TIP_KEEPOUT_FIELD},
    {IDC_KEEPOUT_TEXT, EN_CHANGE, kChangeRefresh, IDS_TIP_KEEPOUT_TEXT},
    {IDC_KEEPOUT_ADD, BN_CLICKED, kChangeNothing, IDS_TIP_KEEPOUT_ADD},
    {IDC_KEEPOUT_REMOVE, BN_CLICKED, kChangeNothing, IDS_TIP_KEEPOUT_REMOVE},
};

// The field box's choices, in their order in the box.
const ExclusionField kFieldChoices[] = {ExclusionField::Path, ExclusionField::Artist, ExclusionField::Genre};

std::string windowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

}  // namespace

std::string keepOutRuleText(const ExclusionRule& rule) {
    return std::string(exclusionFieldWord(rule.field)) + ": " + rule.text;
}

CKeepOutDlg::CKeepOutDlg(std::vector<ExclusionRule>* rules, HWND parent)
    : CDialog(IDD_KEEPOUT, parent), m_target(rules), m_rules(rules ? *rules : std::vector<ExclusionRule>{}) {}

BOOL CKeepOutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CComboBox field(GetDlgItem(IDC_KEEPOUT_FIELD));
    for (ExclusionField choice : kFieldChoices) field.AddString(exclusionFieldWord(choice));
    field.SetCurSel(0);
    CEdit(GetDlgItem(IDC_KEEPOUT_TEXT)).LimitText(260);
    fillList(-1);
    createSettingsToolTip(m_toolTip, m_hWnd, kControls);
    return TRUE;
}

bool CKeepOutDlg::PreTranslateMessage(MSG* message) {
    if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(message);
    return CDialog::PreTranslateMessage(message);
}

void CKeepOutDlg::fillList(int select) {
    HWND list = GetDlgItem(IDC_KEEPOUT_LIST);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const ExclusionRule& rule : m_rules)
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(keepOutRuleText(rule).c_str()));
    ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    updateButtons();
}

void CKeepOutDlg::updateButtons() {
    const bool selected = ::SendMessageA(GetDlgItem(IDC_KEEPOUT_LIST), LB_GETCURSEL, 0, 0) != LB_ERR;
    GetDlgItem(IDC_KEEPOUT_REMOVE).EnableWindow(selected);
    GetDlgItem(IDC_KEEPOUT_ADD).EnableWindow(!windowText(GetDlgItem(IDC_KEEPOUT_TEXT)).empty());
}

void CKeepOutDlg::addRule() {
    ExclusionRule rule;
    const int choice = static_cast<int>(::SendMessageA(GetDlgItem(IDC_KEEPOUT_FIELD), CB_GETCURSEL, 0, 0));
    rule.field = choice >= 0 && choice < static_cast<int>(std::size(kFieldChoices)) ? kFieldChoices[choice]
                                                                                   : ExclusionField::Path;
    // What the stored form cannot hold (tabs, line breaks) never enters a rule.
    const std::vector<ExclusionRule> clean =
        parseExclusionRules(writeExclusionRules({{rule.field, windowText(GetDlgItem(IDC_KEEPOUT_TEXT))}}));
    if (clean.empty()) return;
    rule.text = clean.front().text;
    int at = -1;
    for (std::size_t i = 0; i < m_rules.size(); ++i)
        if (m_rules[i] == rule) at = static_cast<int>(i);  // already there: selected, not doubled
    if (at < 0) {
        m_rules.push_back(rule);
        at = static_cast<int>(m_rules.size()) - 1;
    }
    ::SetWindowTextA(GetDlgItem(IDC_KEEPOUT_TEXT), "");
    fillList(at);
}

void CKeepOutDlg::removeRule() {
    const int at = static_cast<int>(::SendMessageA(GetDlgItem(IDC_KEEPOUT_LIST), LB_GETCURSEL, 0, 0));
    if (at < 0 || at >= static_cast<int>(m_rules.size())) return;
    m_rules.erase(m_rules.begin() + at);
    fillList(std::min(at, static_cast<int>(m_rules.size()) - 1));
}

bool CKeepOutDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (lParam && code == BN_CLICKED && id == IDC_KEEPOUT_ADD) {
        addRule();
        return true;
    }
    if (lParam && code == BN_CLICKED && id == IDC_KEEPOUT_REMOVE) {
        removeRule();
        return true;
    }
    const SettingsControl* control = lParam ? findSettingsControl(kControls, id, code) : nullptr;
    if (control && (control->onChange & kChangeRefresh)) updateButtons();
    if (control) return true;
    return CDialog::OnCommand(wParam, lParam);
}

void CKeepOutDlg::OnOK() {
    // A rule typed but not added yet is what the user meant: it is added, not lost.
    if (!windowText(GetDlgItem(IDC_KEEPOUT_TEXT)).empty()) addRule();
    if (m_target) *m_target = m_rules;
    EndDialog(IDOK);
}

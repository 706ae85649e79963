#include "ui/HtmlEditDlg.h"

#include "core/Settings.h"
#include "framework/RichEdit.h"
#include "resources/resource.h"
#include "ui/ProgressDlg.h"

namespace {
// A template is the user's own text of any length: the editor takes as much as the control can.
const long kEditorTextLimit = 0x7FFFFFFE;

const struct {
    int id;
    ResizeRule rule;
} kLayout[] = {
    {IDC_HTMLEDIT_TEXT, {0, 0, 1, 1}},  // fills the window
    {IDOK, {0.5f, 1, 0.5f, 1}},         // centred above the bottom edge
    {IDCANCEL, {0.5f, 1, 0.5f, 1}},
};
}  // namespace

HtmlEditDlg::HtmlEditDlg(std::string* target, RegistryProfile* placements, HWND parent)
    : CResizeDialog(IDD_HTMLEDIT, parent, 0),
      m_text(target ? *target : std::string()),
      m_target(target),
      m_placements(placements) {}

INT_PTR HtmlEditDlg::DoModal() {
    loadRichEditLibrary();  // the template's control class
    // Without an owner the window the editor was opened from (a settings page) would stay usable
    // and could be closed under it, taking the edited string with it: the active window owns it.
    if (!m_parent) m_parent = CProgressDlg::SafeOwner();
    return CResizeDialog::DoModal();
}

void HtmlEditDlg::DoDataExchange(CDataExchange& dx) { dx.RichText(IDC_HTMLEDIT_TEXT, m_text); }

BOOL HtmlEditDlg::OnInitDialog() {
    CRichEditCtrl edit(GetDlgItem(IDC_HTMLEDIT_TEXT));
    edit.LimitText(kEditorTextLimit);
    CResizeDialog::OnInitDialog();
    for (const auto& control : kLayout) m_resizer.AddControl(control.id, control.rule);
    m_resizer.LoadPlacement(m_placements, sectionTemplateEditor());
    edit.SetSel(0, -1, true);
    edit.SetTabStops(kTabStopCount, kTabStopTwips);
    // The caret at the start, and the focus there (the dialog manager would select everything).
    edit.SetSel(0, 0);
    edit.SetFocus();
    return FALSE;
}

bool HtmlEditDlg::PreTranslateMessage(MSG* message) {
    if (message->message == WM_KEYDOWN && message->wParam == VK_TAB && m_hWnd) {
        CRichEditCtrl edit(GetDlgItem(IDC_HTMLEDIT_TEXT));
        if (edit.m_hWnd && ::GetFocus() == edit.m_hWnd) {
            edit.SetTabStops(kTabStopCount, kTabStopTwips);
            edit.ReplaceSel("\t", false);
            return true;
        }
    }
    return CResizeDialog::PreTranslateMessage(message);
}

void HtmlEditDlg::OnOK() {
    if (!UpdateData(true)) return;
    m_resizer.SavePlacement(m_placements, sectionTemplateEditor());
    if (m_target) *m_target = m_text;
    EndDialog(IDOK);
}

#include "window/PathDlg.h"

#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
constexpr int kPromptPath = 49;   // "Mp3 file location (please specify new location if the file was moved):"
constexpr int kPromptMoved = 50;  // "If the file was moved - please specify its new location:"
const char* const kFilter = "Mp3 files|*.mp3|All files|*.*||";
const char* const kBrowseCaption = "Mp3 file";
}  // namespace

CPathDlg::CPathDlg(const std::string& path, const std::string& missingPath, HWND parent)
    : CDialog(IDD_PATH, parent),
      m_path(path),
      m_missingText(missingPath.empty() ? std::string() : "File not found: \"" + missingPath + "\"") {}

void CPathDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_PATH_EDIT, m_path);
    dx.Text(IDC_PATH_MISSING, m_missingText);
    dx.Text(IDC_PATH_PROMPT, m_prompt);
}

BOOL CPathDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_missingText.empty()) {
        GetDlgItem(IDC_PATH_MISSING).ShowWindow(SW_HIDE);
        m_prompt = loadString(kPromptPath);
    } else {
        m_prompt = loadString(kPromptMoved);
    }
    UpdateData(false);
    return TRUE;
}

bool CPathDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != IDC_PATH_BROWSE || HIWORD(wParam) != BN_CLICKED) return CDialog::OnCommand(wParam, lParam);
    browseForFile(m_path, m_hWnd, std::string(), kFilter, kBrowseCaption);
    // Either way the edit shows the dialog's path again, also over text typed before.
    UpdateData(false);
    return true;
}

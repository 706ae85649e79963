#include "window/PathDlg.h"

#include "core/CodePage.h"
#include "core/win/SystemText.h"
#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
const char* const kFilter = "Mp3 files|*.mp3|All files|*.*||";
const char* const kBrowseCaption = "Mp3 file";

}  // namespace

CPathDlg::CPathDlg(const std::string& path, const std::u16string& widePath, const std::string& missingPath,
                   const std::u16string& missingWide, HWND parent)
    : CDialog(IDD_PATH, parent),
      m_path(path),
      m_widePath(widePath),
      m_text(widePath.empty() ? ansiToUtf16(path) : widePath) {
    if (!missingPath.empty() || !missingWide.empty())
        m_missingText = u"File not found: \"" + (missingWide.empty() ? ansiToUtf16(missingPath) : missingWide) + u"\"";
    m_wideWindow = true;
}

void CPathDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_PATH_PROMPT, m_prompt);
    if (dx.saving()) {
        TakeText(windowTextWide(::GetDlgItem(m_hWnd, IDC_PATH_EDIT)));
    } else {
        SetDlgItemTextW(m_hWnd, IDC_PATH_EDIT, wideChars(m_text));
        SetDlgItemTextW(m_hWnd, IDC_PATH_MISSING, wideChars(m_missingText));
    }
}

void CPathDlg::TakeText(const std::u16string& text) {
    m_text = text;
    // Text as it was shown keeps the path as it came, byte for byte.
    if (text == (m_widePath.empty() ? ansiToUtf16(m_path) : m_widePath)) return;
    bool lossless = true;
    m_path = utf16ToAnsi(text, &lossless);
    m_widePath = lossless ? std::u16string() : text;
}

BOOL CPathDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_missingText.empty()) {
        GetDlgItem(IDC_PATH_MISSING).ShowWindow(SW_HIDE);
        m_prompt = loadString(IDS_PATH_PROMPT);
    } else {
        m_prompt = loadString(IDS_PATH_PROMPT_MOVED);
    }
    UpdateData(false);
    return TRUE;
}

bool CPathDlg::OnButtonClicked(int id) {
    if (id != IDC_PATH_BROWSE) return CDialog::OnButtonClicked(id);
    std::u16string chosen;
    if (browseForFileWide(chosen, m_hWnd, kFilter, kBrowseCaption)) m_text = chosen;
    // Either way the edit shows the dialog's path again, also over text typed before.
    UpdateData(false);
    return true;
}

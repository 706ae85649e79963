#include "window/PathDlg.h"

#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
constexpr int kPromptPath = 49;   // "Mp3 file location (please specify new location if the file was moved):"
constexpr int kPromptMoved = 50;  // "If the file was moved - please specify its new location:"
const char* const kFilter = "Mp3 files|*.mp3|All files|*.*||";
const char* const kBrowseCaption = "Mp3 file";

// The Windows API's view of a UTF-16 string (wchar_t is 16 bits there).
const wchar_t* units(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

std::u16string widen(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::u16string out(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

// The code page's form of the text, a character it lacks becoming its default character.
std::string narrow(const std::u16string& text, bool& lossless) {
    lossless = true;
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    BOOL replaced = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units(text), length, nullptr, 0, nullptr, &replaced);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units(text), length, &out[0], n, nullptr, nullptr);
    lossless = n > 0 && !replaced;
    return out;
}

std::u16string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, u'\0');
    const int n = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&text[0]), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}
}  // namespace

CPathDlg::CPathDlg(const std::string& path, const std::u16string& widePath, const std::string& missingPath,
                   const std::u16string& missingWide, HWND parent)
    : CDialog(IDD_PATH, parent),
      m_path(path),
      m_widePath(widePath),
      m_text(widePath.empty() ? widen(path) : widePath) {
    if (!missingPath.empty() || !missingWide.empty())
        m_missingText = u"File not found: \"" + (missingWide.empty() ? widen(missingPath) : missingWide) + u"\"";
    m_wideWindow = true;
}

void CPathDlg::DoDataExchange(CDataExchange& dx) {
    dx.Text(IDC_PATH_PROMPT, m_prompt);
    if (dx.saving()) {
        TakeText(windowText(::GetDlgItem(m_hWnd, IDC_PATH_EDIT)));
    } else {
        SetDlgItemTextW(m_hWnd, IDC_PATH_EDIT, units(m_text));
        SetDlgItemTextW(m_hWnd, IDC_PATH_MISSING, units(m_missingText));
    }
}

void CPathDlg::TakeText(const std::u16string& text) {
    m_text = text;
    // Text as it was shown keeps the path as it came, byte for byte.
    if (text == (m_widePath.empty() ? widen(m_path) : m_widePath)) return;
    bool lossless = true;
    m_path = narrow(text, lossless);
    m_widePath = lossless ? std::u16string() : text;
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

bool CPathDlg::OnButtonClicked(int id) {
    if (id != IDC_PATH_BROWSE) return CDialog::OnButtonClicked(id);
    std::u16string chosen;
    if (browseForFileWide(chosen, m_hWnd, kFilter, kBrowseCaption)) m_text = chosen;
    // Either way the edit shows the dialog's path again, also over text typed before.
    UpdateData(false);
    return true;
}

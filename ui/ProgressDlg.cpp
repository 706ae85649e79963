#include "ui/ProgressDlg.h"

#include <commctrl.h>


#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
// The bar's window class lives in the common controls, which nothing may have loaded yet.
void registerProgressClass() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_PROGRESS_CLASS};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    (void)registered;
}
}  // namespace

CProgressDlg::CProgressDlg(UINT titleStringId) : CDialog(IDD_PROGRESS), m_titleStringId(titleStringId) {}

CProgressDlg::~CProgressDlg() { DestroyWindow(); }

HWND CProgressDlg::SafeOwner() {
    HWND window = ::GetActiveWindow();
    if (!window) {
        HWND foreground = ::GetForegroundWindow();
        if (foreground && ::GetWindowThreadProcessId(foreground, nullptr) == ::GetCurrentThreadId()) window = foreground;
    }
    if (!window) return nullptr;
    HWND topLevel = ::GetAncestor(window, GA_ROOT);
    return topLevel ? topLevel : window;
}

bool CProgressDlg::CreateOwned() {
    if (m_hWnd) return true;
    registerProgressClass();
    m_owner = SafeOwner();
    if (m_owner && ::IsWindowEnabled(m_owner)) {
        ::EnableWindow(m_owner, FALSE);
        m_ownerDisabled = TRUE;
    }
    // Owned by that window, so that the dialog stays above the window it keeps disabled.
    if (!Create(m_owner)) {
        EnableOwnerAgain();
        return false;
    }
    return true;
}

void CProgressDlg::EnableOwnerAgain() {
    if (!m_ownerDisabled) return;
    m_ownerDisabled = FALSE;
    if (m_owner && ::IsWindow(m_owner)) ::EnableWindow(m_owner, TRUE);
}

bool CProgressDlg::DestroyWindow() {
    // The owner first, so that it takes the activation back when the dialog goes.
    EnableOwnerAgain();
    if (!m_hWnd) return false;
    return CWnd::DestroyWindow();
}

void CProgressDlg::OnDestroy() {
    EnableOwnerAgain();  // also when the window goes without DestroyWindow (with its owner, say)
    CDialog::OnDestroy();
}

BOOL CProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bar = CProgressCtrl(::GetDlgItem(m_hWnd, IDC_PROGRESS_BAR));
    m_bar.SetRange(static_cast<short>(m_lower), static_cast<short>(m_upper));
    m_bar.SetStep(m_step);
    m_bar.SetPos(m_lower);
    SetWindowText(loadString(m_titleStringId ? static_cast<int>(m_titleStringId) : IDS_PLEASE_WAIT));
    return TRUE;
}

void CProgressDlg::Show(const std::string& text, int lower, int upper) {
    CreateOwned();  // a window that cannot be created leaves the rest acting on no window
    if (m_hWnd) ShowWindow(SW_SHOW);
    SetRange(lower, upper);
    SetStep(1);
    SetPos(0);
    SetText(text);
}

void CProgressDlg::SetRange(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
    if (m_hWnd) m_bar.SetRange32(lower, upper);
}

void CProgressDlg::SetStep(int step) {
    m_step = step;
    if (m_hWnd) m_bar.SetStep(step);
}

void CProgressDlg::SetText(const std::string& text) {
    if (m_hWnd) SetDlgItemText(IDC_PROGRESS_TEXT, text);
}

int CProgressDlg::SetPos(int position) {
    PumpMessages();
    if (!m_hWnd) return 0;
    const int previous = m_bar.SetPos(position);
    UpdatePercent(position);
    return previous;
}

bool CProgressDlg::CheckCancel() {
    PumpMessages();
    const bool cancelled = m_cancelled != FALSE;
    m_cancelled = FALSE;
    return cancelled;
}

int CProgressDlg::Advance(int position) {
    if (CheckCancel()) return 1;
    if (position == -1) position = (m_hWnd ? m_bar.GetPos() : 0) + 1;
    if (position > m_upper) position = m_upper;
    SetPos(position);
    return 0;
}

std::string CProgressDlg::PercentText(int position, int lower, int upper) {
    long long percent = 0;
    if (upper > lower)
        percent = (static_cast<long long>(position) - lower) * 100 / (static_cast<long long>(upper) - lower);
    const int shown = percent == 100 ? 100 : static_cast<int>(percent % 100);
    return std::to_string(shown) + '%';
}

void CProgressDlg::UpdatePercent(int position) {
    const std::string text = PercentText(position, m_lower, m_upper);
    CWnd label = GetDlgItem(IDC_PROGRESS_PERCENT);
    if (label.GetWindowText() != text) label.SetWindowText(text);  // no flicker when it stays
}

void CProgressDlg::PumpMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (m_hWnd && ::IsDialogMessageA(m_hWnd, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

std::unique_ptr<IProgress> CProgressFactory::create() { return std::make_unique<CProgressDlg>(0); }

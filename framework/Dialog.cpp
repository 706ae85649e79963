#include "framework/Dialog.h"

#include "framework/Module.h"

namespace {
// The thread's message hook, installed while at least one dialog window of this thread exists.
thread_local HHOOK t_messageHook = nullptr;
thread_local int t_dialogWindows = 0;

bool isInputMessage(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

// Messages whose answer is the dialog procedure's return value itself, not DWLP_MSGRESULT.
bool answersDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON ||
           message == WM_INITDIALOG;
}
}  // namespace

// Offers the message to the dialogs that contain its window, innermost first.
static void offerToDialogs(MSG* message) {
    for (HWND window = message->hwnd; window; window = ::GetParent(window)) {
        if (CDialog* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(window))) {
            if (dialog->PreTranslateMessage(message)) {
                message->message = WM_NULL;  // consumed: the loop that retrieved it dispatches nothing
                return;
            }
        }
        if (!(::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) return;
    }
}

static LRESULT CALLBACK getMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        try {
            MSG* message = reinterpret_cast<MSG*>(lParam);
            if (message && message->hwnd && isInputMessage(message->message)) offerToDialogs(message);
        } catch (...) {
            reportCallbackException("PreTranslateMessage");
        }
    }
    return ::CallNextHookEx(t_messageHook, code, wParam, lParam);
}

CDialog::CDialog(UINT templateId, HWND parent) : m_parent(parent), m_templateId(templateId) {}

CDialog::~CDialog() {
    if (m_hWnd && ::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    m_modal = true;
    INT_PTR result =
        m_wideWindow ? ::DialogBoxParamW(moduleInstance(), MAKEINTRESOURCEW(m_templateId), m_parent, &CDialog::DialogProc,
                                         reinterpret_cast<LPARAM>(this))
                     : ::DialogBoxParamA(moduleInstance(), MAKEINTRESOURCEA(m_templateId), m_parent, &CDialog::DialogProc,
                                         reinterpret_cast<LPARAM>(this));
    m_modal = false;
    return result;
}

bool CDialog::Create(HWND parent) {
    if (m_hWnd) return false;
    if (parent) m_parent = parent;
    m_modal = false;
    HWND window = m_wideWindow ? ::CreateDialogParamW(moduleInstance(), MAKEINTRESOURCEW(m_templateId), m_parent,
                                                      &CDialog::DialogProc, reinterpret_cast<LPARAM>(this))
                               : ::CreateDialogParamA(moduleInstance(), MAKEINTRESOURCEA(m_templateId), m_parent,
                                                      &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

void CDialog::EndDialog(INT_PTR result) {
    if (!m_hWnd) return;
    if (m_modal)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate);
    try {
        DoDataExchange(dx);
        return true;
    } catch (const DataExchangeStopped&) {
        return false;
    }
}

void CDialog::SetMsgResult(LRESULT result) {
    if (m_hWnd) ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
}

bool CDialog::PreTranslateMessage(MSG* message) {
    if (m_modal || !m_hWnd) return false;
    return ::IsDialogMessageA(m_hWnd, message) != FALSE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

bool CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED) return OnButtonClicked(LOWORD(wParam));
    // An accelerator (no control, code 1) reaches only OK and Cancel.
    if (lParam == 0) return CDialog::OnButtonClicked(LOWORD(wParam));
    return false;
}

bool CDialog::OnButtonClicked(int id) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

bool CDialog::OnNotify(int, NMHDR*) { return false; }
void CDialog::OnTimer(UINT_PTR) {}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
void CDialog::OnDestroy() {}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

CDialog* CDialog::FromDialogWindow(HWND window) {
    return reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

void CDialog::BindWindow(HWND window) {
    m_hWnd = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetPermanentHandle(window);
    if (t_dialogWindows++ == 0 && !t_messageHook)
        t_messageHook = ::SetWindowsHookExA(WH_GETMESSAGE, &getMessageHook, nullptr, ::GetCurrentThreadId());
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (self) self->BindWindow(window);
    } else {
        self = FromDialogWindow(window);
    }
    return HandleMessage(self, window, message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!self) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT) and after WM_NCDESTROY
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->ClearPermanentHandle();
        self->m_hWnd = nullptr;
        if (--t_dialogWindows == 0 && t_messageHook) {
            ::UnhookWindowsHookEx(t_messageHook);
            t_messageHook = nullptr;
        }
        try {
            self->PostNcDestroy();
        } catch (...) {
            reportCallbackException("PostNcDestroy");
        }
        return FALSE;
    }
    try {
        LRESULT result = 0;
        if (message == WM_NOTIFY && lParam) {
            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
            CWnd* child = header->hwndFrom != window ? CWnd::FromHandlePermanent(header->hwndFrom) : nullptr;
            if (child && child->OnReflectedNotify(reinterpret_cast<NMHDR*>(lParam), result)) {
                ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
                return TRUE;
            }
        }
        if (self->OnMessage(message, wParam, lParam, result)) {
            if (answersDirectly(message)) return static_cast<INT_PTR>(result);
            ::SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
            return TRUE;
        }
        switch (message) {
        case WM_INITDIALOG:
            return self->OnInitDialog();
        case WM_COMMAND:
            return self->OnCommand(wParam, lParam) ? TRUE : FALSE;
        case WM_NOTIFY:
            ::SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
            return self->OnNotify(static_cast<int>(wParam), reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
        case WM_TIMER:
            self->OnTimer(static_cast<UINT_PTR>(wParam));
            return TRUE;
        case WM_DESTROY:
            self->OnDestroy();
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        reportCallbackException("dialog procedure");
        return FALSE;
    }
}

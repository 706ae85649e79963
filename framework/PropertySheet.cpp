#include "framework/PropertySheet.h"

#include <algorithm>

#include "framework/Module.h"

namespace {
// The sheet whose PropertySheetA call is running: its callback has no other way to find it.
thread_local CPropertySheet* t_startingSheet = nullptr;
}  // namespace

// --- pages ---------------------------------------------------------------------------------------

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) : CDialog(templateId) {
    if (captionId) m_caption = loadModuleString(captionId);
}

PROPSHEETPAGEA CPropertyPage::BuildPageRecord() {
    PROPSHEETPAGEA record{};
    record.dwSize = PROPSHEETPAGEA_V1_SIZE;  // understood by every version of the common controls
    record.dwFlags = PSP_DEFAULT | (m_caption.empty() ? 0 : PSP_USETITLE);
    record.hInstance = moduleInstance();
    record.pszTemplate = MAKEINTRESOURCEA(GetTemplateId());
    record.pszTitle = m_caption.empty() ? nullptr : m_caption.c_str();
    record.pfnDlgProc = &CPropertyPage::PageProc;
    record.lParam = reinterpret_cast<LPARAM>(this);
    return record;
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        // A page's WM_INITDIALOG carries the sheet's copy of the page record.
        auto* record = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
        CPropertyPage* page = record ? reinterpret_cast<CPropertyPage*>(record->lParam) : nullptr;
        if (page) page->BindWindow(window);
        self = page;
    } else {
        self = FromDialogWindow(window);
    }
    return HandleMessage(self, window, message, wParam, lParam);
}

void CPropertyPage::SetModified(bool changed) {
    if (!m_hWnd) return;
    ::SendMessageA(::GetParent(m_hWnd), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnSetActive() { return TRUE; }
BOOL CPropertyPage::OnKillActive() { return UpdateData(true) ? TRUE : FALSE; }

BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}

void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }

bool CPropertyPage::OnNotify(int, NMHDR* header) {
    if (!header) return false;
    switch (header->code) {
    case PSN_SETACTIVE:
        SetMsgResult(OnSetActive() ? 0 : -1);
        return true;
    case PSN_KILLACTIVE:
        SetMsgResult(OnKillActive() ? FALSE : TRUE);
        return true;
    case PSN_APPLY:
        SetMsgResult(OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
        return true;
    case PSN_RESET:
        OnReset();
        return true;
    case PSN_QUERYCANCEL:
        SetMsgResult(OnQueryCancel() ? FALSE : TRUE);
        return true;
    default:
        return false;
    }
}

// --- the sheet -----------------------------------------------------------------------------------

CPropertySheet::CPropertySheet(const std::string& caption, HWND parent, UINT selectPage)
    : m_caption(caption), m_parent(parent), m_startPage(selectPage) {}

CPropertySheet::~CPropertySheet() {
    for (CPropertyPage* page : m_pages)
        if (page->m_sheet == this) page->m_sheet = nullptr;
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page || GetPageIndex(page) >= 0) return;
    if (m_hWnd) {
        PROPSHEETPAGEA record = page->BuildPageRecord();
        HPROPSHEETPAGE handle = ::CreatePropertySheetPageA(&record);
        if (!handle) return;
        if (!::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle))) {
            ::DestroyPropertySheetPage(handle);
            return;
        }
        page->m_sheet = this;
    }
    m_pages.push_back(page);
}

void CPropertySheet::RemovePage(int index) {
    CPropertyPage* page = GetPage(index);
    if (!page) return;
    if (m_hWnd) ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
    page->m_sheet = nullptr;
    m_pages.erase(m_pages.begin() + index);
}

void CPropertySheet::RemovePage(CPropertyPage* page) { RemovePage(GetPageIndex(page)); }

INT_PTR CPropertySheet::DoModal() {
    if (m_hWnd || m_pages.empty()) return -1;
    std::vector<PROPSHEETPAGEA> records;
    for (CPropertyPage* page : m_pages) {
        records.push_back(page->BuildPageRecord());
        page->m_sheet = this;
    }
    PROPSHEETHEADERA header{};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = m_flags | PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.hwndParent = m_parent;
    header.hInstance = moduleInstance();
    header.pszCaption = m_caption.c_str();
    header.nPages = static_cast<UINT>(records.size());
    header.nStartPage = m_startPage < records.size() ? m_startPage : 0;
    header.ppsp = records.data();
    header.pfnCallback = &CPropertySheet::SheetCallback;

    CPropertySheet* outer = t_startingSheet;
    t_startingSheet = this;
    INT_PTR result = ::PropertySheetA(&header);
    t_startingSheet = outer;
    for (CPropertyPage* page : m_pages) page->m_sheet = nullptr;
    if (result < 0) return -1;
    return result > 0 ? IDOK : IDCANCEL;
}

int CALLBACK CPropertySheet::SheetCallback(HWND window, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED) return 0;
    try {
        CPropertySheet* sheet = t_startingSheet;
        t_startingSheet = nullptr;  // a sheet opened from inside this one finds its own
        if (sheet && sheet->SubclassWindow(window)) sheet->OnInitialized();
    } catch (...) {
        reportCallbackException("property sheet callback");
    }
    return 0;
}

bool CPropertySheet::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CPropertySheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

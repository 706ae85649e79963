#include "ui/SettingsSheet.h"

#include <commctrl.h>

namespace {
// The tab, tooltip and date-time picker classes live in the common controls.
void registerSheetClasses() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_DATE_CLASSES};
        return ::InitCommonControlsEx(&init) != FALSE;
    }();
    (void)registered;
}
}  // namespace

CSettingsSheet::CSettingsSheet(ISettingsHost& host, const std::string& caption, HWND parent, UINT selectPage)
    : CPropertySheet(caption, parent, selectPage), m_host(host), m_publish(host, *this), m_general(host, *this), m_extras(host, *this), m_listen(host, *this) {
    registerSheetClasses();
    ModifyFlags(PSH_HASHELP, 0);
    AddPage(&m_general);
}

CSettingsSheet::~CSettingsSheet() = default;

void CSettingsSheet::ShowPublishPage(bool show) {
    if (!GetSafeHwnd()) return;
    if (show && GetPageCount() < 2) {
        AddPage(&m_publish);
        AddPage(&m_extras);
        AddPage(&m_listen);
    }
    while (!show && GetPageCount() > 1) RemovePage(GetPageCount() - 1);
}

void CSettingsSheet::SavePages() {
    if (m_cancelled) return;
    if (m_publish.GetSafeHwnd()) m_publish.savePublishSettings(false);
    if (m_general.GetSafeHwnd()) m_general.saveGeneralSettings();
    if (m_extras.GetSafeHwnd()) m_extras.saveExtrasSettings();
    if (m_listen.GetSafeHwnd()) m_listen.saveListenSettings();
}

bool CSettingsSheet::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message == WM_DESTROY) m_host.applySettings();
    return false;  // then the sheet's own handling
}

#include "ui/SettingsPage.h"

bool CSettingsPage::PreTranslateMessage(MSG* message) {
    if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(message);
    return CPropertyPage::PreTranslateMessage(message);
}

void CSettingsPage::createToolTip() { createSettingsToolTip(m_toolTip, m_hWnd, m_controls, m_controlCount); }

bool CSettingsPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED && OnButtonClicked(id)) return true;
    if (lParam) {
        for (std::size_t i = 0; i < m_controlCount; ++i) {
            if (m_controls[i].id != id || m_controls[i].notification != code) continue;
            OnControlChange(m_controls[i]);
            return true;
        }
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

#include "ui/AboutDlg.h"

#include "resources/StringTable.h"
#include "resources/resource.h"

CAboutDlg::CAboutDlg(HWND parent, IHelpTextSink* helpSink) : CDialog(IDD_ABOUTBOX, parent) {
    m_link.m_helpSink = helpSink;
}

BOOL CAboutDlg::OnInitDialog() {
    m_link.SubclassDlgItem(IDC_ABOUT_WEBSITE, m_hWnd);
    m_link.SetLink(loadString(IDS_WEB_PAGE));
    m_link.m_webLink = TRUE;
    CDialog::OnInitDialog();
    return TRUE;
}

bool CAboutDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT&) {
    // The link is a plain label: it sees the mouse only once it holds the capture.
    if (message == WM_MOUSEMOVE)
        CMyStatic::ForwardMouseMoveToLabel(m_hWnd, wParam,
                                           POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return false;
}

// The About box (template 1011): the plug-in's name and version, a credit line, OK, and the
// "Playtally Website" link that opens the project's web page (string 38).
#pragma once
#include <windows.h>

#include "framework/Dialog.h"
#include "ui/MyStatic.h"

class CAboutDlg : public CDialog {
public:
    // The link's help text goes to `helpSink` (none: nowhere).
    explicit CAboutDlg(HWND parent = nullptr, IHelpTextSink* helpSink = nullptr);

    CMyStatic& Link() { return m_link; }

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    CMyStatic m_link;  // control 1086
};

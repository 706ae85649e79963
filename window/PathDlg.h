// The path dialog: the file path of a record, with a line naming the file that was not found
// when playing it failed, and "Browse..." for the system's file-open box.
#pragma once
#include <string>

#include "framework/Dialog.h"

class CPathDlg : public CDialog {
public:
    // `missingPath` non-empty: the file at that path could not be opened.
    CPathDlg(const std::string& path, const std::string& missingPath, HWND parent = nullptr);

    std::string m_path;         // on OK: the confirmed text, unchecked
    std::string m_missingText;  // "File not found: "<path>"", or ""
    std::string m_prompt;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
};

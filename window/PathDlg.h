// The path dialog: the file path of a record, with a line naming the file that was not found
// when playing it failed, and "Browse..." for the system's file-open box. The dialog is a Unicode
// window, so that a name the ANSI code page cannot hold is shown and edited whole.
#pragma once
#include <string>

#include "framework/Dialog.h"

class CPathDlg : public CDialog {
public:
    // `widePath` non-empty: the name whole, where `path` is the code page's lossy form of it.
    // `missingPath` non-empty: the file at that path (`missingWide`: its name whole) could not be
    // opened.
    CPathDlg(const std::string& path, const std::u16string& widePath, const std::string& missingPath,
             const std::u16string& missingWide, HWND parent = nullptr);

    // On OK: the confirmed text (unchecked) in the code page, and whole in `m_widePath` when the
    // code page cannot hold it (empty otherwise). Text left as shown keeps the path as it came.
    std::string m_path;
    std::u16string m_widePath;
    std::u16string m_missingText;  // "File not found: "<path>"", or ""
    std::string m_prompt;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnButtonClicked(int id) override;

private:
    // Sets m_path and m_widePath from the edit's text.
    void TakeText(const std::u16string& text);
    std::u16string m_text;  // what the edit shows
};

// The template editor (template 1018, "Edit"): a resizable dialog around one rich edit control
// that edits a report template. OK writes the text back to the caller's string, with "\n" line
// breaks only, and stores the window's placement (section "HtmlEditDlg"); Cancel changes neither.
// Tab inserts a tab character instead of moving the focus; tab stops fall every 180 twips.
#pragma once
#include <windows.h>

#include <string>

#include "ui/ResizeDialog.h"

class HtmlEditDlg : public CResizeDialog {
public:
    static constexpr int kTabStopCount = 32;
    static constexpr int kTabStopTwips = 180;

    // `target` is read now and written on OK (null edits an empty text that goes nowhere); the
    // placement is kept in `placements` (none: it opens at the template's size and keeps none).
    HtmlEditDlg(std::string* target, RegistryProfile* placements, HWND parent = nullptr);

    // IDOK or IDCANCEL (-1 when the window cannot be made). Without a parent, the thread's active
    // window owns the editor and is disabled while it runs.
    INT_PTR DoModal() override;
    bool PreTranslateMessage(MSG* message) override;

    std::string m_text;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    std::string* m_target;
    RegistryProfile* m_placements;
};

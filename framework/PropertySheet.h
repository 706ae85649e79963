// Property sheets and their pages.
//
// A CPropertyPage is a CDialog whose window the sheet creates the first time the page is shown;
// its procedure finds the object in the page record (PROPSHEETPAGE::lParam) and then routes like
// any dialog. The sheet's notifications become virtual members: OnSetActive, OnKillActive (which
// takes and validates the values), OnApply (OK and Apply) and OnReset (Cancel).
//
// A CPropertySheet holds pointers to pages it does not own, runs them with PropertySheetA, and
// once its window exists subclasses it, so that a derived sheet sees the sheet window's messages
// in WindowProc. Pages can be added and removed while the sheet is shown.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Dialog.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    // `captionId` 0 keeps the template's caption as the tab text.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);

    // Enables (true) or disables the sheet's Apply button on behalf of this page.
    void SetModified(bool changed = true);
    // The sheet that shows the page, while it does.
    CPropertySheet* GetSheet() const { return m_sheet; }

    // Pages take the sheet's dialog keys from the sheet's own loop.
    bool PreTranslateMessage(MSG*) override { return false; }

protected:
    // PSN_SETACTIVE: return FALSE to refuse the page.
    virtual BOOL OnSetActive();
    // PSN_KILLACTIVE: the default takes and validates the values; FALSE keeps the page.
    virtual BOOL OnKillActive();
    // PSN_APPLY (OK or Apply): the default calls OnOK and accepts. FALSE keeps the sheet open.
    virtual BOOL OnApply();
    // PSN_RESET (Cancel or the close box): the default calls OnCancel.
    virtual void OnReset();
    // PSN_QUERYCANCEL: FALSE stops the cancel.
    virtual BOOL OnQueryCancel();
    // A page's OK and Cancel do not end anything: the sheet does.
    void OnOK() override {}
    void OnCancel() override {}
    bool OnNotify(int controlId, NMHDR* header) override;

private:
    friend class CPropertySheet;
    PROPSHEETPAGEA BuildPageRecord();
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::string m_caption;
    CPropertySheet* m_sheet = nullptr;
};

class CPropertySheet : public CWnd {
public:
    CPropertySheet(const std::string& caption, HWND parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;
    CPropertySheet(const CPropertySheet&) = delete;
    CPropertySheet& operator=(const CPropertySheet&) = delete;

    // Adds a page at the end; while the sheet is shown its tab appears at once.
    void AddPage(CPropertyPage* page);
    // Removes the page at `index`; while the sheet is shown its tab (and window) go at once.
    void RemovePage(int index);
    void RemovePage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    int GetPageIndex(const CPropertyPage* page) const;

    // Header flags (PSH_*) besides the ones the sheet always sets itself.
    void ModifyFlags(DWORD remove, DWORD add) { m_flags = (m_flags & ~remove) | add; }
    DWORD GetFlags() const { return m_flags; }

    // Runs the sheet modally: IDOK when the pages' changes were applied (OK, or Apply before
    // closing), IDCANCEL when nothing was applied, -1 on failure.
    virtual INT_PTR DoModal();

protected:
    // Called once the sheet window exists and is subclassed, before it is shown.
    virtual void OnInitialized() {}
    // Sees every message of the sheet window first. Return true when handled, with `result` its
    // answer; otherwise the sheet's own procedure handles it.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) final;
    static int CALLBACK SheetCallback(HWND window, UINT message, LPARAM lParam);

    std::string m_caption;
    HWND m_parent;
    UINT m_startPage;
    DWORD m_flags = 0;
    std::vector<CPropertyPage*> m_pages;
};

// The modeless progress dialog of long work on the user-interface thread (template IDD_PROGRESS):
// a text line, a bar with its percent label, and Cancel. While it is shown its owner is disabled,
// and every position update or cancel check pumps the thread's messages, so the interface stays
// alive while the caller keeps working.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "core/Progress.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CProgressDlg : public CDialog, public IProgress {
public:
    // `titleStringId`: the string resource used as the window text; 0 for "Please Wait" (IDS_PLEASE_WAIT).
    explicit CProgressDlg(UINT titleStringId = 0);
    ~CProgressDlg() override;  // destroys the window (re-enabling the owner) when it still exists

    // Creates the window owned by the safe owner (see SafeOwner), disabling that owner while the
    // dialog lives. False when the window cannot be created; the owner is then enabled again.
    bool CreateOwned();
    // Re-enables the owner this dialog disabled, then destroys the window.
    bool DestroyWindow();

    // IProgress
    void Show(const std::string& text, int lower, int upper) override;
    void SetRange(int lower, int upper) override;
    void SetStep(int step) override;
    int SetPos(int position) override;
    int Advance(int position = -1) override;
    bool CheckCancel() override;
    void SetText(const std::string& text) override;

    // The window a dialog without a parent is owned by: the top-level window that is active on
    // this thread (the Playtally window, the settings sheet or Winamp itself), else the foreground
    // window when it belongs to this thread, else none.
    static HWND SafeOwner();
    // The percent label's text for a position: "%d%c" of the truncated percent, 100 shown as
    // "100%", any other value by its remainder modulo 100; "0%" for an empty range.
    static std::string PercentText(int position, int lower, int upper);

    HWND OwnerWindow() const { return m_owner; }
    bool OwnerDisabled() const { return m_ownerDisabled != FALSE; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}                             // Enter does not end the work
    void OnCancel() override { m_cancelled = TRUE; }    // Cancel, Esc, Alt+F4: reported, the dialog stays
    void OnDestroy() override;

private:
    // Removes every waiting message of the thread: this dialog's own go through IsDialogMessage,
    // the rest are translated and dispatched. A WM_QUIT is put back for the loop it belongs to.
    void PumpMessages();
    void UpdatePercent(int position);
    void EnableOwnerAgain();

    CProgressCtrl m_bar;          // control 1003, bound when the dialog initialises
    UINT m_titleStringId;
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 1;
    BOOL m_cancelled = FALSE;     // set by Cancel, cleared when read
    BOOL m_ownerDisabled = FALSE; // this dialog disabled m_owner
    HWND m_owner = nullptr;
};

// The progress windows of the plug-in for the portable code.
class CProgressFactory : public IProgressFactory {
public:
    std::unique_ptr<IProgress> create() override;
};

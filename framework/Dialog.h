// CDialog: a dialog made from a template in the plug-in's own resources, modal (DoModal) or
// modeless (Create), whose messages reach virtual members of the object.
//
// One static dialog procedure serves every dialog: WM_INITDIALOG carries the object's address,
// which the procedure keeps in the window (GWLP_USERDATA) until WM_NCDESTROY. Messages then go
// first to OnMessage, and if it does not handle them, to OnInitDialog, OnCommand (and from there
// OnOK / OnCancel), OnNotify, OnTimer and OnDestroy. No exception leaves the procedure.
//
// Keyboard and mouse messages retrieved from the thread's queue for a dialog or its children are
// offered to PreTranslateMessage first (through a thread message hook that lives while dialogs do),
// whatever loop retrieves them: the dialog manager's, a property sheet's, or the host's own.
#pragma once
#include <windows.h>

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    ~CDialog() override;  // destroys a modeless window that is still open
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when it cannot be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless (invisible unless its template says WS_VISIBLE). False on failure.
    bool Create(HWND parent = nullptr);
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(INT_PTR result);
    // Puts the members into the controls (false) or takes and validates them (true).
    bool UpdateData(bool saveAndValidate = true);
    // The result of the message now being handled, for messages whose answer travels in
    // DWLP_MSGRESULT (notifications, property-sheet messages).
    void SetMsgResult(LRESULT result);

    UINT GetTemplateId() const { return m_templateId; }
    bool IsModal() const { return m_modal; }

    // Offered every keyboard and mouse message retrieved for this dialog or a child of it before it
    // is dispatched; true consumes it. The default lets a modeless dialog handle its dialog keys
    // (IsDialogMessage); modal dialogs get them from their own loop.
    virtual bool PreTranslateMessage(MSG* message);

protected:
    virtual void DoDataExchange(CDataExchange& dx);
    // The default puts the members into the controls and returns TRUE (focus to the first control).
    virtual BOOL OnInitDialog();
    // WM_COMMAND; true when handled. The default hands a click (and a menu choice, whose code is
    // the same) to OnButtonClicked; other notifications are left to the dialogs that want them.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // A click on the button (or link, or menu item) `id`; true when handled. The default sends
    // IDOK to OnOK and IDCANCEL to OnCancel.
    virtual bool OnButtonClicked(int id);
    // WM_NOTIFY; true when handled (set the answer with SetMsgResult). The default handles nothing.
    virtual bool OnNotify(int controlId, NMHDR* header);
    virtual void OnTimer(UINT_PTR id);
    // The default takes the values (staying open when they do not validate) and ends with IDOK.
    virtual void OnOK();
    // The default ends with IDCANCEL: Esc, the close box and a button with id IDCANCEL come here.
    virtual void OnCancel();
    virtual void OnDestroy();
    // Sees every message first. Return true when handled, with `result` the message's answer.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Routes one message to the virtual members. Shared by the dialog procedure and the
    // property-page procedure, which differ only in where WM_INITDIALOG carries the object.
    static INT_PTR HandleMessage(CDialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The object of a dialog window whose WM_INITDIALOG has been seen, or null.
    static CDialog* FromDialogWindow(HWND window);
    // Binds the object to its window at WM_INITDIALOG.
    void BindWindow(HWND window);

    HWND m_parent;
    // Set before the window is made: the dialog and its controls are then Unicode windows, whose
    // texts hold characters the ANSI code page cannot (read and set them with the wide calls).
    bool m_wideWindow = false;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    UINT m_templateId;
    bool m_modal = false;
};

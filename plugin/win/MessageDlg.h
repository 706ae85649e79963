// The keyed message dialogs: a notice (template 1007, "OK") and a Yes/No question (template 1012),
// each with the box "&Do not show this message again". The box's state is kept under the
// message's key in the section "Main" of the profile; a key holding 1 silences the message.
#pragma once
#include <string>

#include "framework/Dialog.h"

class IProfile;

class CMessageDlg : public CDialog {
public:
    // `key` names the value in section "Main"; empty means the message cannot be silenced.
    CMessageDlg(IProfile& profile, const std::string& text, const std::string& key, HWND parent = nullptr);

    // Returns 0 at once when the key holds 1; otherwise shows the dialog: IDOK, or IDCANCEL for
    // Esc and the close box (which write nothing).
    INT_PTR DoModal() override;

    int m_doNotShow = 0;
    std::string m_text;
    std::string m_key;

protected:
    CMessageDlg(UINT templateId, IProfile& profile, const std::string& text, const std::string& key, HWND parent);
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    // Whether the message's key holds 1 (an empty key never does).
    bool IsSilenced();

    IProfile& m_profile;
};

class CQuestionDlg : public CMessageDlg {
public:
    CQuestionDlg(IProfile& profile, const std::string& text, const std::string& key, HWND parent = nullptr);

    // Returns IDYES at once when the key holds 1; otherwise IDYES or IDCANCEL ("No", Esc, close box).
    INT_PTR DoModal() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;
    void OnYes();
};

#include "plugin/win/WinMessages.h"

#include "framework/Wnd.h"
#include "plugin/win/MessageDlg.h"

void WinMessages::showMessage(const std::string& text, const std::string& key) {
    try {
        CMessageDlg dialog(profile_, text, key);
        dialog.DoModal();
    } catch (...) {
        reportCallbackException("showMessage");
    }
}

bool WinMessages::askYesNo(const std::string& text, const std::string& key) {
    try {
        CQuestionDlg dialog(profile_, text, key);
        return dialog.DoModal() == IDYES;
    } catch (...) {
        reportCallbackException("askYesNo");
        return false;
    }
}

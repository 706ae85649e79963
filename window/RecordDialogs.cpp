#include "window/RecordDialogs.h"

#include "framework/Wnd.h"
#include "window/PathDlg.h"
#include "window/TagEditDlg.h"

bool CRecordDialogs::editPath(std::string& path, std::u16string& widePath, const std::string& missingPath,
                              const std::u16string& missingWide) {
    try {
        CPathDlg dialog(path, widePath, missingPath, missingWide, ::GetActiveWindow());
        if (dialog.DoModal() != IDOK) return false;
        path = dialog.m_path;
        widePath = dialog.m_widePath;
        return true;
    } catch (...) {
        reportCallbackException("path dialog");
        return false;
    }
}

bool CRecordDialogs::editTexts(TrackTexts& texts) {
    try {
        TrackTexts edited = texts;
        CTagEditDlg dialog(edited, ::GetActiveWindow());
        if (dialog.DoModal() != IDOK) return false;
        texts = edited;
        return true;
    } catch (...) {
        reportCallbackException("tag editor");
        return false;
    }
}

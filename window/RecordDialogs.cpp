#include "window/RecordDialogs.h"

#include "framework/Wnd.h"
#include "window/PathDlg.h"
#include "window/TagEditDlg.h"

bool CRecordDialogs::editPath(std::string& path, const std::string& missingPath) {
    try {
        CPathDlg dialog(path, missingPath, ::GetActiveWindow());
        if (dialog.DoModal() != IDOK) return false;
        path = dialog.m_path;
        return true;
    } catch (...) {
        reportCallbackException("path dialog");
        return false;
    }
}

bool CRecordDialogs::editTag(CId3v1Tag::Body& body) {
    try {
        CId3v1Tag::Body edited = body;
        CTagEditDlg dialog(edited, ::GetActiveWindow());
        if (dialog.DoModal() != IDOK) return false;
        body = edited;
        return true;
    } catch (...) {
        reportCallbackException("tag editor");
        return false;
    }
}

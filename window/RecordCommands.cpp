// The record commands of the Playtally window: each acts on the record of the first selected row
// (nothing when no row is selected). After a removal or a tag edit the list is built again; a path
// change or a play leaves it as it is.
#include "window/PlaytallyDlg.h"

#include "database/Doc.h"
#include "framework/Wnd.h"
#include "plugin/win/PlaytallyApp.h"

void CPlaytallyDlg::RemoveCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0 && theApp().doc().RemoveRecord(index)) List().RefillRows(true, false);
    } catch (...) {
        reportCallbackException("remove command");
    }
}

void CPlaytallyDlg::EditCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0 && theApp().doc().EditTag(index)) List().RefillRows(true, false);
    } catch (...) {
        reportCallbackException("edit command");
    }
}

void CPlaytallyDlg::PlayCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0) theApp().doc().PlayRecord(index);
    } catch (...) {
        reportCallbackException("play command");
    }
}

void CPlaytallyDlg::PathCommand() {
    try {
        const int index = SelectedRecordIndex();
        if (index >= 0) theApp().doc().ChangePath(index, std::string());
    } catch (...) {
        reportCallbackException("path command");
    }
}

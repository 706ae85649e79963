// The record commands of the Playtally window: each acts on the record of the first selected row
// (nothing when no row is selected). After a removal or a tag edit the list is built again; a path
// change or a play leaves it as it is.
#include "window/PlaytallyDlg.h"

#include "database/Doc.h"
#include "framework/Wnd.h"

template <class Command>
void CPlaytallyDlg::RunRecordCommand(const char* name, Command command) {
    try {
        const int index = SelectedRecordIndex();
        // The command's questions and dialogs leave the player running, and the window may be
        // gone when they end (the plug-in disabled from the settings meanwhile).
        const std::shared_ptr<const bool> alive = m_alive;
        if (index >= 0 && m_doc && command(*m_doc, index) && *alive) List().RefillRows(true, false);
    } catch (...) {
        reportCallbackException(name);
    }
}

void CPlaytallyDlg::RemoveCommand() {
    RunRecordCommand("remove command", [](CDoc& doc, int index) { return doc.RemoveRecord(index); });
}

void CPlaytallyDlg::EditCommand() {
    RunRecordCommand("edit command", [](CDoc& doc, int index) { return doc.EditTag(index); });
}

void CPlaytallyDlg::PlayCommand() {
    RunRecordCommand("play command", [](CDoc& doc, int index) {
        doc.PlayRecord(index);
        return false;
    });
}

void CPlaytallyDlg::PathCommand() {
    RunRecordCommand("path command", [](CDoc& doc, int index) {
        doc.ChangePath(index, std::string());
        return false;
    });
}

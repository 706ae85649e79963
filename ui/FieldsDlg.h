// The fields chooser: nine check boxes for the record fields of a flag list (the number and the
// hits have none), some of them greyed by a mask. OK writes the boxes back into the flags.
#pragma once
#include "framework/Dialog.h"
#include "core/Settings.h"

class CFieldsDlg : public CDialog {
public:
    // `flags` is edited on OK; a set `mask` entry greys that field's box.
    CFieldsDlg(FieldFlags* flags, const FieldFlags* mask, HWND parent = nullptr);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    FieldFlags* m_flags;
    const FieldFlags* m_mask;
    FieldFlags m_boxes;  // the nine boxes' values (entries 0 and 2 unused)
};

// The tag editor: the six texts of a stored play, whole and in any script (a Unicode dialog); the
// file itself is never written. The play's ID3v1 body is made again from what was typed.
#pragma once
#include <cstdint>
#include <string>

#include "core/TrackTexts.h"
#include "framework/Dialog.h"

class CTagEditDlg : public CDialog {
public:
    // `texts` are the play's texts (UTF-8), changed in place on "Update".
    explicit CTagEditDlg(TrackTexts& texts, HWND parent = nullptr);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    TrackTexts& m_texts;
    TrackTexts m_edited;
};

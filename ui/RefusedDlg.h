// The listens that were not sent because the server refused them (or would refuse them): each with
// its artist, title, time and the reason in words. Shown from the ListenBrainz page, whose
// "Clear refused" removes them; the dialog itself only shows a copy.
#pragma once
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "plugin/Outbox.h"

class CRefusedDlg : public CDialog {
public:
    CRefusedDlg(std::vector<RefusedListen> refused, std::string dateFormat, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool PreTranslateMessage(MSG* message) override;

private:
    void fillList();

    std::vector<RefusedListen> m_refused;
    std::string m_dateFormat;
    CToolTipCtrl m_toolTip;
};

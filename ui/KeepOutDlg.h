// The rules that keep plays out of the rankings: a list of rules (a field and a text), with Add
// and Remove; the tooltips give examples. OK hands the edited rules back, Cancel leaves them.
#pragma once
#include <vector>

#include "database/PlayExclusion.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKeepOutDlg : public CDialog {
public:
    CKeepOutDlg(std::vector<ExclusionRule>* rules, HWND parent);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool PreTranslateMessage(MSG* message) override;
    void OnOK() override;

private:
    void fillList(int select);
    void addRule();
    void removeRule();
    void updateButtons();

    std::vector<ExclusionRule>* m_target;
    std::vector<ExclusionRule> m_rules;
    CToolTipCtrl m_toolTip;
};

// The text a rule shows in the dialog's list: "path: \Audiobooks\".
std::string keepOutRuleText(const ExclusionRule& rule);

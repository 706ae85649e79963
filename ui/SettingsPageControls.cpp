#include "ui/SettingsPageControls.h"

#include "resources/StringTable.h"

void createSettingsToolTip(CToolTipCtrl& toolTip, HWND page, const SettingsControl* controls, size_t count) {
    if (!toolTip.Create(page)) return;
    toolTip.SetDelayTime(TTDT_INITIAL, 40);
    toolTip.SetDelayTime(TTDT_RESHOW, 40);
    toolTip.SetDelayTime(TTDT_AUTOPOP, 30000);
    toolTip.SetMaxTipWidth(400);
    toolTip.Activate(true);
    for (size_t i = 0; i < count; ++i) {
        HWND control = ::GetDlgItem(page, controls[i].id);
        if (control) toolTip.AddTool(control, loadString(static_cast<int>(controls[i].toolTip)));
    }
}

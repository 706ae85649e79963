// What the two settings pages share: their control tables (what a change does, which tooltip
// explains the control) and the tooltip that shows those explanations.
#pragma once
#include <windows.h>

#include "framework/Controls.h"

// What a control does when the user changes it.
enum SettingsChange : unsigned {
    kChangeNothing = 0,
    kChangeModified = 1,  // the page is marked modified (the sheet's Apply button)
    kChangeRefresh = 2,   // the page re-runs its refresh / enabling rules
    kChangeDatabase = 4,  // the next apply saves and reloads the database
};

struct SettingsControl {
    int id;
    UINT notification;  // BN_CLICKED, EN_CHANGE or CBN_SELCHANGE
    unsigned onChange;  // SettingsChange flags
    UINT toolTip;       // string id of its explanation
};

// The table's entry for a control's notification, or null.
template <size_t N>
const SettingsControl* findSettingsControl(const SettingsControl (&table)[N], int id, UINT notification) {
    for (const SettingsControl& control : table)
        if (control.id == id && control.notification == notification) return &control;
    return nullptr;
}

// Creates the page's tooltip (shown after 40 ms, for 30 s, lines of at most 400 pixels) with one
// tool per control of the table.
void createSettingsToolTip(CToolTipCtrl& toolTip, HWND page, const SettingsControl* controls, size_t count);
template <size_t N>
void createSettingsToolTip(CToolTipCtrl& toolTip, HWND page, const SettingsControl (&table)[N]) {
    createSettingsToolTip(toolTip, page, table, N);
}

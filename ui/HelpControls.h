// Controls that report their help text while the mouse moves over them: a button, a combo box,
// an edit box and a date-time picker. Each is its control's wrapper plus a help value; the owner
// subclasses the dialog's control (SubclassDlgItem) and sets m_helpValue. The text goes to the
// control's parent window when that window's object is an IHelpTextSink.
#pragma once
#include <windows.h>

#include "framework/Controls.h"
#include "ui/HelpText.h"

template <class Control>
class CHelpControl : public Control {
public:
    CHelpControl() = default;
    // A subclassed control must stay where it is: no copies.
    CHelpControl(const CHelpControl&) = delete;
    CHelpControl& operator=(const CHelpControl&) = delete;

    HelpValue m_helpValue = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE) {
            if (IHelpTextSink* sink = ParentHelpSink(this->m_hWnd)) sink->ShowHelpText(m_helpValue);
        }
        return Control::WindowProc(message, wParam, lParam);
    }
};

class CHelpButton : public CHelpControl<CButton> {};
class CHelpComboBox : public CHelpControl<CComboBox> {};
class CHelpEdit : public CHelpControl<CEdit> {};

// The picker's own change and drop-down notifications stop here: its parent receives neither
// DTN_DATETIMECHANGE nor DTN_DROPDOWN from it (the parent reads the picker's value when it needs it).
class CHelpDateTimeCtrl : public CHelpControl<CDateTimeCtrl> {
public:
    bool OnReflectedNotify(NMHDR* header, LRESULT& result) override;
};

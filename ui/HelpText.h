// Help texts of the controls a help area describes.
//
// A help value names the text a control shows in the help area while the mouse is over it: 0 for
// none, a number below 65,536 for a string resource, anything else for the address of a
// zero-terminated text that lives as long as the control.
#pragma once
#include <windows.h>

#include <string>

using HelpValue = UINT_PTR;  // 0 none; below 65,536 a string id; otherwise a pointer to a text

// The text a help value stands for ("" for 0 or an unknown string id).
std::string HelpValueText(HelpValue value);

// A window that shows help texts (the one with the help area).
class IHelpTextSink {
public:
    virtual ~IHelpTextSink() = default;
    virtual void ShowHelpText(HelpValue value) = 0;
};

// The sink of a control's parent window: its window object when that implements IHelpTextSink.
IHelpTextSink* ParentHelpSink(HWND control);

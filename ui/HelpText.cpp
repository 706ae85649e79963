#include "ui/HelpText.h"

#include "framework/Wnd.h"
#include "resources/StringTable.h"

std::string HelpValueText(HelpValue value) {
    if (value == 0) return std::string();
    if ((value >> 16) == 0) return loadString(static_cast<int>(value));
    return std::string(reinterpret_cast<const char*>(value));
}

IHelpTextSink* ParentHelpSink(HWND control) {
    HWND parent = control ? ::GetParent(control) : nullptr;
    return dynamic_cast<IHelpTextSink*>(CWnd::FromHandlePermanent(parent));
}

#include "ui/HelpText.h"

#include "framework/Wnd.h"
#include "resources/StringTable.h"

namespace {
IHelpTextSink* g_playtallySink = nullptr;
}  // namespace

std::string HelpValueText(HelpValue value) {
    if (value == 0) return std::string();
    if ((value >> 16) == 0) return loadString(static_cast<int>(value));
    return std::string(reinterpret_cast<const char*>(value));
}

void SetPlaytallyHelpSink(IHelpTextSink* sink) { g_playtallySink = sink; }
IHelpTextSink* PlaytallyHelpSink() { return g_playtallySink; }

IHelpTextSink* ParentHelpSink(HWND control) {
    HWND parent = control ? ::GetParent(control) : nullptr;
    return dynamic_cast<IHelpTextSink*>(CWnd::FromHandlePermanent(parent));
}

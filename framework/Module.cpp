#include "framework/Module.h"

namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE moduleInstance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }
void setModuleInstance(HINSTANCE instance) { g_instance = instance; }

std::string loadModuleString(UINT id) {
    // A string table entry holds at most 4,097 characters in a resource script.
    char text[4100] = {};
    int length = ::LoadStringA(moduleInstance(), id, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

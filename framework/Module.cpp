#include "framework/Module.h"

namespace {
HINSTANCE g_instance = nullptr;
}

HINSTANCE moduleInstance() { return g_instance ? g_instance : GetModuleHandleA(nullptr); }
void setModuleInstance(HINSTANCE instance) { g_instance = instance; }

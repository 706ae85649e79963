// The module whose resources the framework loads: the plug-in DLL itself (never the host's
// executable), or the test executable that links the framework.
#pragma once
#include <windows.h>

HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);

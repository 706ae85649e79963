// The module whose resources the framework loads: the plug-in DLL itself (never the host's
// executable), or the test executable that links the framework.
#pragma once
#include <windows.h>

#include <string>

HINSTANCE moduleInstance();
void setModuleInstance(HINSTANCE instance);
// A string of the module's string table ("" when it has none of that number).
std::string loadModuleString(UINT id);

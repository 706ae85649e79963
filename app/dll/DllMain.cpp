// The DLL's entry point: it only remembers its own module handle. Everything else waits for
// Winamp's calls, outside the loader lock.
#include <windows.h>

#include "framework/Module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        setModuleInstance(instance);
    }
    return TRUE;
}

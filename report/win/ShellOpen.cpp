#include "report/win/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

void CShellOpen::openDocument(const std::string& path) {
    // A report without an associated program simply stays unopened: nothing to report.
    ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

#include "report/win/ProgramRunner.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "framework/Handles.h"
#include "core/Messages.h"
#include "resources/StringTable.h"

void CProgramRunner::runProgram(const std::string& commandLine, unsigned flags) {
    if (commandLine.empty()) return;
    const bool hide = (flags & RunHide) != 0;
    const bool wait = (flags & RunWait) != 0;

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    DWORD creation = 0;
    if (hide) {
        creation = CREATE_NO_WINDOW;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    // CreateProcessA may write into its command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    PROCESS_INFORMATION started{};
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, creation, nullptr, nullptr, &startup,
                       &started)) {
        UniqueKernelHandle process(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        if (wait) WaitForSingleObject(process.get(), INFINITE);
        return;
    }

    HINSTANCE opened = ShellExecuteA(nullptr, "open", commandLine.c_str(), nullptr, nullptr,
                                     hide ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) > 32) return;
    const std::string text = loadString(1021) + "  " + commandLine;
    messages_.showMessage(text, text);
}

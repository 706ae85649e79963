#include "report/win/ProgramRunner.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "core/CodePage.h"
#include "framework/Handles.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
// Starts the command line as a process, hidden with RunHide and waited for with RunWait; false when
// no process could be created. Both the ANSI and the wide command lines start here.
bool startProcess(std::u16string line, unsigned flags) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    DWORD creation = 0;
    if (flags & RunHide) {
        creation = CREATE_NO_WINDOW;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    // CreateProcessW may write into its command line: this is our copy, ending in its zero.
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(&line[0]), nullptr, nullptr, FALSE, creation, nullptr, nullptr, &startup, &started))
        return false;
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    if (flags & RunWait) WaitForSingleObject(process.get(), INFINITE);
    return true;
}
}  // namespace

void CProgramRunner::runProgram(const std::string& commandLine, unsigned flags) {
    if (commandLine.empty()) return;
    if (startProcess(ansiToUtf16(commandLine), flags)) return;

    HINSTANCE opened = ShellExecuteA(nullptr, "open", commandLine.c_str(), nullptr, nullptr,
                                     (flags & RunHide) ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) > 32) return;
    const std::string text = loadString(IDS_RUN_FAILED) + "  " + commandLine;
    messages_.showMessage(text, text);
}

void CProgramRunner::runProgram(const std::string& before, const std::u16string& wide, const std::string& after,
                                unsigned flags) {
    const std::u16string commandLine = ansiToUtf16(before) + wide + ansiToUtf16(after);
    if (commandLine.empty()) return;
    if (startProcess(commandLine, flags)) return;
    // What the code page makes of it names the command in the message.
    const std::string text = loadString(IDS_RUN_FAILED) + "  " + utf16ToAnsi(commandLine);
    messages_.showMessage(text, text);
}

#include "report/win/ProgramRunner.h"

#include <windows.h>
#include <shellapi.h>

#include <utility>
#include <vector>

#include "framework/Handles.h"
#include "core/Messages.h"
#include "resources/StringTable.h"

namespace {
// Appends the text widened by the ANSI code page. (A vector: the wide string class would add tens
// of kilobytes to the plug-in.)
void appendWide(std::vector<wchar_t>& out, const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data() + at, n);
}

// Starts the command line as a process, hidden with RunHide and waited for with RunWait; false when
// no process could be created. Both the ANSI and the wide command lines start here.
bool startProcess(std::vector<wchar_t> line, unsigned flags) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    DWORD creation = 0;
    if (flags & RunHide) {
        creation = CREATE_NO_WINDOW;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    line.push_back(L'\0');  // CreateProcessW may write into its command line: this is our copy
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creation, nullptr, nullptr, &startup, &started))
        return false;
    UniqueKernelHandle process(started.hProcess);
    UniqueKernelHandle thread(started.hThread);
    if (flags & RunWait) WaitForSingleObject(process.get(), INFINITE);
    return true;
}
}  // namespace

void CProgramRunner::runProgram(const std::string& commandLine, unsigned flags) {
    if (commandLine.empty()) return;
    std::vector<wchar_t> line;
    appendWide(line, commandLine);
    if (startProcess(std::move(line), flags)) return;

    HINSTANCE opened = ShellExecuteA(nullptr, "open", commandLine.c_str(), nullptr, nullptr,
                                     (flags & RunHide) ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(opened) > 32) return;
    const std::string text = loadString(1021) + "  " + commandLine;
    messages_.showMessage(text, text);
}

void CProgramRunner::runProgram(const std::string& before, const std::u16string& wide, const std::string& after,
                                unsigned flags) {
    std::vector<wchar_t> commandLine;
    appendWide(commandLine, before);
    commandLine.insert(commandLine.end(), wide.begin(), wide.end());
    appendWide(commandLine, after);
    if (commandLine.empty()) return;
    if (startProcess(commandLine, flags)) return;
    // What the code page makes of it names the command in the message.
    const int n = WideCharToMultiByte(CP_ACP, 0, commandLine.data(), static_cast<int>(commandLine.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string shown(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, commandLine.data(), static_cast<int>(commandLine.size()), &shown[0], n, nullptr,
                            nullptr);
    const std::string text = loadString(1021) + "  " + shown;
    messages_.showMessage(text, text);
}

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
}  // namespace

void CProgramRunner::runProgram(const std::string& before, const std::u16string& wide, const std::string& after,
                                unsigned flags) {
    std::vector<wchar_t> commandLine;
    appendWide(commandLine, before);
    commandLine.insert(commandLine.end(), wide.begin(), wide.end());
    appendWide(commandLine, after);
    if (commandLine.empty()) return;
    const bool hide = (flags & RunHide) != 0;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    DWORD creation = 0;
    if (hide) {
        creation = CREATE_NO_WINDOW;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    // CreateProcessW may write into its command line.
    std::vector<wchar_t> line = commandLine;
    line.push_back(L'\0');
    PROCESS_INFORMATION started{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creation, nullptr, nullptr, &startup, &started)) {
        UniqueKernelHandle process(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
        if (flags & RunWait) WaitForSingleObject(process.get(), INFINITE);
        return;
    }
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

// A stand-in for the user's before- and after-programs: records how it was started, then
// optionally waits for a "go" file and sleeps, and notes when it is done.
//   report_probe.exe <record file> [check=<path>] [go=<path>] [sleep=<ms>]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void append(const char* recordFile, const std::string& line) {
    if (FILE* f = std::fopen(recordFile, "ab")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const char* record = argv[1];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char line[4096];
    std::snprintf(line, sizeof line, "flags=%lu show=%u console=%d", static_cast<unsigned long>(startup.dwFlags),
                  static_cast<unsigned>(startup.wShowWindow), GetConsoleWindow() != nullptr ? 1 : 0);
    append(record, line);
    append(record, std::string("cmd=") + GetCommandLineA());
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg.rfind("check=", 0) == 0) {
            append(record, std::string("exists=") + (exists(arg.substr(6)) ? "1" : "0"));
        } else if (arg.rfind("go=", 0) == 0) {
            bool go = false;
            for (int waited = 0; waited < 20000 && !go; waited += 20) {
                go = exists(arg.substr(3));
                if (!go) Sleep(20);
            }
            append(record, go ? "go" : "timeout");
        } else if (arg.rfind("sleep=", 0) == 0) {
            Sleep(static_cast<DWORD>(std::atoi(arg.c_str() + 6)));
        }
    }
    append(record, "done");
    return 0;
}

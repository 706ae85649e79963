// Opening a finished report with the program the system associates with it.
#pragma once
#include <string>

class IShell {
public:
    virtual ~IShell() = default;
    // Opens `path` with the shell's "open" verb, shown normally (Windows: report/win/ShellOpen).
    virtual void openDocument(const std::string& path) = 0;
};

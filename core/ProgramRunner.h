// Starting the user's programs (the report's before and after programs, Winamp itself).
#pragma once
#include <string>

enum RunFlags : unsigned {
    RunWait = 1,  // wait for the started process to end
    RunHide = 2,  // start it hidden
};

class IProgramRunner {
public:
    virtual ~IProgramRunner() = default;
    // Starts `commandLine` (nothing for an empty one); reports a failure itself.
    virtual void runProgram(const std::string& commandLine, unsigned flags) = 0;
};

// Starts the user's programs: the report's before- and after-programs and Winamp itself.
#pragma once
#include "core/ProgramRunner.h"

class IMessages;

class CProgramRunner : public IProgramRunner {
public:
    explicit CProgramRunner(IMessages& messages) : messages_(messages) {}
    // Starts the command line as a process (hidden with RunHide; waited for without limit with
    // RunWait). When no process can be created the shell opens it instead (a document opens in
    // its program; never waited for), and when that fails too, IDS_RUN_FAILED names the command.
    void runProgram(const std::string& commandLine, unsigned flags) override;
    // The same through the wide calls, the ANSI parts widened by the ANSI code page.
    void runProgram(const std::string& before, const std::u16string& wide, const std::string& after,
                    unsigned flags) override;

private:
    IMessages& messages_;
};

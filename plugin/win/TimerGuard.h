// Runs the work of one timer (or of a check that timers also run) so that nothing unwinds into the
// player's message loop. The first failure is shown to the user; later ones go to the debugger
// output only, since a fault that repeats on every tick would otherwise open a message box each
// time, twice a second for the playback poll.
#pragma once
#include <functional>
#include <string>

class IMessages;

class CTimerGuard {
public:
    // `what` names the timer in the debugger output ("playback poll").
    explicit CTimerGuard(std::string what) : what_(std::move(what)) {}

    // Runs `work`. A failure is reported through `messages` (string 1100 with the reason, message
    // key "UnexpectedError") the first time only. Never throws, not even when the report fails.
    void run(IMessages& messages, const std::function<void()>& work) noexcept;

    // Whether a failure has been reported already.
    bool reported() const { return reported_; }

private:
    void report(IMessages& messages, const char* reason) noexcept;

    std::string what_;
    bool reported_ = false;
};

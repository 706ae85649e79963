// A periodic timer the portable code can start and kill (on Windows a timer of the player's
// main window, see plugin/win/WindowTimer.h). Its owner decides what each tick calls.
#pragma once

class ITimer {
public:
    virtual ~ITimer() = default;
    // Starts the timer, or restarts it when it runs.
    virtual void start() = 0;
    // Kills the timer; nothing happens when it does not run.
    virtual void stop() = 0;
};

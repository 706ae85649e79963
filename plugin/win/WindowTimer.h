// A timer of a window (SetTimer with a timer procedure) whose ticks call a function. Used for
// timers 0 (playback poll) and 1 (auto-save) of the player's main window: they tick only while
// the player's message loop runs.
#pragma once
#include <windows.h>

#include <functional>

#include "core/Timer.h"

class CWindowTimer : public ITimer {
public:
    CWindowTimer(HWND window, UINT_PTR id, UINT periodMs, std::function<void()> onTick);
    ~CWindowTimer() override;
    CWindowTimer(const CWindowTimer&) = delete;
    CWindowTimer& operator=(const CWindowTimer&) = delete;

    void start() override;
    void stop() override;
    bool running() const { return running_; }
    // A new period takes effect at the next start.
    void setPeriod(UINT periodMs) { periodMs_ = periodMs; }

private:
    static void CALLBACK onTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

    HWND window_;
    UINT_PTR id_;
    UINT periodMs_;
    std::function<void()> onTick_;
    bool running_ = false;
};

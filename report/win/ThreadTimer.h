// A timer bound to no window (SetTimer without a window): its ticks arrive through the message
// loop of the thread that started it, whatever window that loop serves. The auto-publish check
// runs on one of these.
#pragma once
#include <windows.h>

#include <functional>

#include "core/Timer.h"

class CThreadTimer : public ITimer {
public:
    CThreadTimer(UINT periodMs, std::function<void()> onTick);
    ~CThreadTimer() override;
    CThreadTimer(const CThreadTimer&) = delete;
    CThreadTimer& operator=(const CThreadTimer&) = delete;

    // Starts a new timer, killing a running one first (a window-less timer gets a new id).
    void start() override;
    void stop() override;
    // The id the system gave, 0 when none runs.
    UINT_PTR id() const { return id_; }

private:
    static void CALLBACK onTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

    UINT periodMs_;
    std::function<void()> onTick_;
    UINT_PTR id_ = 0;
};

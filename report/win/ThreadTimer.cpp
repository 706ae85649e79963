#include "report/win/ThreadTimer.h"

#include <map>
#include <utility>

namespace {
// The timer procedure gets only the id: this finds the object behind it. One thread only.
std::map<UINT_PTR, CThreadTimer*>& liveTimers() {
    static std::map<UINT_PTR, CThreadTimer*> timers;
    return timers;
}
}  // namespace

CThreadTimer::CThreadTimer(UINT periodMs, std::function<void()> onTick)
    : periodMs_(periodMs), onTick_(std::move(onTick)) {}

CThreadTimer::~CThreadTimer() { stop(); }

void CThreadTimer::start() {
    stop();
    UINT_PTR id = SetTimer(nullptr, 0, periodMs_, &CThreadTimer::onTimer);
    if (id == 0) return;
    id_ = id;
    liveTimers()[id_] = this;
}

void CThreadTimer::stop() {
    if (id_ == 0) return;
    KillTimer(nullptr, id_);
    auto& timers = liveTimers();
    auto it = timers.find(id_);
    if (it != timers.end() && it->second == this) timers.erase(it);
    id_ = 0;
}

void CALLBACK CThreadTimer::onTimer(HWND, UINT, UINT_PTR id, DWORD) {
    auto& timers = liveTimers();
    auto it = timers.find(id);
    if (it == timers.end()) return;
    // A callback of the player's message loop: nothing may unwind into it. The tick may stop or
    // restart this very timer (the auto-publish check does), so the function is copied first.
    std::function<void()> tick = it->second->onTick_;
    try {
        if (tick) tick();
    } catch (...) {
    }
}

#include "plugin/win/WindowTimer.h"

#include <map>
#include <utility>

namespace {
// The timer procedure gets only the window and the id: this finds the object behind them.
// Everything runs on the player's UI thread, so no lock is needed.
std::map<std::pair<HWND, UINT_PTR>, CWindowTimer*>& liveTimers() {
    static std::map<std::pair<HWND, UINT_PTR>, CWindowTimer*> timers;
    return timers;
}
}  // namespace

CWindowTimer::CWindowTimer(HWND window, UINT_PTR id, UINT periodMs, std::function<void()> onTick)
    : window_(window), id_(id), periodMs_(periodMs), onTick_(std::move(onTick)) {}

CWindowTimer::~CWindowTimer() { stop(); }

void CWindowTimer::start() {
    // With a window, SetTimer returns non-zero on success and replaces a running timer of the id.
    if (SetTimer(window_, id_, periodMs_, &CWindowTimer::onTimer) == 0) return;
    liveTimers()[{window_, id_}] = this;
    running_ = true;
}

void CWindowTimer::stop() {
    if (!running_) return;
    KillTimer(window_, id_);
    auto& timers = liveTimers();
    auto it = timers.find({window_, id_});
    if (it != timers.end() && it->second == this) timers.erase(it);
    running_ = false;
}

void CALLBACK CWindowTimer::onTimer(HWND window, UINT, UINT_PTR id, DWORD) {
    auto& timers = liveTimers();
    auto it = timers.find({window, id});
    if (it == timers.end()) return;
    // A callback of the player: nothing may unwind into it.
    try {
        if (it->second->onTick_) it->second->onTick_();
    } catch (...) {
    }
}

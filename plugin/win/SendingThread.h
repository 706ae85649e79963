// The one thread that sends requests to the listen server, so that the network never holds up
// the player's window. It gets a copy of each request, sends it, keeps the answer and posts a
// message to the window that owns it; that window's thread takes the answer. Nothing else is
// shared, and no lock is held while a request is on its way.
//
// Stopping waits a bounded time for a request in flight (it is cancelled first); a thread that
// has not ended by then keeps the library loaded until it does, and touches nothing of its owner.
#pragma once
#include <windows.h>

#include <memory>

#include "plugin/HttpClient.h"

class CSendingThread {
public:
    // Answers are announced by posting `message` to `window`. `client` null: WinHTTP.
    CSendingThread(HWND window, UINT message, std::shared_ptr<IHttpClient> client = nullptr);
    ~CSendingThread();  // stop(kStopWaitMs)
    CSendingThread(const CSendingThread&) = delete;
    CSendingThread& operator=(const CSendingThread&) = delete;

    static constexpr DWORD kStopWaitMs = 2000;

    // Hands a request over; false while the last one is on its way or unanswered, or once stopped.
    bool post(const HttpRequest& request);
    // The answer announced by the message; false when there is none.
    bool takeAnswer(HttpResponse& answer);
    bool busy() const;
    // Cancels the request on its way and waits at most `waitMs` for the thread to end.
    // True when it ended.
    bool stop(DWORD waitMs = kStopWaitMs);

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};

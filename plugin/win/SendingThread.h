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
#include <string>

#include "plugin/HttpClient.h"

// What the thread makes durable before it sends (the outbox file), so that nothing is sent that
// the disk does not hold, and the wait for the disk is never on the owner's thread.
class IDurableStep {
public:
    virtual ~IDurableStep() = default;
    // False, with the reason in words, when it could not.
    virtual bool makeDurable(std::string& error) = 0;
};

class CSendingThread {
public:
    // Answers are announced by posting `message` to `window`. `client` null: WinHTTP. `durable`
    // (may be null) is shared with the thread, which may outlive its owner by a bounded time.
    CSendingThread(HWND window, UINT message, std::shared_ptr<IHttpClient> client = nullptr,
                   std::shared_ptr<IDurableStep> durable = nullptr);
    ~CSendingThread();  // stop(kStopWaitMs)
    CSendingThread(const CSendingThread&) = delete;
    CSendingThread& operator=(const CSendingThread&) = delete;

    static constexpr DWORD kStopWaitMs = 2000;

    // Hands a request over; false while the last one is on its way or unanswered, or once stopped.
    // With `durableFirst` the durable step runs first, and when it fails the request is not sent:
    // its answer is a failure (status 0) in the step's words.
    bool post(const HttpRequest& request, bool durableFirst = false);
    // Hands over the durable step alone; its end is announced by the same message.
    bool postDurable();
    // The answer announced by the message; false when there is none.
    bool takeAnswer(HttpResponse& answer);
    // The end of a durable step posted alone: false when none ended; `ok` tells how it went.
    bool takeDurableDone(bool& ok);
    bool busy() const;
    // Cancels the request on its way and waits at most `waitMs` for the thread to end.
    // True when it ended.
    bool stop(DWORD waitMs = kStopWaitMs);

    struct Shared;

private:
    bool hand(const HttpRequest* request, bool durableFirst);
    bool busyLocked() const;  // with the lock held

    std::shared_ptr<Shared> shared_;
    HANDLE thread_ = nullptr;
};

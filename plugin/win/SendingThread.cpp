#include "plugin/win/SendingThread.h"

#include "plugin/win/Lock.h"
#include <optional>

#include "plugin/win/WinHttpClient.h"

struct CSendingThread::Shared {
    HWND window = nullptr;
    UINT message = 0;
    std::shared_ptr<IHttpClient> client;
    CWinHttpClient* winHttp = nullptr;  // the client, when it is WinHTTP's (it can be cancelled)
    std::shared_ptr<IDurableStep> durable;
    HANDLE wake = nullptr;

    CLock mutex;
    std::optional<HttpRequest> request;  // handed over, not yet taken by the thread
    std::optional<HttpResponse> answer;  // answered, not yet taken by the owner
    bool durableWanted = false;          // handed over: the durable step first (or alone)
    std::optional<bool> durableDone;     // a durable step posted alone ended, not yet taken
    bool sending = false;
    bool stopping = false;

    ~Shared() {
        if (wake) CloseHandle(wake);
    }
};

namespace {

constexpr SIZE_T kStackBytes = 256 * 1024;

struct ThreadStart {
    std::shared_ptr<CSendingThread::Shared> shared;
    HMODULE module = nullptr;
};

DWORD WINAPI sendingThread(void* parameter) {
    // The start block is the thread's: its copy of the shared state lives as long as it runs.
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    const HMODULE module = start->module;
    try {
        auto& s = *start->shared;
        for (;;) {
            WaitForSingleObject(s.wake, INFINITE);
            std::optional<HttpRequest> request;
            bool durableFirst = false;
            {
                CLockScope lock(s.mutex);
                if (s.stopping) break;
                if (!s.request && !s.durableWanted) continue;
                request = std::move(s.request);
                s.request.reset();
                durableFirst = s.durableWanted;
                s.durableWanted = false;
                s.sending = true;
            }
            bool durable = true;
            std::string why;
            if (durableFirst && s.durable) durable = s.durable->makeDurable(why);
            HttpResponse answer;
            if (request && durable) {
                answer = s.client->send(*request);
            } else if (request) {
                answer.failure = why;  // nothing is sent that the disk does not hold
            }
            {
                CLockScope lock(s.mutex);
                s.sending = false;
                if (s.stopping) break;
                if (request)
                    s.answer = std::move(answer);
                else
                    s.durableDone = durable;
            }
            PostMessageA(s.window, s.message, 0, 0);
        }
    } catch (...) {
        // Nothing may unwind out of the thread; the owner sees no answer and keeps the listens.
    }
    start.reset();
    // The library was kept loaded for this thread: it is let go only as the thread ends.
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

}  // namespace

CSendingThread::CSendingThread(HWND window, UINT message, std::shared_ptr<IHttpClient> client,
                               std::shared_ptr<IDurableStep> durable)
    : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->durable = std::move(durable);
    shared_->message = message;
    if (!client) {
        auto winHttp = std::make_shared<CWinHttpClient>();
        shared_->winHttp = winHttp.get();
        client = winHttp;
    }
    shared_->client = std::move(client);
    shared_->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto start = std::make_unique<ThreadStart>();
    start->shared = shared_;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&sendingThread), &start->module);
    if (!shared_->wake) return;
    // A small stack: the thread holds one request and WinHTTP's calls.
    thread_ = CreateThread(nullptr, kStackBytes, &sendingThread, start.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread_) {
        start.release();
    } else if (start->module) {
        FreeLibrary(start->module);
    }
}

CSendingThread::~CSendingThread() { stop(); }

bool CSendingThread::hand(const HttpRequest* request, bool durableFirst) {
    if (!thread_) return false;
    {
        CLockScope lock(shared_->mutex);
        if (shared_->stopping || busyLocked()) return false;
        if (request) shared_->request = *request;
        shared_->durableWanted = durableFirst;
    }
    SetEvent(shared_->wake);
    return true;
}

bool CSendingThread::post(const HttpRequest& request, bool durableFirst) { return hand(&request, durableFirst); }

bool CSendingThread::postDurable() { return hand(nullptr, true); }

bool CSendingThread::takeAnswer(HttpResponse& answer) {
    CLockScope lock(shared_->mutex);
    if (!shared_->answer) return false;
    answer = std::move(*shared_->answer);
    shared_->answer.reset();
    return true;
}

bool CSendingThread::takeDurableDone(bool& ok) {
    CLockScope lock(shared_->mutex);
    if (!shared_->durableDone) return false;
    ok = *shared_->durableDone;
    shared_->durableDone.reset();
    return true;
}

bool CSendingThread::busyLocked() const {
    return shared_->request || shared_->durableWanted || shared_->sending || shared_->answer || shared_->durableDone;
}

bool CSendingThread::busy() const {
    CLockScope lock(shared_->mutex);
    return busyLocked();
}

bool CSendingThread::stop(DWORD waitMs) {
    if (!thread_) return true;
    {
        CLockScope lock(shared_->mutex);
        shared_->stopping = true;
        shared_->request.reset();
        shared_->durableWanted = false;
    }
    SetEvent(shared_->wake);
    if (shared_->winHttp) shared_->winHttp->cancel();
    const bool ended = WaitForSingleObject(thread_, waitMs) == WAIT_OBJECT_0;
    CloseHandle(thread_);
    thread_ = nullptr;
    return ended;
}

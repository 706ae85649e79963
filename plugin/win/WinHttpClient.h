// HTTP through WinHTTP (a system DLL), synchronous, for the sending thread. Another thread may
// cancel the request on its way: its blocking call then returns at once with no answer.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include "plugin/win/Lock.h"

#include "plugin/HttpClient.h"

class CWinHttpClient : public IHttpClient {
public:
    // Time-outs: resolving and connecting, then sending and each wait for the answer.
    static constexpr int kConnectMs = 15000;
    static constexpr int kAnswerMs = 30000;
    // A larger answer body is cut (the answers of the listen API are small).
    static constexpr std::size_t kMaxBody = 1 << 20;

    CWinHttpClient() = default;
    ~CWinHttpClient() override;
    CWinHttpClient(const CWinHttpClient&) = delete;
    CWinHttpClient& operator=(const CWinHttpClient&) = delete;

    HttpResponse send(const HttpRequest& request) override;
    // Any thread: ends the request on its way, and every later one.
    void cancel();

private:
    bool track(HINTERNET request, HINTERNET session);  // false once cancelled

    CLock mutex_;
    HINTERNET current_ = nullptr;  // the request on its way, which cancel closes
    HINTERNET session_ = nullptr;  // its session
    bool cancelled_ = false;
};

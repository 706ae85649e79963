// Sending plays from Windows: the token kept by the data protection of the account, and WinHTTP on
// the sending thread against a loopback server of the test's own that answers, stalls or drops.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "plugin/win/RegistryProfile.h"
#include "plugin/win/SendingThread.h"
#include "plugin/win/TokenVault.h"
#include "tests/win/WinTestSupport.h"

namespace {

// One loopback listener on a free port; each connection gets the answer of the mode.
class LoopbackServer {
public:
    enum class Mode { answer, stall, drop };
    explicit LoopbackServer(Mode mode) : mode_(mode) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        listen(listener_, 4);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        stopping_ = true;
        closesocket(listener_);
        thread_.join();
        WSACleanup();
    }
    std::string url(const char* path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::string lastRequest() {
        std::lock_guard<std::mutex> lock(mutex_);
        return request_;
    }

private:
    void serve() {
        // Bounded: at most a few connections a test.
        for (int connections = 0; connections < 8 && !stopping_; ++connections) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string got;
            char buffer[4096];
            DWORD timeout = 5000;
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            while (got.find("\r\n\r\n") == std::string::npos) {
                const int n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                got.append(buffer, static_cast<std::size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(mutex_);
                request_ = got;
            }
            if (mode_ == Mode::answer) {
                const std::string body = "{\"status\":\"ok\"}";
                const std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nX-RateLimit-Reset-In: 7\r\n"
                                           "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
                send(client, answer.data(), static_cast<int>(answer.size()), 0);
            }
            while (mode_ == Mode::stall && !stopping_) Sleep(20);
            closesocket(client);
        }
    }
    Mode mode_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::string request_;
};

constexpr UINT kAnswered = WM_APP + 7;

// Pumps this thread's messages until the sending thread's answer arrives (bounded).
bool waitForAnswer(HWND window) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        MSG message;
        if (PeekMessageA(&message, window, kAnswered, kAnswered, PM_REMOVE)) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
    }
    return false;
}

struct MessageWindow {
    HWND h = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MessageWindow() { DestroyWindow(h); }
};

HttpRequest submit(const std::string& url) {
    HttpRequest request;
    request.url = url;
    request.headers = {{"Authorization", "Token abc"}, {"User-Agent", "DozoderiPlaytally/1.4 ( x )"},
                       {"Content-Type", "application/json"}};
    request.body = "{\"listen_type\":\"single\",\"payload\":[]}";
    return request;
}

TEST(ListenSending, TheThreadSendsAndHandsTheAnswerBackByMessage) {
    LoopbackServer server(LoopbackServer::Mode::answer);
    MessageWindow window;
    CSendingThread thread(window.h, kAnswered);
    ASSERT_TRUE(thread.post(submit(server.url("/1/submit-listens"))));
    EXPECT_FALSE(thread.post(submit(server.url("/1/submit-listens")))) << "one request at a time";
    ASSERT_TRUE(waitForAnswer(window.h));
    HttpResponse answer;
    ASSERT_TRUE(thread.takeAnswer(answer));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body, "{\"status\":\"ok\"}");
    EXPECT_EQ(answer.header("x-ratelimit-reset-in"), "7");
    const std::string request = server.lastRequest();
    EXPECT_EQ(request.rfind("POST /1/submit-listens HTTP/1.1\r\n", 0), 0u) << request;
    EXPECT_NE(request.find("User-Agent: DozoderiPlaytally/1.4 ( x )\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("Authorization: Token abc\r\n"), std::string::npos);
    EXPECT_TRUE(thread.stop());
}

TEST(ListenSending, NoAnswerIsAFailureInWordsAndAStallEndsAtStop) {
    for (auto mode : {LoopbackServer::Mode::drop, LoopbackServer::Mode::stall}) {
        LoopbackServer server(mode);
        MessageWindow window;
        CSendingThread thread(window.h, kAnswered);
        ASSERT_TRUE(thread.post(submit(server.url("/1/submit-listens"))));
        if (mode == LoopbackServer::Mode::drop) {
            ASSERT_TRUE(waitForAnswer(window.h));
            HttpResponse answer;
            ASSERT_TRUE(thread.takeAnswer(answer));
            EXPECT_EQ(answer.status, 0);
            EXPECT_FALSE(answer.failure.empty());
        } else {
            while (server.lastRequest().empty()) Sleep(10);  // the request is on its way and stalls
            EXPECT_TRUE(thread.busy());
            // Stopping waits a bounded time (Windows ends the stalled call at once; Wine lets it
            // run out its time-out on a thread that keeps the library loaded and owns its state).
            thread.stop();
            EXPECT_FALSE(thread.post(submit(server.url("/1/submit-listens"))));
            HttpResponse answer;
            EXPECT_FALSE(thread.takeAnswer(answer));
            MSG message;
            EXPECT_FALSE(PeekMessageA(&message, window.h, kAnswered, kAnswered, PM_REMOVE));
        }
    }
}

// The durable step runs on the thread before the request, and a failed one keeps the request
// from going at all: nothing is sent that the disk does not hold.
TEST(ListenSending, TheOutboxIsMadeDurableBeforeAnythingIsSent) {
    struct Log {
        std::mutex mutex;
        std::vector<std::string> steps;
        void add(const char* step) {
            std::lock_guard<std::mutex> lock(mutex);
            steps.push_back(step);
        }
    };
    struct Client : IHttpClient {
        std::shared_ptr<Log> log;
        HttpResponse send(const HttpRequest&) override {
            log->add("send");
            HttpResponse r;
            r.status = 200;
            return r;
        }
    };
    struct Step : IDurableStep {
        std::shared_ptr<Log> log;
        bool works = true;
        bool makeDurable(std::string& error) override {
            log->add("flush");
            if (!works) error = "the disk is full";
            return works;
        }
    };
    for (bool works : {true, false}) {
        auto log = std::make_shared<Log>();
        auto client = std::make_shared<Client>();
        client->log = log;
        auto step = std::make_shared<Step>();
        step->log = log;
        step->works = works;
        MessageWindow window;
        CSendingThread thread(window.h, kAnswered, client, step);
        ASSERT_TRUE(thread.post(submit("http://127.0.0.1:9/"), true));
        ASSERT_TRUE(waitForAnswer(window.h));
        HttpResponse answer;
        ASSERT_TRUE(thread.takeAnswer(answer));
        EXPECT_EQ(answer.status, works ? 200 : 0);
        EXPECT_EQ(answer.failure, works ? "" : "the disk is full");
        // The flush alone, when nothing is to be sent.
        ASSERT_TRUE(thread.postDurable());
        ASSERT_TRUE(waitForAnswer(window.h));
        bool ok = !works;
        ASSERT_TRUE(thread.takeDurableDone(ok));
        EXPECT_EQ(ok, works);
        EXPECT_FALSE(thread.takeAnswer(answer));
        EXPECT_TRUE(thread.stop());
        const std::vector<std::string> expected =
            works ? std::vector<std::string>{"flush", "send", "flush"} : std::vector<std::string>{"flush", "flush"};
        EXPECT_EQ(log->steps, expected);
    }
}

TEST(ListenSending, TheTokenIsNeverInTheRegistryInPlainText) {
    TestApplicationKey key("ListenToken");
    RegistryProfile profile(key.name());
    const std::string token = "0b7c2f3e-secret-4d5a";
    ASSERT_TRUE(tokenvault::store(profile, "ListenBrainz", token));
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(rawReadValue(key.sectionPath("ListenBrainz"), tokenvault::kTokenKey, type, bytes));
    EXPECT_EQ(bytes.find("secret"), std::string::npos);
    std::string wide;
    for (char c : std::string("secret")) wide += {c, '\0'};
    EXPECT_EQ(bytes.find(wide), std::string::npos);
    EXPECT_EQ(tokenvault::load(profile, "ListenBrainz"), token);
    // A damaged value reads as no token, never as garbage sent to the server.
    profile.writeString("ListenBrainz", tokenvault::kTokenKey, bytes.substr(0, bytes.size() / 2) + "00");
    EXPECT_EQ(tokenvault::load(profile, "ListenBrainz"), "");
    profile.writeString("ListenBrainz", tokenvault::kTokenKey, "xyz");
    EXPECT_EQ(tokenvault::load(profile, "ListenBrainz"), "");
    ASSERT_TRUE(tokenvault::store(profile, "ListenBrainz", ""));
    EXPECT_FALSE(rawReadValue(key.sectionPath("ListenBrainz"), tokenvault::kTokenKey, type, bytes));
}

}  // namespace

// The one HTTP exchange the live submission needs, as an interface: the Windows build answers it
// with WinHTTP on the worker thread, the tests with a scripted server.
#pragma once
#include <string>
#include <utility>
#include <vector>

struct HttpRequest {
    std::string method = "POST";
    std::string url;  // whole: scheme, host, port, path
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

struct HttpResponse {
    // The status code; 0 when no answer came (no connection, a time-out, a dropped connection).
    int status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // Why no answer came, in words (0 status only).
    std::string failure;

    // The value of a header, compared without regard to case; "" when absent.
    std::string header(const std::string& name) const;
};

class IHttpClient {
public:
    virtual ~IHttpClient() = default;
    // Sends one request and waits for its whole answer. Never throws.
    virtual HttpResponse send(const HttpRequest& request) = 0;
};

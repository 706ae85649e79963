#include "plugin/win/WinHttpClient.h"

#include <string>

#include "core/Utf.h"
#include "core/win/SystemText.h"

namespace {

// Wide texts are UTF-16 strings handed to the API through wideChars (std::wstring would bring the
// library's whole wide-string instantiation into the plug-in for these few calls).
const wchar_t* w(const std::u16string& text) { return wideChars(text); }
std::u16string u16(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

std::string errorText(DWORD error) {
    switch (error) {
    case ERROR_WINHTTP_TIMEOUT: return "the server did not answer in time";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "the server could not be reached";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "the server's name is unknown";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "the connection was dropped";
    case ERROR_WINHTTP_OPERATION_CANCELLED: return "the request was cancelled";
    case ERROR_WINHTTP_SECURE_FAILURE: return "the server's certificate was not accepted";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "the server's answer was not HTTP";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME: return "the address is not http:// or https://";
    case ERROR_WINHTTP_INVALID_URL: return "the address is not valid";
    default: break;
    }
    return "system error " + std::to_string(error);
}

struct Handle {
    HINTERNET h = nullptr;
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
};

// "Name: value" lines of the raw answer headers.
void parseHeaders(const std::u16string& raw, HttpResponse& response) {
    const std::string text = utf16ToUtf8(raw);
    std::size_t at = text.find("\r\n");  // past the status line
    while (at != std::string::npos && at + 2 < text.size()) {
        const std::size_t begin = at + 2;
        const std::size_t end = text.find("\r\n", begin);
        const std::string line = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ') ++v;
            response.headers.push_back({line.substr(0, colon), line.substr(v)});
        }
        at = end;
    }
}

}  // namespace

CWinHttpClient::~CWinHttpClient() { cancel(); }

bool CWinHttpClient::track(HINTERNET request, HINTERNET session) {
    CLockScope lock(mutex_);
    if (cancelled_) return false;
    current_ = request;
    session_ = session;
    return true;
}

void CWinHttpClient::cancel() {
    CLockScope lock(mutex_);
    cancelled_ = true;
    // Closing the request handle ends the call blocked on it; the sending thread closes it again
    // only through its own, now invalid, handle, which WinHTTP answers with an error.
    if (current_) WinHttpCloseHandle(current_);
    // Some WinHTTP versions end a blocked call only when its session's connections go as well.
    if (session_) WinHttpSetTimeouts(session_, 1, 1, 1, 1);
    current_ = nullptr;
}

HttpResponse CWinHttpClient::send(const HttpRequest& request) {
    HttpResponse response;
    const std::u16string url = utf8ToUtf16(request.url);
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(w(url), static_cast<DWORD>(url.size()), 0, &parts)) {
        response.failure = errorText(GetLastError());
        return response;
    }
    const std::u16string host = u16(parts.lpszHostName, parts.dwHostNameLength);
    std::u16string path = u16(parts.lpszUrlPath, parts.dwUrlPathLength) + u16(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    std::u16string agent = u"Playtally";
    std::string headerLines;
    for (const auto& [name, value] : request.headers) {
        if (name == "User-Agent")
            agent = utf8ToUtf16(value);
        else
            headerLines += name + ": " + value + "\r\n";
    }
    const std::u16string headers = utf8ToUtf16(headerLines);
    Handle session{WinHttpOpen(w(agent), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0)};
    if (!session.h) {
        response.failure = errorText(GetLastError());
        return response;
    }
    WinHttpSetTimeouts(session.h, kConnectMs, kConnectMs, kAnswerMs, kAnswerMs);
    Handle connection{WinHttpConnect(session.h, w(host), parts.nPort, 0)};
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    HINTERNET handle = connection.h ? WinHttpOpenRequest(connection.h, w(utf8ToUtf16(request.method)), w(path), nullptr,
                                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                         secure ? WINHTTP_FLAG_SECURE : 0)
                                    : nullptr;
    if (!handle) {
        response.failure = errorText(GetLastError());
        return response;
    }
    if (!track(handle, session.h)) {
        WinHttpCloseHandle(handle);
        response.failure = errorText(ERROR_WINHTTP_OPERATION_CANCELLED);
        return response;
    }
    bool ok = WinHttpSendRequest(handle, headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : w(headers),
                                 headers.empty() ? 0 : static_cast<DWORD>(-1L),
                                 request.body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(request.body.data()),
                                 static_cast<DWORD>(request.body.size()), static_cast<DWORD>(request.body.size()), 0) &&
              WinHttpReceiveResponse(handle, nullptr);
    DWORD status = 0, size = sizeof status;
    ok = ok && WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                                   &status, &size, WINHTTP_NO_HEADER_INDEX);
    if (ok) {
        DWORD bytes = 0;
        WinHttpQueryHeaders(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes,
                            WINHTTP_NO_HEADER_INDEX);
        if (bytes > 0) {
            std::u16string raw(bytes / sizeof(wchar_t) + 1, u'\0');
            if (WinHttpQueryHeaders(handle, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, &raw[0], &bytes,
                                    WINHTTP_NO_HEADER_INDEX)) {
                raw.resize(bytes / sizeof(wchar_t));
                parseHeaders(raw, response);
            }
        }
        for (;;) {
            DWORD available = 0;
            if (!WinHttpQueryDataAvailable(handle, &available)) {
                ok = false;
                break;
            }
            if (available == 0 || response.body.size() >= kMaxBody) break;
            const std::size_t at = response.body.size();
            response.body.resize(at + available);
            DWORD read = 0;
            if (!WinHttpReadData(handle, &response.body[at], available, &read)) {
                ok = false;
                break;
            }
            response.body.resize(at + read);
            if (read == 0) break;
        }
    }
    const DWORD error = ok ? 0 : GetLastError();
    {
        CLockScope lock(mutex_);
        if (current_ == handle) {  // not closed by cancel
            WinHttpCloseHandle(handle);
            current_ = nullptr;
        }
        session_ = nullptr;
    }
    if (!ok) {
        response.headers.clear();
        response.body.clear();
        response.failure = errorText(error);
        return response;
    }
    response.status = static_cast<int>(status);
    return response;
}

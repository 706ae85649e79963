// What the listen server's answers say: the JSON bodies of token checks and refusals, and the
// rate-limit headers. Everything read here comes from the network, so every reader accepts any
// bytes and gives a defined result.
#pragma once
#include <string>
#include <string_view>

#include "plugin/HttpClient.h"

struct TokenCheckAnswer {
    bool understood = false;  // the body was a JSON object
    bool valid = false;
    std::string userName;     // at most 100 bytes, control characters removed
    std::string message;      // the server's "message" or "error", likewise cut and cleaned
};
TokenCheckAnswer readTokenCheckAnswer(std::string_view body);

// The server's reason for refusing a request ("error" or "message" of its JSON), cleaned for
// showing; "" when the body holds none.
std::string readRefusalReason(std::string_view body);

// A text from outside, fit to show in one line: control characters become spaces, and it is cut
// (at a character boundary of its UTF-8) to `limit` bytes.
std::string cleaned(std::string_view text, std::size_t limit);

// The seconds the server asks to wait ("X-RateLimit-Reset-In"), limited to 1..3600; `fallback`
// when the header is absent or not a number.
int rateLimitWait(const HttpResponse& response, int fallback);

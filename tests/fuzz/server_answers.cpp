// Reads arbitrary bytes as a listen server's answers: the token check, a refusal, the rate-limit
// header, and as a listen to check before sending or to show in the refused list.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plugin/ListenPayload.h"
#include "plugin/ServerAnswers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const TokenCheckAnswer check = readTokenCheckAnswer(bytes);
    if (check.userName.size() > 100 || check.message.size() > 200) std::abort();
    for (char c : check.userName + check.message + readRefusalReason(bytes))
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
    HttpResponse response;
    response.status = 429;
    response.headers.push_back({"X-RateLimit-Reset-In", bytes.substr(0, 32)});
    const int wait = rateLimitWait(response, 10);
    if (wait < 1 || wait > 3600) std::abort();
    checkListen(bytes, 1765000000, size % 2 == 1);
    const ListenSummary summary = summarizeListen(bytes);
    if (summary.artist.size() > 256 || summary.title.size() > 256 || summary.listenedAt < 0) std::abort();
    for (char c : summary.artist + summary.title)
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
    return 0;
}

#include "plugin/ServerAnswers.h"

#include <cctype>

#include <rapidjson/document.h>

namespace {

constexpr std::size_t kShownTextLimit = 200;

// A text from the network, fit to show in one line: control characters become spaces, and it is
// cut (at a character boundary of its UTF-8) to `limit` bytes.
std::string cleaned(std::string_view text, std::size_t limit) {
    std::string out;
    for (char c : text) {
        if (out.size() >= limit) break;
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    if (out.size() < text.size())
        while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
    if (out.size() < text.size() && !out.empty() && static_cast<unsigned char>(out.back()) >= 0xC0) out.pop_back();
    return out;
}

std::string memberText(const rapidjson::Value& object, const char* name, std::size_t limit) {
    auto it = object.FindMember(name);
    if (it == object.MemberEnd() || !it->value.IsString()) return {};
    return cleaned({it->value.GetString(), it->value.GetStringLength()}, limit);
}

bool parseObject(std::string_view body, rapidjson::Document& document) {
    document.Parse<rapidjson::kParseStopWhenDoneFlag>(body.data(), body.size());
    return !document.HasParseError() && document.IsObject();
}

}  // namespace

TokenCheckAnswer readTokenCheckAnswer(std::string_view body) {
    TokenCheckAnswer answer;
    rapidjson::Document document;
    if (!parseObject(body, document)) return answer;
    answer.understood = true;
    auto valid = document.FindMember("valid");
    answer.valid = valid != document.MemberEnd() && valid->value.IsBool() && valid->value.GetBool();
    answer.userName = memberText(document, "user_name", 100);
    answer.message = memberText(document, "message", kShownTextLimit);
    if (answer.message.empty()) answer.message = memberText(document, "error", kShownTextLimit);
    return answer;
}

std::string readRefusalReason(std::string_view body) {
    rapidjson::Document document;
    if (!parseObject(body, document)) return {};
    std::string reason = memberText(document, "error", kShownTextLimit);
    return reason.empty() ? memberText(document, "message", kShownTextLimit) : reason;
}

int rateLimitWait(const HttpResponse& response, int fallback) {
    const std::string text = response.header("X-RateLimit-Reset-In");
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i == text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return fallback;
    long seconds = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        seconds = seconds * 10 + (text[i] - '0');
        if (seconds > 3600) return 3600;
    }
    return seconds < 1 ? 1 : static_cast<int>(seconds);
}

std::string HttpResponse::header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (key.size() != name.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < key.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(key[i])) == std::tolower(static_cast<unsigned char>(name[i]));
        if (same) return value;
    }
    return {};
}

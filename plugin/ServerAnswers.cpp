#include "plugin/ServerAnswers.h"

#include <cctype>

#include <vector>

#include "plugin/JsonItems.h"

namespace {

constexpr std::size_t kShownTextLimit = 200;

}  // namespace

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

namespace {

std::string memberText(const std::vector<JsonItem>& items, std::string_view name, std::size_t limit) {
    const JsonItem* item = findJsonItem(items, name);
    return item && item->kind == JsonItem::Kind::text ? cleaned(item->text, limit) : std::string();
}

bool readObject(std::string_view body, std::vector<JsonItem>& items) {
    return readJsonItems(body, items) && !items.empty() && items[0].kind == JsonItem::Kind::object;
}

}  // namespace

TokenCheckAnswer readTokenCheckAnswer(std::string_view body) {
    TokenCheckAnswer answer;
    std::vector<JsonItem> items;
    if (!readObject(body, items)) return answer;
    answer.understood = true;
    const JsonItem* valid = findJsonItem(items, "valid");
    answer.valid = valid && valid->kind == JsonItem::Kind::boolean && valid->flag;
    answer.userName = memberText(items, "user_name", 100);
    answer.message = memberText(items, "message", kShownTextLimit);
    if (answer.message.empty()) answer.message = memberText(items, "error", kShownTextLimit);
    return answer;
}

std::string readRefusalReason(std::string_view body) {
    std::vector<JsonItem> items;
    if (!readObject(body, items)) return {};
    std::string reason = memberText(items, "error", kShownTextLimit);
    return reason.empty() ? memberText(items, "message", kShownTextLimit) : reason;
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

#include "core/CodePage.h"

#include "core/Utf.h"

namespace {
bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
}  // namespace

void appendAnsiAsUtf8(std::string& out, std::string_view text) {
    if (isAscii(text)) {
        out.append(text.data(), text.size());
        return;
    }
    out += utf16ToUtf8(ansiToUtf16(text));
}

std::string ansiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendAnsiAsUtf8(out, text);
    return out;
}

std::string utf8ToAnsi(std::string_view text, bool* lossless) {
    if (isAscii(text)) {
        if (lossless) *lossless = true;
        return std::string(text);
    }
    // Malformed bytes become U+FFFD first, which no code page holds: each comes out as '?'.
    std::string ansi = utf16ToAnsi(utf8ToUtf16(text), lossless);
    return ansi;
}

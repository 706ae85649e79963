#include "database/Utf8Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The code point of the well-formed UTF-8 sequence at text[i], advancing i past it; -1 (and one
// byte on) for a malformed one: overlong forms, surrogates and values beyond U+10FFFF included.
long decodeOne(std::string_view text, std::size_t& i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    int extra;
    long code;
    long least;
    if (c < 0x80) {
        ++i;
        return c;
    } else if (c >= 0xC2 && c <= 0xDF) {
        extra = 1, code = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2, code = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3, code = c & 0x07, least = 0x10000;
    } else {
        ++i;
        return -1;
    }
    if (i + extra >= text.size()) {  // cut short by the end of the text
        ++i;
        return -1;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char t = static_cast<unsigned char>(text[i + k]);
        if ((t & 0xC0) != 0x80) {
            ++i;
            return -1;
        }
        code = (code << 6) | (t & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return -1;
    }
    i += extra + 1;
    return code;
}

}  // namespace

#ifdef _WIN32

namespace {

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

std::wstring toWide(UINT codePage, std::string_view text) {
    std::wstring wide;
    if (text.empty()) return wide;
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return wide;
    wide.resize(static_cast<std::size_t>(n));
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string fromWide(UINT codePage, const std::wstring& wide) {
    std::string out;
    if (wide.empty()) return out;
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    if (n <= 0) return out;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

void appendAnsiAsUtf8(std::string& out, std::string_view text) {
    if (isAscii(text)) {
        out.append(text.data(), text.size());
        return;
    }
    out += fromWide(CP_UTF8, toWide(CP_ACP, text));
}

std::string utf8ToAnsi(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    // Malformed sequences become '?' first: the system's conversion would drop or vary them.
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (decodeOne(text, i) < 0)
            clean += '?';
        else
            clean.append(text.data() + at, i - at);
    }
    return fromWide(CP_ACP, toWide(CP_UTF8, clean));
}

#else

void appendAnsiAsUtf8(std::string& out, std::string_view text) {
    std::size_t plain = 0;
    while (plain < text.size() && static_cast<unsigned char>(text[plain]) < 0x80) ++plain;
    out.append(text.data(), plain);
    for (char ch : text.substr(plain)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

std::string utf8ToAnsi(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const long code = decodeOne(text, i);
        out += (code >= 0 && code < 0x100) ? static_cast<char>(code) : '?';
    }
    return out;
}

#endif

std::string ansiToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendAnsiAsUtf8(out, text);
    return out;
}

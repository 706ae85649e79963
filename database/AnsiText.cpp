#include "database/AnsiText.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool isLeadByte(unsigned char c) {
#ifdef _WIN32
    return IsDBCSLeadByte(c) != 0;
#else
    (void)c;
    return false;
#endif
}

char foldByte(unsigned char c) {
#ifdef _WIN32
    // The code page's own letters (accented ones included), not just ASCII.
    char one[1] = {static_cast<char>(c)};
    CharUpperBuffA(one, 1);
    return one[0];
#else
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
#endif
}

bool isSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::string ansiFoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (isLeadByte(c) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];  // double-byte characters compare as they are
        } else {
            out += foldByte(c);
        }
    }
    return out;
}

bool ansiEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;  // folding never changes the length
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (isLeadByte(ca) && i + 1 < a.size()) {
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (foldByte(ca) != foldByte(cb)) {
            return false;
        }
    }
    return true;
}

std::string_view ansiTrimRight(std::string_view text) {
    // Walk forward so that a trail byte is never mistaken for white space.
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (isLeadByte(c) && i + 1 < text.size()) {
            ++i;
            end = i + 1;
        } else if (!isSpace(c)) {
            end = i + 1;
        }
    }
    return text.substr(0, end);
}

std::size_t ansiFitLength(std::string_view text, std::size_t width, bool (*isLead)(unsigned char)) {
    std::size_t end = 0;
    while (end < text.size()) {
        const bool pair = isLead(static_cast<unsigned char>(text[end])) && end + 1 < text.size();
        const std::size_t next = end + (pair ? 2 : 1);
        if (next > width) break;
        end = next;
    }
    return end;
}

std::size_t ansiFitLength(std::string_view text, std::size_t width) { return ansiFitLength(text, width, &isLeadByte); }

#include "core/AnsiText.h"

#include "core/CodePage.h"
#include "core/Utf.h"

namespace {
bool isSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

std::string ansiFoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf8FoldCase(out, ansiToUtf8(text));
    return out;
}

bool ansiEqualNoCase(std::string_view a, std::string_view b) { return a == b || ansiFoldCase(a) == ansiFoldCase(b); }

std::string_view ansiTrimRight(std::string_view text) {
    if (!ansiHasLeadBytes()) {  // every byte a character: from the end
        std::size_t end = text.size();
        while (end > 0 && isSpace(static_cast<unsigned char>(text[end - 1]))) --end;
        return text.substr(0, end);
    }
    // Walk forward so that a trail byte is never mistaken for white space.
    std::size_t end = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (isAnsiLeadByte(c) && i + 1 < text.size()) {
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

std::size_t ansiFitLength(std::string_view text, std::size_t width) { return ansiFitLength(text, width, &isAnsiLeadByte); }

#include "core/Utf.h"

namespace {

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

long decodeUtf8(std::string_view text, std::size_t& i) {
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
    if (code < least || code > 0x10FFFF || isSurrogate(static_cast<char32_t>(code))) {
        ++i;
        return -1;
    }
    i += extra + 1;
    return code;
}

bool isWellFormedUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        if (decodeUtf8(text, i) < 0) return false;
    }
    return true;
}

void appendUtf8(std::string& out, char32_t code) {
    if (isSurrogate(code) || code > 0x10FFFF) code = kReplacementCharacter;
    if (code < 0x80) {
        out += static_cast<char>(code);
        return;
    }
    char bytes[4];  // appended at once: one length check, not one per byte
    std::size_t n;
    if (code < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (code >> 6));
        n = 1;
    } else if (code < 0x10000) {
        bytes[0] = static_cast<char>(0xE0 | (code >> 12));
        bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        n = 2;
    } else {
        bytes[0] = static_cast<char>(0xF0 | (code >> 18));
        bytes[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        n = 3;
    }
    bytes[n++] = static_cast<char>(0x80 | (code & 0x3F));
    out.append(bytes, n);
}

void appendUtf16(std::u16string& out, char32_t code) {
    if (isSurrogate(code) || code > 0x10FFFF) code = kReplacementCharacter;
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
}

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const long code = decodeUtf8(text, i);
        appendUtf16(out, code < 0 ? kReplacementCharacter : static_cast<char32_t>(code));
    }
    return out;
}

char32_t decodeUtf16(std::u16string_view text, std::size_t& i) {
    const char32_t u = text[i++];
    if (!isSurrogate(u)) return u;
    if (isHighSurrogate(u) && i < text.size() && isLowSurrogate(text[i])) {
        const char32_t low = text[i++];
        return 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
    }
    return kReplacementCharacter;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) appendUtf8(out, decodeUtf16(text, i));
    return out;
}

std::string wellFormedUtf8(std::string_view text) {
    if (isAscii(text)) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (decodeUtf8(text, i) < 0)
            appendUtf8(out, kReplacementCharacter);
        else
            out.append(text.data() + at, i - at);
    }
    return out;
}

char32_t foldCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c < 0x100) {
        if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
        if (c == 0xFF) return 0x178;
        return c;
    }
    // Beyond the scripts below, only the full-width Latin letters have a case (CJK has none).
    if (c >= 0x2000 && (c < 0xFF41 || c > 0xFF5A)) return c;
    // Pairs whose upper-case letter comes first (even or odd, by block).
    struct Pairs {
        char32_t first, last;
        bool upperEven;
    };
    static const Pairs kPairs[] = {
        {0x100, 0x12F, true},   {0x132, 0x137, true},   {0x139, 0x148, false}, {0x14A, 0x177, true},
        {0x179, 0x17E, false},  {0x1CD, 0x1DC, false},  {0x1DE, 0x1EF, true},  {0x1F8, 0x21F, true},
        {0x222, 0x233, true},   {0x3D8, 0x3EF, true},   {0x460, 0x481, true},  {0x48A, 0x4BF, true},
        {0x4C1, 0x4CE, false},  {0x4D0, 0x52F, true},   {0x1E00, 0x1E95, true}, {0x1EA0, 0x1EFF, true},
    };
    for (const Pairs& p : kPairs) {
        if (c < p.first || c > p.last) continue;
        const bool even = (c & 1) == 0;
        return even == p.upperEven ? c : c - 1;
    }
    if (c == 0x131) return 'I';                       // dotless i
    if (c == 0x17F) return 'S';                       // long s
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;  // Greek
    if (c == 0x3C2) return 0x3A3;                     // final sigma
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 37;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 63;
    if (c >= 0x430 && c <= 0x44F) return c - 32;      // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if (c == 0x4CF) return 0x4C0;
    if (c >= 0x561 && c <= 0x586) return c - 48;      // Armenian
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;    // full-width Latin
    return c;
}

namespace {

bool isAsciiByte(char c) { return static_cast<unsigned char>(c) < 0x80; }
char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

// The folded code point of the character at `i` (moving past it); a byte that starts no
// well-formed character stands for the replacement character.
char32_t foldedCodeAt(std::string_view text, std::size_t& i) {
    const long code = decodeUtf8(text, i);
    return code < 0 ? kReplacementCharacter : foldCodePoint(static_cast<char32_t>(code));
}

}  // namespace

void appendUtf8FoldCase(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        // The common case, a run of ASCII: appended at once and folded in place, no decoding.
        std::size_t end = i;
        while (end < text.size() && isAsciiByte(text[end])) ++end;
        if (end > i) {
            const std::size_t at = out.size();
            out.append(text.data() + i, end - i);
            for (std::size_t k = at; k < out.size(); ++k) out[k] = foldAscii(out[k]);
            i = end;
            continue;
        }
        appendUtf8(out, foldedCodeAt(text, i));
    }
}

std::string utf8FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendUtf8FoldCase(out, text);
    return out;
}

bool utf8EqualNoCase(std::string_view a, std::string_view b) {
    if (a == b) return true;
    // Character by character, as the folded texts would compare, without making them.
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isAsciiByte(a[i]) && isAsciiByte(b[j])) {
            if (foldAscii(a[i++]) != foldAscii(b[j++])) return false;
            continue;
        }
        if (foldedCodeAt(a, i) != foldedCodeAt(b, j)) return false;
    }
    return i == a.size() && j == b.size();
}

std::size_t utf8FitLength(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text.size();
    std::size_t end = bytes;
    // Back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return end;
}

std::string_view utf8TrimRight(std::string_view text) {
    // In UTF-8 an ASCII byte is always a whole character: trailing ones can go from the end.
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || (text[end - 1] >= '\t' && text[end - 1] <= '\r'))) --end;
    return text.substr(0, end);
}

// The code page of the native builds: Latin-1, the first 256 code points, without the system's
// tables. (The Windows builds use core/win/CodePage.cpp instead.)
#include "core/CodePage.h"

#include "core/Utf.h"

bool isAnsiLeadByte(unsigned char) { return false; }
bool ansiHasLeadBytes() { return false; }

std::u16string ansiToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

std::string utf16ToAnsi(std::u16string_view text, bool* lossless) {
    std::string out;
    out.reserve(text.size());
    bool whole = true;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = decodeUtf16(text, i);  // a surrogate pair is one character: one '?'
        if (code < 0x100) {
            out += static_cast<char>(code);
        } else {
            out += '?';
            whole = false;
        }
    }
    if (lossless) *lossless = whole;
    return out;
}

bool appendAnsiCharacter(std::string& out, char32_t code) {
    if (code >= 0x100) return false;
    out += static_cast<char>(code);
    return true;
}

// The code page of the Windows builds: the system's ANSI code page, through its own conversions.
#include "core/CodePage.h"

#include <windows.h>

#include <algorithm>

#include "core/Utf.h"

namespace {

// The system's calls take int lengths: long texts go in pieces, never splitting a surrogate pair
// or a double-byte character.
constexpr std::size_t kPiece = 1u << 20;

}  // namespace

bool isAnsiLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != 0; }

bool ansiHasLeadBytes() {
    static const bool doubleByte = [] {
        CPINFO info{};
        return !GetCPInfo(CP_ACP, &info) || info.MaxCharSize > 1;
    }();
    return doubleByte;
}

std::u16string ansiToUtf16(std::string_view text) {
    std::u16string out;
    std::size_t done = 0;
    while (done < text.size()) {
        std::size_t n = std::min(kPiece, text.size() - done);
        if (done + n < text.size()) {
            // Whole characters only: stop before a lead byte whose trail byte is in the next piece.
            std::size_t end = 0;
            for (;;) {
                const std::size_t step = isAnsiLeadByte(static_cast<unsigned char>(text[done + end])) ? 2 : 1;
                if (end + step > n) break;
                end += step;
            }
            n = end;
        }
        const int units = MultiByteToWideChar(CP_ACP, 0, text.data() + done, static_cast<int>(n), nullptr, 0);
        if (units > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(units));
            MultiByteToWideChar(CP_ACP, 0, text.data() + done, static_cast<int>(n),
                                reinterpret_cast<wchar_t*>(&out[at]), units);
        }
        done += n;
    }
    return out;
}

std::string utf16ToAnsi(std::u16string_view text, bool* lossless) {
    std::string out;
    bool whole = true;
    std::size_t done = 0;
    while (done < text.size()) {
        std::size_t n = std::min(kPiece, text.size() - done);
        if (done + n < text.size() && n > 1 && text[done + n - 1] >= 0xD800 && text[done + n - 1] <= 0xDBFF) --n;
        auto wide = reinterpret_cast<const wchar_t*>(text.data() + done);
        const int length = static_cast<int>(n);
        // Best fit, as tags were always stored ("ā" as "a"); whether that held the text whole is
        // asked without it.
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            const std::size_t at = out.size();
            out.resize(at + static_cast<std::size_t>(bytes));
            WideCharToMultiByte(CP_ACP, 0, wide, length, &out[at], bytes, nullptr, nullptr);
        }
        if (lossless && whole) {
            BOOL replaced = FALSE;
            const int exact = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &replaced);
            whole = exact > 0 && !replaced;
        }
        done += n;
    }
    if (lossless) *lossless = whole;
    return out;
}

bool appendAnsiCharacter(std::string& out, char32_t code) {
    std::u16string one;
    appendUtf16(one, code);
    char bytes[8];
    BOOL replaced = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(one.data()),
                                      static_cast<int>(one.size()), bytes, sizeof bytes, nullptr, &replaced);
    if (n <= 0 || replaced) return false;
    out.append(bytes, static_cast<std::size_t>(n));
    return true;
}

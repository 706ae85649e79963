#include "core/win/SystemText.h"

#include <cwchar>

std::u16string fromWideChars(const wchar_t* text, std::size_t limit) {
    if (!text) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(text), wcsnlen(text, limit));
}

std::u16string windowTextWide(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::u16string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, u'\0');
    const int n = GetWindowTextW(window, reinterpret_cast<wchar_t*>(&text[0]), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

std::string systemErrorText(DWORD error) {
    char buffer[1025] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                   buffer, sizeof buffer - 1, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty()) return "Unknown error " + std::to_string(error);
    return text;
}

#include "tools/host/WideText.h"

#include "core/CodePage.h"
#include "core/Utf.h"

namespace {
std::wstring wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string units(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
}  // namespace

std::wstring fromCodePage(const std::string& text, UINT codePage) {
    return wide(codePage == CP_UTF8 ? utf8ToUtf16(text) : ansiToUtf16(text));
}

std::string toCodePage(const std::wstring& text, UINT codePage) {
    return codePage == CP_UTF8 ? utf16ToUtf8(units(text)) : utf16ToAnsi(units(text));
}

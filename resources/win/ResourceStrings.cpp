// The texts of a Windows binary that carries the resource script: read from its own string table,
// so the shipped plug-in holds one copy of every text (the generated table would be a second one).
#include <windows.h>

#include "resources/StringTable.h"

namespace {
// The module whose resources hold the texts: the one this code is linked into (the plug-in, or a
// test program that links the script), whatever process loaded it.
HMODULE textModule() {
    static HMODULE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&textModule), &found);
        return found;
    }();
    return module;
}
}  // namespace

std::string loadString(int id) {
    if (id < 0 || id > 0xFFFF) return std::string();
    // With no buffer, LoadStringW hands out the resource's own text and its length (no terminator).
    const wchar_t* text = nullptr;
    const int length = LoadStringW(textModule(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::string();
    // The portable code speaks the ANSI code page, as the ANSI windows that show these texts do.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
    return out;
}

#include "plugin/win/WinampLink.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "plugin/win/WinampRequests.h"

namespace {
// Paths never exceed this; it bounds the copy should the player hand over a text that does not end.
constexpr std::size_t kMaxPathLength = 32767;
}

LRESULT CWinampLink::ask(WPARAM argument, int code) const {
    return SendMessageA(window_, WM_USER, argument, static_cast<LPARAM>(code));
}

PlayState CWinampLink::playState() {
    return playStateFromCode(static_cast<std::int64_t>(ask(0, kRequestPlayState)));
}

std::string CWinampLink::currentFile() {
    const LRESULT index = ask(0, kRequestPlaylistIndex);
    const char* path = reinterpret_cast<const char*>(ask(static_cast<WPARAM>(index), kRequestPlaylistFile));
    if (!path) return std::string();
    // The player keeps the text only until its playlist changes: copy it at once.
    return std::string(path, strnlen(path, kMaxPathLength));
}

namespace {

// Whether the ANSI code page holds the text whole (no character replaced by a default one).
bool ansiHolds(const wchar_t* text, int length) {
    BOOL replaced = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, length, nullptr, 0, nullptr, &replaced);
    return bytes > 0 && !replaced;
}

std::string toAnsi(const wchar_t* text) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return std::string();
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(bytes - 1));
    return out;
}

// The text widened by the ANSI code page, ending in a zero. (A vector: the wide string class would
// add tens of kilobytes to the plug-in.)
std::vector<wchar_t> toWide(const std::string& text) {
    const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> out(static_cast<std::size_t>(units > 0 ? units : 1), L'\0');
    if (units > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out.data(), units);
    return out;
}

// Room for any field's text; longer answers are cut by the player.
constexpr std::size_t kInfoLength = 1024;

}  // namespace

std::u16string CWinampLink::currentFileWide() {
    const LRESULT index = ask(0, kRequestPlaylistIndex);
    const auto* path = reinterpret_cast<const wchar_t*>(ask(static_cast<WPARAM>(index), kRequestPlaylistFileWide));
    if (!path) return std::u16string();
    const std::size_t length = wcsnlen(path, kMaxPathLength);
    if (length == 0 || ansiHolds(path, static_cast<int>(length))) return std::u16string();
    return std::u16string(reinterpret_cast<const char16_t*>(path), length);
}

bool CWinampLink::fileInfo(const std::string& path, const std::u16string& widePath, const char* field,
                           std::string& value) {
    std::vector<wchar_t> name = toWide(path);
    if (!widePath.empty()) {
        name.assign(widePath.begin(), widePath.end());
        name.push_back(L'\0');
    }
    const std::vector<wchar_t> metadata = toWide(field);
    wchar_t wide[kInfoLength] = {};
    ExtendedFileInfoW request{name.data(), metadata.data(), wide, kInfoLength};
    if (ask(reinterpret_cast<WPARAM>(&request), kRequestFileInfoWide) == 1) {
        wide[kInfoLength - 1] = L'\0';
        value = toAnsi(wide);
        return true;
    }
    // A name the code page cannot hold has no ANSI form the player could open.
    if (!widePath.empty()) return false;
    char ansi[kInfoLength] = {};
    ExtendedFileInfoA old{path.c_str(), field, ansi, kInfoLength};
    if (ask(reinterpret_cast<WPARAM>(&old), kRequestFileInfo) != 1) return false;
    ansi[kInfoLength - 1] = '\0';
    value = ansi;
    return true;
}

std::int32_t CWinampLink::trackLengthSeconds() {
    // The state request first, as the player expects; its answer does not matter here.
    ask(0, kRequestPlayState);
    for (int attempt = 0; attempt < kLengthTries; ++attempt) {
        // The player answers an int: compare in 32 bits, whatever LRESULT's width.
        const auto length = static_cast<std::int32_t>(ask(kTrackLengthInSeconds, kRequestTrackLength));
        if (length != -1) return length;
        Sleep(kLengthRetryMs);
    }
    return -1;
}

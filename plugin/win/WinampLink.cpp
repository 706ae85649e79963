#include "plugin/win/WinampLink.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "core/Utf.h"
#include "core/win/SystemText.h"
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

// Room for any field's text; longer answers are cut by the player.
constexpr std::size_t kInfoLength = 1024;

}  // namespace

std::u16string CWinampLink::currentFileWide() {
    const LRESULT index = ask(0, kRequestPlaylistIndex);
    const auto* path = reinterpret_cast<const wchar_t*>(ask(static_cast<WPARAM>(index), kRequestPlaylistFileWide));
    std::u16string wide = fromWideChars(path, kMaxPathLength);
    bool ansiHoldsIt = true;
    utf16ToAnsi(wide, &ansiHoldsIt);
    if (ansiHoldsIt) wide.clear();  // the ANSI name serves
    return wide;
}

bool CWinampLink::fileInfo(const std::string& path, const std::u16string& widePath, const char* field,
                           std::string& value) {
    const std::u16string name = widePath.empty() ? ansiToUtf16(path) : widePath;
    const std::u16string metadata = ansiToUtf16(field);
    wchar_t wide[kInfoLength] = {};
    ExtendedFileInfoW request{wideChars(name), wideChars(metadata), wide, kInfoLength};
    if (ask(reinterpret_cast<WPARAM>(&request), kRequestFileInfoWide) == 1) {
        value = utf16ToUtf8(fromWideChars(wide, kInfoLength - 1));
        return true;
    }
    // A name the code page cannot hold has no ANSI form the player could open.
    if (!widePath.empty()) return false;
    char ansi[kInfoLength] = {};
    ExtendedFileInfoA old{path.c_str(), field, ansi, kInfoLength};
    if (ask(reinterpret_cast<WPARAM>(&old), kRequestFileInfo) != 1) return false;
    ansi[kInfoLength - 1] = '\0';
    value = ansiToUtf8(ansi);
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

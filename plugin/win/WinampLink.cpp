#include "plugin/win/WinampLink.h"

#include <cstring>

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

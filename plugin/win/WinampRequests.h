// The requests the plug-in sends to the player's main window: message WM_USER, the request
// code in lParam, its argument in wParam.
#pragma once

enum WinampRequest : int {
    kRequestPlayState = 104,      // wParam 0 → 0 stopped, 1 playing, other paused
    kRequestTrackLength = 105,    // wParam 1 → length in seconds, -1 while not known
    kRequestPlaylistIndex = 125,  // wParam 0 → index of the current playlist entry
    kRequestPlaylistFile = 211,   // wParam index → pointer to that entry's path (or null)
};

// wParam of kRequestTrackLength: 0 asks for the position in milliseconds, 1 for the length in
// seconds.
constexpr int kTrackLengthInSeconds = 1;

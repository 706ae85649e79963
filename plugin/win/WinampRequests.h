// The requests the plug-in sends to the player's main window: message WM_USER, the request
// code in lParam, its argument in wParam.
#pragma once
#include <cstddef>

enum WinampRequest : int {
    kRequestPlayState = 104,      // wParam 0 → 0 stopped, 1 playing, other paused
    kRequestTrackLength = 105,    // wParam 1 → length in seconds, -1 while not known
    kRequestPlaylistIndex = 125,  // wParam 0 → index of the current playlist entry
    kRequestPlaylistFile = 211,   // wParam index → pointer to that entry's path (or null)
    kRequestPlaylistFileWide = 214,  // wParam index → pointer to that entry's wide path (or null)
    kRequestFileInfo = 290,       // wParam → ExtendedFileInfoA; 1 when the player answered
    kRequestFileInfoWide = 3026,  // wParam → ExtendedFileInfoW; 1 when the player answered
};

// The records of the two file-information requests: the file, the name of the field ("artist",
// "title", "album", "year", "comment", "genre"), and the buffer for the answer.
struct ExtendedFileInfoA {
    const char* filename;
    const char* metadata;
    char* ret;
    size_t retlen;
};
struct ExtendedFileInfoW {
    const wchar_t* filename;
    const wchar_t* metadata;
    wchar_t* ret;
    size_t retlen;
};

// wParam of kRequestTrackLength: 0 asks for the position in milliseconds, 1 for the length in
// seconds.
constexpr int kTrackLengthInSeconds = 1;

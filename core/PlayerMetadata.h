// What the player can tell about a file it plays: the tag fields of formats the plug-in does not
// read itself (FLAC, Ogg, M4A, WMA, MP3 without ID3). On Windows CWinampLink asks the player;
// tests answer with a fake.
#pragma once
#include <string>

class IPlayerMetadata {
public:
    virtual ~IPlayerMetadata() = default;
    // The player's text of one field of the file ("artist", "title", "album", "year", "comment" or
    // "genre"), whole, in UTF-8. `widePath` is the name whole when `path` cannot hold it
    // (else ""). False when the player cannot describe the file.
    virtual bool fileInfo(const std::string& path, const std::u16string& widePath, const char* field,
                          std::string& value) = 0;
};

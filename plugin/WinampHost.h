// What the plug-in asks of the player that hosts it. On Windows CWinampLink answers through
// messages to the player's main window; tests answer with a fake.
#pragma once
#include <cstdint>
#include <string>

enum class PlayState { Stopped, Playing, Paused };

// The player answers the state request with 0 (stopped), 1 (playing) or another value, which
// is taken as paused.
constexpr PlayState playStateFromCode(std::int64_t code) {
    return code == 0 ? PlayState::Stopped : code == 1 ? PlayState::Playing : PlayState::Paused;
}

// "stopped", "playing" or "paused", for logs.
const char* playStateName(PlayState state);

class IWinampHost {
public:
    virtual ~IWinampHost() = default;
    virtual PlayState playState() = 0;
    // The file path of the current playlist entry; "" when the player names none.
    virtual std::string currentFile() = 0;
    // The same path whole, when the ANSI code page cannot hold it (currentFile then has what the
    // code page makes of it); "" otherwise, and from players that give no wide names.
    virtual std::u16string currentFileWide() { return std::u16string(); }
    // The length of the current track in whole seconds, waiting a little while the player does
    // not know it yet; -1 when it still does not know it after the last try.
    virtual std::int32_t trackLengthSeconds() = 0;
};

#include "plugin/WinampHost.h"

const char* playStateName(PlayState state) {
    switch (state) {
    case PlayState::Stopped: return "stopped";
    case PlayState::Playing: return "playing";
    case PlayState::Paused: return "paused";
    }
    return "?";
}

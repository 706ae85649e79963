// The stand-in's main window, of the player's class "Winamp v1.x": it answers the plug-in's
// requests from the Player, takes files handed over by a second instance (WM_COPYDATA) and
// shows what plays. Plug-ins put their timers and their subclass on it.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "tools/host/Player.h"

// dwData of the WM_COPYDATA by which a second instance hands over a file to play; lpData is
// the full path, an ANSI text ending in a zero byte.
constexpr ULONG_PTR kHandOverFile = 0x504C4159;  // 'PLAY'

class HostWindow {
public:
    explicit HostWindow(Player& player) : player_(player) {}
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool create();
    HWND handle() const { return window_; }
    // Set when the window was asked to close (or WM_QUIT arrived): the script stops.
    bool closeRequested = false;
    // Every request is logged, or only the first of each kind and changed answers.
    bool logAllRequests = false;
    // Length of the files handed over by a second instance.
    int handOverLength = 180;

    // Ends finished tracks and repaints when what plays has changed.
    void update();
    // "requests answered: 104 x 12, 105 x 3, ..."
    std::string requestSummary() const;
    // Whether the window's procedure is still this class's own, or a plug-in put its hook in front.
    bool ownsProcedure() const;
    // What the player answers about a file (requests 290 and 3026): one field of it. A file with
    // no field set is one the player cannot describe; a field not set of a described file is "".
    void setMetadata(const std::wstring& file, const std::string& field, const std::wstring& value) {
        metadata_[file][field] = value;
    }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT answer(WPARAM wParam, LPARAM code);
    void handOver(const COPYDATASTRUCT& data);
    void paint();
    // 290 and 3026: the field of the file, or false when the player cannot describe the file.
    bool describe(const std::wstring& file, const std::string& field, std::wstring& value) const;

    Player& player_;
    HWND window_ = nullptr;
    std::map<long long, long long> counts_;            // requests answered, by code
    std::map<std::string, std::string> lastAnswers_;   // by code and argument
    std::string shown_;                                // the text the window shows
    std::map<std::wstring, std::map<std::string, std::wstring>> metadata_;  // by file, then field
    std::wstring wideAnswer_;  // 214's answer for an entry without a wide name of its own
};

// CWinampLink against a fake player window in the test process: which requests it sends, in
// which order, and what it makes of the answers; and the window timer the poll runs on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "plugin/win/WinampLink.h"
#include "plugin/win/WinampRequests.h"
#include "plugin/win/WindowTimer.h"

namespace {

// What the fake player answers, and the requests (wParam, code) it got.
struct FakePlayer {
    LRESULT state = 0;
    LRESULT index = 0;
    const char* path = nullptr;
    int lengthFailures = 0;           // answers of -1 before the length
    LRESULT failure = -1;             // how -1 is answered
    LRESULT length = 0;
    const wchar_t* wideInfo = nullptr;  // the answer to the wide file-information request, if any
    const char* ansiInfo = nullptr;     // the answer to the ANSI one
    std::vector<std::pair<WPARAM, LPARAM>> requests;
};
FakePlayer* g_player = nullptr;

LRESULT CALLBACK fakePlayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER && g_player) {
        g_player->requests.emplace_back(wParam, lParam);
        switch (lParam) {
        case kRequestPlayState: return g_player->state;
        case kRequestPlaylistIndex: return g_player->index;
        case kRequestPlaylistFile: return reinterpret_cast<LRESULT>(g_player->path);
        case kRequestFileInfoWide: {
            if (!g_player->wideInfo) return 0;
            auto* request = reinterpret_cast<ExtendedFileInfoW*>(wParam);
            lstrcpynW(request->ret, g_player->wideInfo, static_cast<int>(request->retlen));
            return 1;
        }
        case kRequestFileInfo: {
            if (!g_player->ansiInfo) return 0;
            auto* request = reinterpret_cast<ExtendedFileInfoA*>(wParam);
            lstrcpynA(request->ret, g_player->ansiInfo, static_cast<int>(request->retlen));
            return 1;
        }
        case kRequestTrackLength:
            if (g_player->lengthFailures > 0) {
                --g_player->lengthFailures;
                return g_player->failure;
            }
            return g_player->length;
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class WinampLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc = {};
            wc.lpfnWndProc = fakePlayerProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "PtlyFakePlayer";  // not the player's class: no stand-in may find it
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        window = CreateWindowExA(0, "PtlyFakePlayer", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        g_player = &player;
    }
    void TearDown() override {
        if (window) DestroyWindow(window);
        g_player = nullptr;
    }
    using Requests = std::vector<std::pair<WPARAM, LPARAM>>;

    FakePlayer player;
    HWND window = nullptr;
};

TEST_F(WinampLinkTest, StateAnswersMapToStoppedPlayingPaused) {
    const std::pair<LRESULT, PlayState> cases[] = {
        {0, PlayState::Stopped}, {1, PlayState::Playing}, {3, PlayState::Paused},
        {2, PlayState::Paused},  {-1, PlayState::Paused},
    };
    CWinampLink link(window);
    for (const auto& [answer, expected] : cases) {
        player.state = answer;
        EXPECT_EQ(link.playState(), expected) << "answer " << answer;
    }
    ASSERT_EQ(player.requests.size(), 5u);
    for (const auto& r : player.requests) EXPECT_EQ(r, (std::pair<WPARAM, LPARAM>{0, kRequestPlayState}));
}

TEST_F(WinampLinkTest, CurrentFileAsksTheIndexThenThePathOfThatEntry) {
    char path[] = "C:\\My Music\\a song.mp3";
    player.index = 4;
    player.path = path;
    CWinampLink link(window);
    const std::string file = link.currentFile();
    EXPECT_EQ(file, "C:\\My Music\\a song.mp3");
    EXPECT_EQ(player.requests, (Requests{{0, kRequestPlaylistIndex}, {4, kRequestPlaylistFile}}));
    // The player's text changes with its playlist; the link's copy must not.
    std::memset(path, 'x', sizeof path - 1);
    EXPECT_EQ(file, "C:\\My Music\\a song.mp3");
}

TEST_F(WinampLinkTest, FileInfoComesWholeInUtf8FromEitherAnswer) {
    CWinampLink link(window);
    std::string value;
    player.wideInfo = L"\u6771\u4EAC\u4E8B\u5909 \u0416 \u03A9";
    ASSERT_TRUE(link.fileInfo("C:\\a.flac", u"", "artist", value));
    EXPECT_EQ(value, "\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89 \xD0\x96 \xCE\xA9");
    // A player without the wide request answers in its code page.
    player.wideInfo = nullptr;
    player.ansiInfo = "caf\xE9";
    ASSERT_TRUE(link.fileInfo("C:\\a.flac", u"", "title", value));
    if (GetACP() == 1252) EXPECT_EQ(value, "caf\xC3\xA9");
    player.ansiInfo = nullptr;
    EXPECT_FALSE(link.fileInfo("C:\\a.flac", u"", "title", value));
}

TEST_F(WinampLinkTest, NullPathGivesEmptyText) {
    player.path = nullptr;
    EXPECT_EQ(CWinampLink(window).currentFile(), "");
}

TEST_F(WinampLinkTest, LengthAfterSomeAnswersOfMinusOne) {
    struct Case {
        int failures;
        LRESULT failure;
        LRESULT length;
    };
    // One case answers -1 as a 32-bit value in a 64-bit result, as a 32-bit player does; the last
    // gets its length at the 50th and final try.
    const Case cases[] = {{0, -1, 215}, {3, -1, 180}, {2, static_cast<LRESULT>(0xFFFFFFFFu), 61}, {49, -1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failures);
        player.requests.clear();
        player.lengthFailures = c.failures;
        player.failure = c.failure;
        player.length = c.length;
        EXPECT_EQ(CWinampLink(window).trackLengthSeconds(), c.length);
        // The state request first, then one length request per try, wParam 1.
        Requests expected{{0, kRequestPlayState}};
        for (int i = 0; i <= c.failures; ++i) expected.push_back({1, kRequestTrackLength});
        EXPECT_EQ(player.requests, expected);
    }
}

TEST_F(WinampLinkTest, FiftyAnswersOfMinusOneGiveMinusOne) {
    player.lengthFailures = 1000;
    const DWORD start = GetTickCount();
    EXPECT_EQ(CWinampLink(window).trackLengthSeconds(), -1);
    const DWORD waited = GetTickCount() - start;
    EXPECT_EQ(player.requests.size(), 51u);  // the state request and 50 tries
    EXPECT_EQ(player.lengthFailures, 950);
    EXPECT_GE(waited, 4500u) << "the tries are 100 ms apart";
}

TEST_F(WinampLinkTest, GoneWindowReadsStoppedWithEmptyPath) {
    player.state = 1;
    player.path = "C:\\a.mp3";
    player.length = 100;
    CWinampLink link(window);
    DestroyWindow(window);
    window = nullptr;
    EXPECT_EQ(link.playState(), PlayState::Stopped);
    EXPECT_EQ(link.currentFile(), "");
    EXPECT_EQ(link.trackLengthSeconds(), 0);  // 0, not -1: no retries, no wait
    EXPECT_TRUE(player.requests.empty());
}

// Runs the message loop until `done` or about two seconds have passed.
template <class Done>
void pumpUntil(Done done) {
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done() && GetTickCount() - start < 2000) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
}

TEST_F(WinampLinkTest, WindowTimersTickUntilStopped) {
    int ticks0 = 0, ticks1 = 0;
    CWindowTimer poll(window, 0, 10, [&] { ++ticks0; });
    CWindowTimer other(window, 1, 10, [&] {
        ++ticks1;
        throw std::runtime_error("must not reach the message loop");
    });
    poll.start();
    other.start();
    EXPECT_TRUE(poll.running());
    pumpUntil([&] { return ticks0 >= 3 && ticks1 >= 3; });
    EXPECT_GE(ticks0, 3);
    EXPECT_GE(ticks1, 3);

    poll.stop();
    EXPECT_FALSE(poll.running());
    const int stoppedAt = ticks0;
    const int otherAt = ticks1;
    pumpUntil([&] { return ticks1 >= otherAt + 3; });  // the other timer still runs
    EXPECT_EQ(ticks0, stoppedAt);
    EXPECT_GE(ticks1, otherAt + 3);
}

}  // namespace

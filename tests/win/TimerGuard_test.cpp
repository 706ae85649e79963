// The guard around the application's timer work: a failure is reported once per timer, not on
// every tick, and nothing ever leaves the guard.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/Messages.h"
#include "plugin/win/TimerGuard.h"
#include "plugin/win/WindowTimer.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

class RecordingMessages : public IMessages {
public:
    struct Shown {
        std::string text, key;
    };
    std::vector<Shown> shown;
    bool failToShow = false;

    void showMessage(const std::string& text, const std::string& key) override {
        shown.push_back({text, key});
        if (failToShow) throw std::runtime_error("the message box could not be made");
    }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

struct NotAStdException {};

TEST(TimerGuard, TheFirstFailureIsReportedWithItsReasonAndLaterOnesAreNot) {
    const std::string head = loadString(IDS_UNEXPECTED_ERROR);
    ASSERT_FALSE(head.empty());
    const struct {
        const char* name;
        std::function<void()> fail;
        std::string expected;
    } cases[] = {
        {"standard exception", [] { throw std::runtime_error("disk on fire"); }, head + "disk on fire"},
        {"bad_alloc", [] { throw std::bad_alloc(); }, head + std::bad_alloc().what()},
        {"anything else", [] { throw NotAStdException(); }, head},
    };
    for (const auto& c : cases) {
        RecordingMessages messages;
        CTimerGuard guard("test timer");
        int ran = 0;
        for (int tick = 0; tick < 5; ++tick)
            guard.run(messages, [&] {
                ++ran;
                c.fail();
            });
        EXPECT_EQ(ran, 5) << c.name;  // the work still runs on every tick
        ASSERT_EQ(messages.shown.size(), 1u) << c.name;
        EXPECT_EQ(messages.shown[0].text, c.expected) << c.name;
        EXPECT_EQ(messages.shown[0].key, "UnexpectedError") << c.name;
        EXPECT_TRUE(guard.reported()) << c.name;
    }
}

TEST(TimerGuard, WorkThatSucceedsReportsNothingAndEachTimerReportsItsOwnFirstFailure) {
    RecordingMessages messages;
    CTimerGuard poll("playback poll"), save("automatic save");
    int done = 0;
    poll.run(messages, [&] { ++done; });
    save.run(messages, [&] { ++done; });
    EXPECT_EQ(done, 2);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(poll.reported());

    auto failing = [] { throw std::runtime_error("x"); };
    poll.run(messages, failing);
    poll.run(messages, failing);
    save.run(messages, failing);
    save.run(messages, failing);
    EXPECT_EQ(messages.shown.size(), 2u);
    // A good tick in between does not arm the report again.
    poll.run(messages, [] {});
    poll.run(messages, failing);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST(TimerGuard, AReportThatFailsItselfStaysInsideTheGuard) {
    RecordingMessages messages;
    messages.failToShow = true;
    CTimerGuard guard("test timer");
    EXPECT_NO_THROW(guard.run(messages, [] { throw std::runtime_error("first"); }));
    EXPECT_NO_THROW(guard.run(messages, [] { throw std::runtime_error("second"); }));
    EXPECT_EQ(messages.shown.size(), 1u);
}

// A failing tick nested in the report: the message box runs its own loop, in which the timer
// ticks again. Only the one message may appear.
TEST(TimerGuard, TicksWhileTheReportIsOnScreenShowNoSecondReport) {
    struct NestedMessages : IMessages {
        CTimerGuard* guard = nullptr;
        int shown = 0;
        void showMessage(const std::string&, const std::string&) override {
            ++shown;
            if (shown == 1) guard->run(*this, [] { throw std::runtime_error("while on screen"); });
        }
        bool askYesNo(const std::string&, const std::string&) override { return true; }
    } messages;
    CTimerGuard guard("test timer");
    messages.guard = &guard;
    guard.run(messages, [] { throw std::runtime_error("first"); });
    EXPECT_EQ(messages.shown, 1);
}

// The guard with a real window timer, as the application uses it: the tick fails every time, the
// user hears of it once.
TEST(TimerGuard, AWindowTimerThatFailsOnEveryTickIsReportedOnce) {
    HWND window = CreateWindowExA(0, "STATIC", "timer host", 0, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    RecordingMessages messages;
    CTimerGuard guard("test timer");
    int ticks = 0;
    CWindowTimer timer(window, 1, 10, [&] {
        guard.run(messages, [&] {
            ++ticks;
            throw std::runtime_error("tick failed");
        });
    });
    timer.start();
    const DWORD start = GetTickCount();
    MSG msg;
    while (ticks < 5 && GetTickCount() - start < 5000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
    timer.stop();
    DestroyWindow(window);
    EXPECT_GE(ticks, 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, loadString(IDS_UNEXPECTED_ERROR) + "tick failed");
}

}  // namespace

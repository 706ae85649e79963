// The playback monitor against a scripted player and a hand-set clock: every row of the state
// table and the edge cases of pausing, suspending, quitting and start-up, without waiting.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "core/AppContext.h"
#include "core/Clock.h"
#include "database/Doc.h"
#include "plugin/PlaybackMonitor.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "tests/native/TempDir.h"

namespace {

struct FakeClock : IClock {
    TimeValue t = 1000;
    TimeValue now() override { return t; }
};

// The player: what it reports, and how often it was asked.
struct FakeHost : IWinampHost {
    PlayState state = PlayState::Stopped;
    std::string file;
    std::u16string wideFile;  // the name whole, when the code page cannot hold it
    std::int32_t length = 200;
    FakeClock* clock = nullptr;
    TimeValue lengthWait = 0;  // seconds the length query takes
    int stateCalls = 0, fileCalls = 0, lengthCalls = 0;

    PlayState playState() override { ++stateCalls; return state; }
    std::string currentFile() override { ++fileCalls; return file; }
    std::u16string currentFileWide() override { return wideFile; }
    std::int32_t trackLengthSeconds() override {
        ++lengthCalls;
        if (clock) clock->t += lengthWait;
        return length;
    }
    int calls() const { return stateCalls + fileCalls + lengthCalls; }
};

struct FakeTimer : ITimer {
    bool running = false;
    int starts = 0, stops = 0;
    void start() override { running = true; ++starts; }
    void stop() override { running = false; ++stops; }
};

struct RecordingSink : ITrackSink {
    std::vector<CTrackRecord> added;
    bool answer = true;
    bool fail = false;
    bool AddTrack(const CTrackRecord& pending) override {
        added.push_back(pending);
        if (fail) throw std::runtime_error("database failure");
        return answer;
    }
};

struct FakeViews : IViewHooks {
    bool exists = false;
    int refreshes = 0;
    std::function<void()> onRefresh;
    bool playtallyWindowExists() const override { return exists; }
    bool playtallyWindowVisible() const override { return exists; }
    bool settingsSheetOpen() const override { return false; }
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
    void refreshPlaytallyWindow() override {
        ++refreshes;
        if (onRefresh) onRefresh();
    }
};

class PlaybackMonitorTest : public ::testing::Test {
protected:
    PlaybackMonitorTest() {
        context.views = &views;
        host.clock = &clock;
    }

    // One tick with the player reporting `state` and `file` at the current time.
    void poll(PlayState state, const std::string& file = "") {
        host.state = state;
        host.file = file;
        monitor.pollPlayback();
    }
    void at(TimeValue t) { clock.t = t; }

    MemoryProfile profile;
    FakeClock clock;
    FakeHost host;
    FakeTimer timer;
    RecordingSink sink;
    FakeViews views;
    CNoMessages noMessages;
    AppContext context{profile, noMessages, clock, systemFileSystem()};
    CPlaybackMonitor monitor{context, host, timer, sink};
};

const PlayState kPlaying = PlayState::Playing;
const PlayState kPaused = PlayState::Paused;
const PlayState kStopped = PlayState::Stopped;

// One row of the state table. Track "A" starts at 1000; the last seen state is reached at 1010
// (paused: 10 s played; stopped: A finished with 10 s); the new report comes at 1015.
struct TableRow {
    const char* name;
    PlayState last;
    PlayState now;
    const char* nowFile;
    std::optional<std::int32_t> finishedPlayed;  // the play handed to the database by the report
    const char* pendingPath;                     // nullptr: no pending record after the report
    TimeValue pendingDate;
    std::int32_t pendingPlayed;
};

class StateTable : public PlaybackMonitorTest, public ::testing::WithParamInterface<TableRow> {};

TEST_P(StateTable, Row) {
    const TableRow& row = GetParam();
    at(1000);
    poll(kPlaying, "A");
    at(1010);
    if (row.last != kPlaying) poll(row.last, "A");
    ASSERT_EQ(monitor.lastState(), row.last);
    const std::size_t before = sink.added.size();

    at(1015);
    poll(row.now, row.nowFile);

    EXPECT_EQ(monitor.lastState(), row.now);
    if (row.finishedPlayed) {
        ASSERT_EQ(sink.added.size(), before + 1);
        EXPECT_EQ(sink.added.back().path, "A");
        EXPECT_EQ(sink.added.back().played, *row.finishedPlayed);
        EXPECT_EQ(sink.added.back().length, 200);
    } else {
        EXPECT_EQ(sink.added.size(), before);
    }
    if (row.pendingPath) {
        ASSERT_NE(monitor.pending(), nullptr);
        EXPECT_EQ(monitor.pending()->path, row.pendingPath);
        EXPECT_EQ(monitor.pending()->date, row.pendingDate);
        EXPECT_EQ(monitor.pending()->played, row.pendingPlayed);
    } else {
        EXPECT_EQ(monitor.pending(), nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(
    PlaybackMonitor, StateTable,
    ::testing::Values(
        TableRow{"PlayingToNewTrack", kPlaying, kPlaying, "B", 15, "B", 1015, 0},
        TableRow{"PausedToNewTrack", kPaused, kPlaying, "B", 10, "B", 1015, 0},
        TableRow{"StoppedToTrack", kStopped, kPlaying, "A", std::nullopt, "A", 1015, 0},
        TableRow{"PlayingSameTrack", kPlaying, kPlaying, "A", std::nullopt, "A", 1000, 0},
        TableRow{"PausedToSameTrackResumes", kPaused, kPlaying, "A", std::nullopt, "A", 1015, 10},
        TableRow{"PlayingToPaused", kPlaying, kPaused, "A", std::nullopt, "A", 1000, 15},
        TableRow{"PausedStaysPaused", kPaused, kPaused, "A", std::nullopt, "A", 1000, 10},
        TableRow{"StoppedToPaused", kStopped, kPaused, "A", std::nullopt, nullptr, 0, 0},
        TableRow{"PlayingToStopped", kPlaying, kStopped, "", 15, nullptr, 0, 0},
        TableRow{"PausedToStopped", kPaused, kStopped, "", 10, nullptr, 0, 0},
        TableRow{"StoppedStaysStopped", kStopped, kStopped, "", std::nullopt, nullptr, 0, 0}),
    [](const ::testing::TestParamInfo<TableRow>& info) { return std::string(info.param.name); });

TEST_F(PlaybackMonitorTest, PauseOfSixtySecondsIsLeftOutAndDateIsTheResume) {
    at(1000);
    poll(kPlaying, "A");
    at(1020);
    poll(kPaused, "A");
    at(1080);
    poll(kPaused, "A");
    poll(kPlaying, "A");
    at(1110);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 50);
    EXPECT_EQ(sink.added[0].date, 1080);
}

TEST_F(PlaybackMonitorTest, StoppingDuringAPauseAddsNothingForThePause) {
    at(1000);
    poll(kPlaying, "A");
    at(1020);
    poll(kPaused, "A");
    at(1120);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 20);
}

TEST_F(PlaybackMonitorTest, SwitchingTrackWhilePausedFinishesWithoutThePausedTime) {
    at(1000);
    poll(kPlaying, "A");
    at(1020);
    poll(kPaused, "A");
    at(1060);
    poll(kPlaying, "B");
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].path, "A");
    EXPECT_EQ(sink.added[0].played, 20);
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->path, "B");
    EXPECT_EQ(monitor.pending()->date, 1060);
}

TEST_F(PlaybackMonitorTest, WhileSuspendedThePlayerIsNotAskedAndNothingChanges) {
    at(1000);
    poll(kPlaying, "A");
    monitor.setSuspended(true);
    const int askedBefore = host.calls();
    for (auto [t, state, file] : {std::tuple{1010, kPaused, "A"}, {1020, kStopped, ""}, {1030, kPlaying, "C"}}) {
        at(t);
        poll(state, file);
    }
    EXPECT_EQ(host.calls(), askedBefore);
    EXPECT_TRUE(sink.added.empty());
    EXPECT_EQ(monitor.lastState(), kPlaying);
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->path, "A");

    // Cleared again: it goes on from the last state it saw (playing A), so C is a new track and
    // A ends with all the time since its start.
    monitor.setSuspended(false);
    at(1100);
    poll(kPlaying, "C");
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].path, "A");
    EXPECT_EQ(sink.added[0].played, 100);
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->path, "C");
}

TEST_F(PlaybackMonitorTest, SuspendedWhilePausedGoesOnFromPaused) {
    at(1000);
    poll(kPlaying, "A");
    at(1030);
    poll(kPaused, "A");
    monitor.setSuspended(true);
    at(1050);
    poll(kPlaying, "A");
    at(1090);
    poll(kStopped);
    monitor.setSuspended(false);
    at(1200);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 30);
}

TEST_F(PlaybackMonitorTest, QuittingWhilePlayingHandsOverTheTimeSoFar) {
    monitor.startPolling();
    EXPECT_TRUE(timer.running);
    at(1000);
    poll(kPlaying, "A");
    at(1042);
    monitor.stopPolling();
    EXPECT_FALSE(timer.running);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 42);
    EXPECT_EQ(monitor.pending(), nullptr);
    monitor.stopPolling();  // a second stop has nothing left to hand over
    EXPECT_EQ(sink.added.size(), 1u);
}

TEST_F(PlaybackMonitorTest, QuittingWhilePausedAddsNoPausedTime) {
    at(1000);
    poll(kPlaying, "A");
    at(1025);
    poll(kPaused, "A");
    at(1300);
    monitor.stopPolling();
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 25);
}

TEST_F(PlaybackMonitorTest, TrackAlreadyPlayingAtStartUpCountsFromTheFirstPoll) {
    at(5000);
    poll(kPlaying, "A");
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->date, 5000);
    at(5030);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 30);
}

TEST_F(PlaybackMonitorTest, SameFileRepeatedWithoutStopStaysOneRecord) {
    host.length = 100;
    at(1000);
    poll(kPlaying, "A");
    for (TimeValue t = 1000; t <= 1300; t += 50) {
        at(t);
        poll(kPlaying, "A");
    }
    at(1400);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 400);
    EXPECT_EQ(host.lengthCalls, 1);
}

TEST_F(PlaybackMonitorTest, NamesTheCodePageCannotHoldAreToldApartByTheirWideNames) {
    // Both read "?.mp3" in the code page: only the wide names show the track change.
    host.wideFile = u"\u0416.mp3";
    at(1000);
    poll(kPlaying, "?.mp3");
    host.wideFile = u"\u0429.mp3";
    at(1100);
    poll(kPlaying, "?.mp3");
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].path, "?.mp3");
    EXPECT_EQ(sink.added[0].widePath, u"\u0416.mp3");
    EXPECT_EQ(sink.added[0].played, 100);
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->widePath, u"\u0429.mp3");
    at(1150);
    poll(kPlaying, "?.mp3");  // the same file goes on: still one pending record
    EXPECT_EQ(sink.added.size(), 1u);
}

TEST_F(PlaybackMonitorTest, SameFileAfterAStopIsANewRecord) {
    at(1000);
    poll(kPlaying, "A");
    at(1010);
    poll(kStopped);
    at(1020);
    poll(kPlaying, "A");
    at(1050);
    poll(kStopped);
    ASSERT_EQ(sink.added.size(), 2u);
    EXPECT_EQ(sink.added[0].played, 10);
    EXPECT_EQ(sink.added[1].played, 30);
    EXPECT_EQ(sink.added[1].date, 1020);
}

TEST_F(PlaybackMonitorTest, PathComparisonIsCaseSensitive) {
    at(1000);
    poll(kPlaying, "C:\\Music\\a.mp3");
    at(1010);
    poll(kPlaying, "C:\\MUSIC\\a.mp3");
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(monitor.pending()->path, "C:\\MUSIC\\a.mp3");
}

TEST_F(PlaybackMonitorTest, UnknownLengthLeavesTheTrackUnrecorded) {
    host.length = -1;
    at(1000);
    poll(kPlaying, "A");
    EXPECT_EQ(monitor.pending(), nullptr);
    at(1001);
    poll(kPlaying, "A");  // not asked again: each try blocks the player for seconds
    poll(kPlaying, "A");
    EXPECT_EQ(host.lengthCalls, 1);
    EXPECT_EQ(monitor.pending(), nullptr);
    at(1100);
    poll(kStopped);
    monitor.stopPolling();
    EXPECT_TRUE(sink.added.empty());
}

TEST_F(PlaybackMonitorTest, UnknownLengthIsAskedAgainAfterAStopOrAnotherFile) {
    host.length = -1;
    at(1000);
    poll(kPlaying, "A");
    poll(kPlaying, "B");  // another file: asked
    poll(kPlaying, "B");
    EXPECT_EQ(host.lengthCalls, 2);
    poll(kStopped);
    host.length = 200;
    at(1010);
    poll(kPlaying, "B");  // played again after a stop: asked, and now known
    EXPECT_EQ(host.lengthCalls, 3);
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->length, 200);
    EXPECT_EQ(monitor.pending()->date, 1010);
}

TEST_F(PlaybackMonitorTest, UnknownLengthOfTheNextTrackStillFinishesTheOldOne) {
    at(1000);
    poll(kPlaying, "A");
    host.length = -1;
    at(1030);
    poll(kPlaying, "B");
    ASSERT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(sink.added[0].played, 30);
    EXPECT_EQ(monitor.pending(), nullptr);
}

TEST_F(PlaybackMonitorTest, StartIsTakenAfterTheLengthWait) {
    host.lengthWait = 3;
    host.length = 180;
    at(1000);
    poll(kPlaying, "A");
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->date, 1003);
    EXPECT_EQ(monitor.pending()->length, 180);
}

TEST_F(PlaybackMonitorTest, PauseAndResumeWithoutPendingRecordDoNothing) {
    monitor.pausePlay();
    monitor.resumePlay();
    monitor.finishTrack();
    EXPECT_EQ(monitor.pending(), nullptr);
    EXPECT_TRUE(sink.added.empty());
}

// When the window is refreshed after a track: stored, window there, "RefreshOnEachTrack" set.
struct RefreshRow {
    bool stored;
    bool windowExists;
    bool refreshSetting;
    int refreshes;
};

class RefreshAfterTrack : public PlaybackMonitorTest, public ::testing::WithParamInterface<RefreshRow> {};

TEST_P(RefreshAfterTrack, Row) {
    const RefreshRow& row = GetParam();
    sink.answer = row.stored;
    views.exists = row.windowExists;
    profile.writeInt(sectionGeneral(), "RefreshOnEachTrack", row.refreshSetting ? 1 : 0);
    at(1000);
    poll(kPlaying, "A");
    at(1100);
    poll(kStopped);
    EXPECT_EQ(sink.added.size(), 1u);
    EXPECT_EQ(views.refreshes, row.refreshes);
}

INSTANTIATE_TEST_SUITE_P(PlaybackMonitor, RefreshAfterTrack,
                         ::testing::Values(RefreshRow{true, true, true, 1}, RefreshRow{false, true, true, 0},
                                           RefreshRow{true, false, true, 0}, RefreshRow{true, true, false, 0}));

TEST_F(PlaybackMonitorTest, NoViewHooksMeansNoRefresh) {
    context.views = nullptr;
    profile.writeInt(sectionGeneral(), "RefreshOnEachTrack", 1);
    at(1000);
    poll(kPlaying, "A");
    at(1100);
    poll(kStopped);
    EXPECT_EQ(sink.added.size(), 1u);
}

TEST_F(PlaybackMonitorTest, TickDuringTheRefreshIsSkipped) {
    views.exists = true;
    profile.writeInt(sectionGeneral(), "RefreshOnEachTrack", 1);
    // The refresh pumps messages, and with them the next tick of the poll timer.
    views.onRefresh = [this] { monitor.pollPlayback(); };
    at(1000);
    poll(kPlaying, "A");
    at(1100);
    poll(kPlaying, "B");
    EXPECT_EQ(views.refreshes, 1);
    EXPECT_EQ(host.lengthCalls, 2);  // A once, B once: the nested tick began nothing
    ASSERT_NE(monitor.pending(), nullptr);
    EXPECT_EQ(monitor.pending()->path, "B");
    at(1110);
    poll(kStopped);  // the guard is released: later ticks work
    EXPECT_EQ(sink.added.size(), 2u);
}

TEST_F(PlaybackMonitorTest, FailingDatabaseLeavesNoPendingRecordAndQuitGoesOn) {
    sink.fail = true;
    at(1000);
    poll(kPlaying, "A");
    at(1010);
    EXPECT_NO_THROW(monitor.stopPolling());
    EXPECT_EQ(monitor.pending(), nullptr);
    EXPECT_EQ(sink.added.size(), 1u);
}

// The monitor in front of the real database document with real tagged files.
class MonitorWithDoc : public PlaybackMonitorTest {
protected:
    std::string song(const std::string& name, const std::string& artist, const std::string& title) {
        return dir.write(name, std::string(2000, '\x55') + id3v1Block(title, artist, "Album", "1999", "", 17));
    }
    void docPoll(PlayState state, const std::string& file = "") {
        host.state = state;
        host.file = file;
        docMonitor.pollPlayback();
    }

    TempDir dir;
    CDoc doc{context};
    CDocTrackSink docSink{doc};
    CPlaybackMonitor docMonitor{context, host, timer, docSink};
};

TEST_F(MonitorWithDoc, StoresWhatTheRulesAllow) {
    struct Case {
        const char* name;
        std::int32_t length;
        TimeValue seconds;
        bool tagged;
        bool stored;
        std::int32_t storedPlayed;
    };
    const Case cases[] = {
        {"most of a track", 100, 80, true, true, 80},
        {"nearly all counts as all", 100, 95, true, true, 100},
        {"a short listen", 300, 20, true, false, 0},
        {"long enough in seconds", 300, 30, true, true, 30},
        {"no tag", 100, 100, false, false, 0},
    };
    views.exists = true;
    profile.writeInt(sectionGeneral(), "RefreshOnEachTrack", 1);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = "song" + std::to_string(n++) + ".mp3";
        const std::string path = c.tagged ? song(name, "Artist", "Title") : dir.write(name, std::string(500, 'x'));
        const std::size_t recordsBefore = doc.records().size();
        const int refreshesBefore = views.refreshes;
        host.length = c.length;
        at(1000);
        docPoll(kPlaying, path);
        at(1000 + c.seconds);
        docPoll(kStopped);
        EXPECT_EQ(docMonitor.pending(), nullptr);
        ASSERT_EQ(doc.records().size(), recordsBefore + (c.stored ? 1 : 0));
        EXPECT_EQ(views.refreshes, refreshesBefore + (c.stored ? 1 : 0));
        if (c.stored) {
            const CTrackRecord& r = *doc.records().back();
            EXPECT_EQ(r.path, path);
            EXPECT_EQ(r.length, c.length);
            EXPECT_EQ(r.played, c.storedPlayed);
            EXPECT_EQ(r.date, 1000);
            EXPECT_EQ(r.tag.artist(), "Artist");
        }
    }
}

TEST_F(MonitorWithDoc, QuitStoresThePlayingTrack) {
    const std::string path = song("q.mp3", "Artist", "Title");
    host.length = 200;
    at(1000);
    docPoll(kPlaying, path);
    at(1045);
    docMonitor.stopPolling();
    ASSERT_EQ(doc.records().size(), 1u);
    EXPECT_EQ(doc.records()[0]->played, 45);
}

TEST_F(MonitorWithDoc, MissingArtistIsRefused) {
    const std::string path = song("noartist.mp3", "", "Title");
    host.length = 100;
    at(1000);
    docPoll(kPlaying, path);
    at(1100);
    docPoll(kStopped);
    EXPECT_TRUE(doc.records().empty());
}

TEST(PlayStateCode, MapsTheAnswerOfTheStateRequest) {
    EXPECT_EQ(playStateFromCode(0), PlayState::Stopped);
    EXPECT_EQ(playStateFromCode(1), PlayState::Playing);
    for (std::int64_t other : {std::int64_t{3}, std::int64_t{2}, std::int64_t{-1}, std::int64_t{0x100000001LL}})
        EXPECT_EQ(playStateFromCode(other), PlayState::Paused) << other;
}

}  // namespace

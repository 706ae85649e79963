// gen_test.dll: a general-purpose plug-in of the tests' own. Loaded by the stand-in player, it
// runs the real CWinampLink and CPlaybackMonitor on timer 0 of the player's window and writes
// what they saw to a log file that the test reads after the player exits:
//   init <window ok|missing>          once, then a probe
//   state <stopped|playing|paused>    each change of the state the link reads
//   file "<path>"                     each change of the path the link reads
//   length <n>                        each length the link returns
//   finished "<path>" length <l> played <p>   each play the monitor hands to the database
//   probe state <s> file "<path>"     at init (no length: the playlist may be empty)
//   probe state <s> file "<path>" length <n> ms <elapsed>   at each config
//   config / quit
// Environment: GEN_TEST_LOG names the log file (default gen_test.log beside the DLL);
// GEN_TEST_MONITOR=0 leaves the monitor off, so that only the probes ask the player;
// GEN_TEST_CONFIG_BOX=1 makes config show a message box captioned "gen_test config", and
// GEN_TEST_INIT_BOX=1 makes init show one captioned "gen_test init" (the player closes them).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/AppContext.h"
#include "core/Clock.h"
#include "plugin/PlaybackMonitor.h"
#include "core/Profile.h"
#include "plugin/win/PluginRecord.h"
#include "plugin/win/WinampLink.h"
#include "plugin/win/WindowTimer.h"

namespace {

FILE* g_log = nullptr;

void note(const char* format, ...) {
    if (!g_log) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_log, format, args);
    va_end(args);
    std::fputc('\n', g_log);
    std::fflush(g_log);
}

// The link as the monitor uses it, noting each change of what it reads.
class RecordingHost : public IWinampHost {
public:
    explicit RecordingHost(CWinampLink& link) : link_(link) {}
    PlayState playState() override {
        const PlayState s = link_.playState();
        if (!seenState_ || s != state_) note("state %s", playStateName(s));
        seenState_ = true;
        state_ = s;
        return s;
    }
    std::string currentFile() override {
        std::string f = link_.currentFile();
        if (!seenFile_ || f != file_) note("file \"%s\"", f.c_str());
        seenFile_ = true;
        file_ = f;
        return f;
    }
    std::int32_t trackLengthSeconds() override {
        const std::int32_t n = link_.trackLengthSeconds();
        note("length %d", static_cast<int>(n));
        return n;
    }

private:
    CWinampLink& link_;
    bool seenState_ = false, seenFile_ = false;
    PlayState state_ = PlayState::Stopped;
    std::string file_;
};

class RecordingSink : public ITrackSink {
public:
    bool AddTrack(const CTrackRecord& r) override {
        note("finished \"%s\" length %d played %d", r.path.c_str(), static_cast<int>(r.length), static_cast<int>(r.played));
        return true;
    }
};

struct TestPlugin {
    explicit TestPlugin(HWND window)
        : link(window), host(link), timer(window, CPlaybackMonitor::kPollTimerId, CPlaybackMonitor::kPollPeriodMs,
                                          [this] { monitor.pollPlayback(); }),
          monitor(context, host, timer, sink) {
    }
    MemoryProfile profile;
    SystemClock clock;
    CNoMessages noMessages;
    AppContext context{profile, noMessages, clock, systemFileSystem()};
    CWinampLink link;
    RecordingHost host;
    RecordingSink sink;
    CWindowTimer timer;
    CPlaybackMonitor monitor;
};

std::unique_ptr<TestPlugin> g_plugin;
char g_description[] = "Test plug-in of the playback tests";

int init();
void config();
void quit();
winampGeneralPurposePlugin g_record = {kGeneralPurposePluginVersion, g_description, init, config, quit, nullptr, nullptr};

bool envIs(const char* name, const char* value) {
    const char* set = std::getenv(name);
    return set && std::string(set) == value;
}

void probe(bool withLength) {
    CWinampLink& link = g_plugin->link;
    const PlayState s = link.playState();
    const std::string f = link.currentFile();
    if (!withLength) {
        note("probe state %s file \"%s\"", playStateName(s), f.c_str());
        return;
    }
    const DWORD start = GetTickCount();
    const std::int32_t n = link.trackLengthSeconds();
    note("probe state %s file \"%s\" length %d ms %lu", playStateName(s), f.c_str(), static_cast<int>(n),
         static_cast<unsigned long>(GetTickCount() - start));
}

std::string defaultLogPath() {
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(g_record.hDllInstance, path, sizeof path);
    std::string p = path;
    return p.substr(0, p.find_last_of('\\') + 1) + "gen_test.log";
}

int init() {
    try {
        const char* logPath = std::getenv("GEN_TEST_LOG");
        g_log = std::fopen(logPath && *logPath ? logPath : defaultLogPath().c_str(), "wb");
        g_plugin = std::make_unique<TestPlugin>(g_record.hwndParent);
        note("init window %s", IsWindow(g_record.hwndParent) ? "ok" : "missing");
        probe(false);
        if (envIs("GEN_TEST_INIT_BOX", "1")) {
            const int answer = MessageBoxA(nullptr, "init of the test plug-in", "gen_test init", MB_OK);
            note("init box closed (%d)", answer);
        }
        if (!envIs("GEN_TEST_MONITOR", "0")) g_plugin->monitor.startPolling();
        return 0;
    } catch (...) {
        return 1;
    }
}

void config() {
    try {
        note("config");
        probe(true);
        if (envIs("GEN_TEST_CONFIG_BOX", "1")) {
            const int answer = MessageBoxA(g_record.hwndParent, "config of the test plug-in", "gen_test config", MB_OK);
            note("config box closed (%d)", answer);
        }
    } catch (...) {
    }
}

void quit() {
    try {
        if (g_plugin) g_plugin->monitor.stopPolling();
        note("quit");
        g_plugin.reset();
        if (g_log) std::fclose(g_log);
        g_log = nullptr;
    } catch (...) {
    }
}

}  // namespace

extern "C" __declspec(dllexport) winampGeneralPurposePlugin* winampGetGeneralPurposePlugin() { return &g_record; }

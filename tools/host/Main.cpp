// WinAmp.exe, the project's stand-in for the player: it loads the general-purpose plug-ins of
// its Plugins folder, plays a playback script (see PlaybackScript.h) and logs what it does and
// which requests it answered on standard output.
//
//   WinAmp.exe [/script] <script file>   plays the script
//   WinAmp.exe [/play] <media file>      like the player: hands the file to the running
//                                        instance, or starts and plays it until closed
// Without /script or /play, a file with a media extension (.mp3, .wav, ...) is a media file.
// Exit codes: 0 done, 1 the player could not run, 2 bad command line or script.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/host/HostWindow.h"
#include "tools/host/Log.h"
#include "tools/host/PlaybackScript.h"
#include "tools/host/ScriptSteps.h"
#include "tools/host/WindowCloser.h"
#include "plugin/win/PluginRecord.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadInput = 2;

int complain(const std::string& text, int code) {
    std::fprintf(stderr, "WinAmp.exe: %s\n", text.c_str());
    std::fflush(stderr);
    return code;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string fullPath(const std::string& path) {
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
}

bool isMediaFile(const std::string& path) {
    static const char* const kExtensions[] = {"mp3", "mp2", "mp1", "mpa", "wav", "ogg", "oga", "wma", "flac", "m4a",
                                              "aac", "ape", "mpc", "wv",  "mod", "xm",  "s3m", "it",  "mid", "midi",
                                              "cda", "voc", "aif", "aiff", "au"};
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("\\/", dot) != std::string::npos) return false;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return std::find_if(std::begin(kExtensions), std::end(kExtensions),
                        [&](const char* e) { return ext == e; }) != std::end(kExtensions);
}

// Hands a file to the instance that runs, as the player does when started with a file.
int handOver(HWND running, const std::string& file) {
    const std::string path = fullPath(file);
    logLine("another instance runs: handing over " + quoted(path));
    COPYDATASTRUCT data = {};
    data.dwData = kHandOverFile;
    data.cbData = static_cast<DWORD>(path.size() + 1);
    data.lpData = const_cast<char*>(path.c_str());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                             &result) ||
        !result)
        return complain("the running instance did not take " + quoted(path), kExitFailed);
    logLine("handed over, exiting");
    return 0;
}

class Session {
public:
    bool start(const std::string& exeFolder) {
        if (!stage_.window.create()) return false;
        logLine(std::string("main window of class ") + quoted(kWinampWindowClass) + " created; screen " +
                std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN)));
        stage_.driver = UserDriver(stage_.window.handle());
        stage_.pluginFolder = exeFolder + "\\Plugins";
        return true;
    }

    // Plays the script. The commands run from a thread timer as well as from this loop: the
    // timer ticks in every message loop of the thread, so a menu, a modal dialog or a message
    // box that a command starts does not stop the script, and later commands can drive it.
    void run(const std::vector<ScriptCommand>& commands) {
        commands_ = commands;
        g_session = this;
        const UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, &Session::tick);
        while (!finished_) {
            pump();
            if (!stepOne() && !finished_) idle();
        }
        if (timer) KillTimer(nullptr, timer);
        g_session = nullptr;
    }

    int finish() {
        stage_.loadPlugins();  // a script of settings only still starts and stops the plug-ins
        stage_.window.update();
        stage_.plugins.quitAll();
        // A hook left in place would call into an unloaded library.
        stage_.logProcedure();
        WindowCloser::disarm();
        logLine(stage_.window.requestSummary());
        logLine("exit 0");
        return 0;
    }

private:
    void pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                stage_.window.closeRequested = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        stage_.window.update();
    }

    // Runs the next command if it is due; false when it has to wait (for a time, a window, a
    // menu, the main window's close) or the script has ended. One command at a time, with the
    // messages it posted handled before the next: the loop pumps between commands, and a modal
    // loop handles posted messages before it lets the timer tick again. Re-entered from the
    // timer inside a modal loop that a command started: the command is taken before it runs,
    // so each runs once.
    bool stepOne() {
        HostWindow& window = stage_.window;
        window.update();
        if (finished_) return false;
        if (stage_.waitingForClose) {
            if (!window.closeRequested) return false;
            stage_.waitingForClose = false;
            logLine("the main window was closed");
        }
        const double now = elapsedSeconds();
        const bool atEnd = next_ >= commands_.size();
        if (window.closeRequested && !atEnd) {
            logLine("script stopped: the main window was closed");
            finished_ = true;
            return false;
        }
        if (now < stage_.resumeAt && !window.closeRequested) return false;
        if (atEnd) {
            logLine("end of the script");
            finished_ = true;
            return false;
        }
        if (busy_) return false;
        const ScriptCommand& cmd = commands_[next_];
        // A command that runs the plug-ins' own code (init, config) holds the script until it
        // returns, even while a window it shows runs its own loop: what it shows is closed by
        // "dismiss" or "config <seconds>". The driving commands only post, so they never hold it.
        busy_ = true;
        if (!isScriptSetting(cmd.op)) stage_.loadPlugins();
        const bool ready = scriptCommandReady(stage_, cmd, now);
        if (ready) {
            ++next_;
            runScriptCommand(stage_, cmd, elapsedSeconds());
            if (stage_.quit) finished_ = true;
        }
        busy_ = false;
        return ready && !finished_;
    }

    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (g_session) g_session->stepOne();
    }

    // Sleeps until a message comes, a wait ends or a track is due to end (so that the log
    // shows the end when it happens); a command that waits for a window is looked at again
    // at every tick.
    void idle() {
        const double now = elapsedSeconds();
        double until = stage_.waitingForClose ? 1e9 : stage_.resumeAt - now;
        if (!stage_.waitingForClose && next_ < commands_.size() && until <= 0) until = kTickMs / 1000.0;
        const double trackEnd = stage_.player.secondsToTrackEnd(now);
        if (trackEnd >= 0) until = std::min(until, trackEnd);
        if (until < 0) until = 0;
        const DWORD ms = until >= 1e6 ? INFINITE : static_cast<DWORD>(std::ceil(until * 1000));
        MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }

    static constexpr UINT kTickMs = 20;
    static Session* g_session;

    std::vector<ScriptCommand> commands_;
    std::size_t next_ = 0;
    bool finished_ = false;
    bool busy_ = false;  // a command runs: the timer must not start another
    ScriptStage stage_;
};

Session* Session::g_session = nullptr;

std::string exeFolder() {
    char buffer[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return folderOf(std::string(buffer, n));
}

int usage() {
    return complain("usage: WinAmp.exe [/script] <playback script> | WinAmp.exe [/play] <media file>", kExitBadInput);
}

int runMain(int argc, char** argv) {
    std::string file;
    enum { Guess, Script, Media } kind = Guess;
    if (argc == 2) {
        file = argv[1];
    } else if (argc == 3 && (std::string(argv[1]) == "/script" || std::string(argv[1]) == "/play")) {
        kind = std::string(argv[1]) == "/script" ? Script : Media;
        file = argv[2];
    } else {
        return usage();
    }
    if (file.empty()) return usage();
    if (kind == Guess) kind = isMediaFile(file) ? Media : Script;

    std::vector<ScriptCommand> commands;
    if (kind == Media) {
        if (HWND running = FindWindowA(kWinampWindowClass, nullptr)) return handOver(running, file);
        // No instance runs: this one plays the file until its window is closed.
        ScriptCommand play;
        play.op = ScriptOp::Play;
        play.path = fullPath(file);
        play.number = 180;
        ScriptCommand hold;
        hold.op = ScriptOp::WaitForever;
        commands = {play, hold};
        logLine("playing " + quoted(play.path));
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) return complain("cannot open the playback script " + quoted(file), kExitBadInput);
        std::ostringstream text;
        text << in.rdbuf();
        ParsedScript script = parsePlaybackScript(text.str(), file, folderOf(fullPath(file)));
        if (!script.ok()) return complain(script.error, kExitBadInput);
        commands = std::move(script.commands);
        logLine("playback script " + quoted(file) + ": " + std::to_string(commands.size()) + " commands");
    }

    Session session;
    if (!session.start(exeFolder())) return complain("cannot create the main window", kExitFailed);
    session.run(commands);
    return session.finish();
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends, so that tests reading the log see the same lines on every system.
    _setmode(_fileno(stdout), _O_BINARY);
    try {
        return runMain(argc, argv);
    } catch (const std::exception& e) {
        return complain(std::string("failed: ") + e.what(), kExitFailed);
    }
}

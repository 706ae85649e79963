// The stand-in player's playback script parser and its playlist model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/host/PlaybackScript.h"
#include "tools/host/Player.h"

namespace {

TEST(PlaybackScript, ParsesEveryCommand) {
    const std::string text =
        "# comment\n"
        "\n"
        "play \"C:\\My Music\\a.mp3\" 200\r\n"
        "  next b.mp3 -1\n"
        "add \\\\server\\share\\c.mp3 0\n"
        "replay\npause\nresume\nstop\n"
        "wait 1.5\nwait forever\n"
        "length-delay 3\ndefault-length 90\n"
        "config\nconfig 2\n"
        "dismiss 0.5\ndismiss off\n"
        "log-requests all\n"
        "echo   hello  world \n"
        "check-hook\nkill-timer 1\n"
        "quit\n";
    ParsedScript s = parsePlaybackScript(text, "s.txt", "D:\\scripts");
    ASSERT_TRUE(s.ok()) << s.error;
    const std::vector<ScriptOp> ops = {ScriptOp::Play,   ScriptOp::Next,        ScriptOp::Add,        ScriptOp::Replay,
                                       ScriptOp::Pause,  ScriptOp::Resume,      ScriptOp::Stop,       ScriptOp::Wait,
                                       ScriptOp::WaitForever, ScriptOp::LengthDelay, ScriptOp::DefaultLength,
                                       ScriptOp::Config, ScriptOp::Config,      ScriptOp::Dismiss,    ScriptOp::Dismiss,
                                       ScriptOp::LogRequests, ScriptOp::Echo,   ScriptOp::CheckHook,
                                       ScriptOp::KillTimer,   ScriptOp::Quit};
    ASSERT_EQ(s.commands.size(), ops.size());
    for (std::size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(s.commands[i].op, ops[i]) << i;
    EXPECT_EQ(s.commands[0].path, "C:\\My Music\\a.mp3");
    EXPECT_EQ(s.commands[0].number, 200);
    EXPECT_EQ(s.commands[0].line, 3);
    EXPECT_EQ(s.commands[1].path, "D:\\scripts\\b.mp3");
    EXPECT_EQ(s.commands[1].number, -1);
    EXPECT_EQ(s.commands[2].path, "\\\\server\\share\\c.mp3");
    EXPECT_EQ(s.commands[7].seconds, 1.5);
    EXPECT_EQ(s.commands[9].number, 3);
    EXPECT_EQ(s.commands[10].number, 90);
    EXPECT_FALSE(s.commands[11].closeAfter);
    EXPECT_TRUE(s.commands[12].closeAfter);
    EXPECT_EQ(s.commands[12].seconds, 2.0);
    EXPECT_TRUE(s.commands[13].closeAfter);
    EXPECT_EQ(s.commands[13].seconds, 0.5);
    EXPECT_FALSE(s.commands[14].closeAfter);
    EXPECT_TRUE(s.commands[15].allRequests);
    EXPECT_EQ(s.commands[16].text, "hello  world ");
    EXPECT_EQ(s.commands[18].number, 1);
    // Settings may run before the plug-ins load; anything that plays or calls them may not.
    for (ScriptOp op : {ScriptOp::LengthDelay, ScriptOp::DefaultLength, ScriptOp::LogRequests, ScriptOp::Dismiss,
                        ScriptOp::Echo})
        EXPECT_TRUE(isScriptSetting(op)) << scriptOpName(op);
    // The checks look at the plug-ins' work: they load them first.
    for (ScriptOp op : {ScriptOp::Play, ScriptOp::Wait, ScriptOp::Config, ScriptOp::Quit, ScriptOp::Pause,
                        ScriptOp::CheckHook, ScriptOp::KillTimer})
        EXPECT_FALSE(isScriptSetting(op)) << scriptOpName(op);
}

TEST(PlaybackScript, WidePathsAndMetadataAreSettings) {
    ParsedScript s = parsePlaybackScript("wide-paths on\nmetadata b.ogg title \"Two words\"\nwide-paths off\n", "s.txt",
                                         "D:\\scripts");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.commands.size(), 3u);
    EXPECT_TRUE(s.commands[0].allRequests);
    EXPECT_EQ(s.commands[1].path, "D:\\scripts\\b.ogg");
    EXPECT_EQ(s.commands[1].word, "title");
    EXPECT_EQ(s.commands[1].text, "Two words");
    EXPECT_FALSE(s.commands[2].allRequests);
    for (const ScriptCommand& c : s.commands) EXPECT_TRUE(isScriptSetting(c.op)) << scriptOpName(c.op);
}

TEST(PlaybackScript, BadLinesNameTheLineAndWhatIsWrong) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"jump 3", "s.txt:2: unknown command \"jump\""},
        {"Play a.mp3 3", "s.txt:2: unknown command \"Play\""},
        {"play a.mp3", "s.txt:2: usage: play <path> <length in seconds>"},
        {"play a.mp3 3 4", "s.txt:2: usage: play <path> <length in seconds>"},
        {"play a.mp3 three", "s.txt:2: bad track length \"three\" (whole seconds, or -1 for unknown)"},
        {"play a.mp3 -2", "s.txt:2: bad track length \"-2\" (whole seconds, or -1 for unknown)"},
        {"play a.mp3 99999999999999", "s.txt:2: bad track length \"99999999999999\" (whole seconds, or -1 for unknown)"},
        {"play \"\" 3", "s.txt:2: empty path"},
        {"play \"a.mp3 3", "s.txt:2: missing closing quote"},
        {"play \"a\"b 3", "s.txt:2: a quoted token must be followed by a blank"},
        {"wait", "s.txt:2: usage: wait <seconds> | wait forever"},
        {"wait -1", "s.txt:2: bad number of seconds \"-1\""},
        {"wait nan", "s.txt:2: bad number of seconds \"nan\""},
        {"wait 1e400", "s.txt:2: bad number of seconds \"1e400\""},
        {"wait 2s", "s.txt:2: bad number of seconds \"2s\""},
        {"length-delay -1", "s.txt:2: usage: length-delay <number of -1 answers>"},
        {"config 1 2", "s.txt:2: usage: config [<seconds before closing its windows>]"},
        {"dismiss", "s.txt:2: usage: dismiss <seconds> | dismiss off"},
        {"dismiss never", "s.txt:2: bad number of seconds \"never\""},
        {"log-requests some", "s.txt:2: usage: log-requests all|changes"},
        {"pause now", "s.txt:2: \"pause\" takes no arguments"},
        {"check-hook now", "s.txt:2: \"check-hook\" takes no arguments"},
        {"kill-timer", "s.txt:2: usage: kill-timer <timer id>"},
        {"kill-timer one", "s.txt:2: usage: kill-timer <timer id>"},
        {"kill-timer -1", "s.txt:2: usage: kill-timer <timer id>"},
        {"wide-paths yes", "s.txt:2: usage: wide-paths on|off"},
        {"metadata a.ogg rating 5", "s.txt:2: usage: metadata <path> artist|title|album|year|comment|genre <value>"},
        {"metadata a.ogg title", "s.txt:2: usage: metadata <path> artist|title|album|year|comment|genre <value>"},
    };
    for (const auto& c : cases) {
        ParsedScript s = parsePlaybackScript(std::string("stop\n") + c.line + "\nquit\n", "s.txt", "");
        EXPECT_EQ(s.error, c.error) << c.line;
        EXPECT_TRUE(s.commands.empty()) << c.line;
    }
}

TEST(PlaybackScript, DrivingCommandsNameAWindowAndWhatToDoWithIt) {
    // line, op, window, prefix, control, number, number2, word
    const struct {
        const char* line;
        ScriptOp op;
        const char* window;
        bool prefix;
        int control, number, number2;
        const char* word;
    } cases[] = {
        {"tray left", ScriptOp::Tray, "", false, 0, 0x201, 1224, ""},
        {"tray right 7", ScriptOp::Tray, "", false, 0, 0x204, 7, ""},
        {"tray 513", ScriptOp::Tray, "", false, 0, 513, 1224, ""},
        {"menu 32774", ScriptOp::Menu, "", false, 0, 32774, 0, ""},
        {"menu none", ScriptOp::Menu, "", false, 0, 0, 0, ""},
        {"wait-window \"Dozoderi Playtally*\"", ScriptOp::WaitWindow, "Dozoderi Playtally", true, 0, 0, 0, ""},
        {"wait-gone About", ScriptOp::WaitGone, "About", false, 0, 0, 0, ""},
        {"click \"A b\" 1012", ScriptOp::Click, "A b", false, 1012, 0, 0, ""},
        {"type W 1022 \"\"", ScriptOp::Type, "W", false, 1022, 0, 0, ""},
        {"type W 1022 12", ScriptOp::Type, "W", false, 1022, 0, 0, "12"},
        {"key W 1010 delete", ScriptOp::Key, "W", false, 1010, 0x2E, 0, ""},
        {"key W 1010 65", ScriptOp::Key, "W", false, 1010, 65, 0, ""},
        {"pick W 1019 Day", ScriptOp::Pick, "W", false, 1019, 0, 0, "Day"},
        {"date W 1024 2025-02-28", ScriptOp::Date, "W", false, 1024, 0, 0, "2025-02-28"},
        {"row W* 1010 3 right", ScriptOp::Row, "W", true, 1010, 0, 3, "right"},
        {"column W 1010 0 hover", ScriptOp::Column, "W", false, 1010, 0, 0, "hover"},
        {"hover W 0", ScriptOp::Hover, "W", false, 0, 0, 0, ""},
        {"resize W 300 200", ScriptOp::Resize, "W", false, 0, 300, 200, ""},
        {"drag W -20 15", ScriptOp::Drag, "W", false, 0, -20, 15, ""},
        {"close W", ScriptOp::Close, "W", false, 0, 0, 0, ""},
        {"log-window W", ScriptOp::LogWindow, "W", false, 0, 0, 0, ""},
    };
    for (const auto& c : cases) {
        ParsedScript s = parsePlaybackScript(c.line, "s.txt", "D:\\x");
        ASSERT_TRUE(s.ok()) << c.line << ": " << s.error;
        ASSERT_EQ(s.commands.size(), 1u) << c.line;
        const ScriptCommand& cmd = s.commands[0];
        EXPECT_EQ(cmd.op, c.op) << c.line;
        EXPECT_EQ(cmd.window, c.window) << c.line;
        EXPECT_EQ(cmd.prefix, c.prefix) << c.line;
        EXPECT_EQ(cmd.control, c.control) << c.line;
        EXPECT_EQ(cmd.number, c.number) << c.line;
        EXPECT_EQ(cmd.number2, c.number2) << c.line;
        if (c.op != ScriptOp::Key) EXPECT_EQ(cmd.word, c.word) << c.line;
        EXPECT_FALSE(isScriptSetting(cmd.op)) << c.line;
    }
    ParsedScript shot = parsePlaybackScript("screenshot W shots\\w.png\nwait-window W 2.5", "s.txt", "D:\\x");
    ASSERT_TRUE(shot.ok()) << shot.error;
    EXPECT_EQ(shot.commands[0].path, "D:\\x\\shots\\w.png");
    EXPECT_EQ(shot.commands[1].seconds, 2.5);

    const struct {
        const char* line;
        const char* error;
    } bad[] = {
        {"tray", "s.txt:1: usage: tray left|right|double|move|<lParam> [<icon id>]"},
        {"tray middle", "s.txt:1: bad tray event \"middle\""},
        {"menu", "s.txt:1: usage: menu <command id>|none"},
        {"menu 0", "s.txt:1: usage: menu <command id>|none"},
        {"click", "s.txt:1: usage: click: a window caption first"},
        {"click *", "s.txt:1: usage: click: a window caption first"},
        {"click W", "s.txt:1: usage: click <window> <control id>"},
        {"click W 70000", "s.txt:1: usage: click <window> <control id>"},
        {"type W 1022", "s.txt:1: usage: type <window> <edit id> <text>"},
        {"key W 1 f13", "s.txt:1: usage: key <window> <control id> delete|enter|escape|tab|space|up|down|<virtual key>"},
        {"date W 1024 2025-13-01", "s.txt:1: usage: date <window> <picker id> <yyyy-mm-dd>"},
        {"date W 1024 25-01-01", "s.txt:1: usage: date <window> <picker id> <yyyy-mm-dd>"},
        {"row W 1010 -1 click", "s.txt:1: usage: row <window> <list id> <row> click|double|right"},
        {"row W 1010 0 hover", "s.txt:1: usage: row <window> <list id> <row> click|double|right"},
        {"column W 1010 0 double", "s.txt:1: usage: column <window> <list id> <column> click|hover"},
        {"resize W 10", "s.txt:1: usage: resize <window> <width> <height>"},
        {"drag W 5", "s.txt:1: usage: drag <window> <dx> <dy>"},
        {"wait-window W soon", "s.txt:1: usage: wait-window <window> [<seconds>]"},
        {"close W now", "s.txt:1: usage: close <window>"},
        {"screenshot W", "s.txt:1: usage: screenshot <window> <file.png>"},
    };
    for (const auto& b : bad) EXPECT_EQ(parsePlaybackScript(b.line, "s.txt", "").error, b.error) << b.line;
}

TEST(PlaybackScript, WaitsForBackgroundWorkTakeATextOrAFileAndADeadline) {
    ParsedScript s = parsePlaybackScript("wait-log \"handed over by\"\nwait-change db.dat 75\nwait-change C:\\x.dat",
                                         "s.txt", "D:\\x");
    ASSERT_TRUE(s.ok()) << s.error;
    ASSERT_EQ(s.commands.size(), 3u);
    EXPECT_EQ(s.commands[0].op, ScriptOp::WaitLog);
    EXPECT_EQ(s.commands[0].text, "handed over by");
    EXPECT_EQ(s.commands[0].seconds, 10);
    EXPECT_EQ(s.commands[1].op, ScriptOp::WaitChange);
    EXPECT_EQ(s.commands[1].path, "D:\\x\\db.dat");
    EXPECT_EQ(s.commands[1].seconds, 75);
    EXPECT_EQ(s.commands[2].path, "C:\\x.dat");
    for (const char* bad : {"wait-log", "wait-log \"\"", "wait-log a 1 2", "wait-change f soon", "wait-change"}) {
        const std::string error = parsePlaybackScript(bad, "s.txt", "").error;
        EXPECT_EQ(error.rfind("s.txt:1: usage: wait-", 0), 0u) << bad << ": " << error;
    }
}

TEST(PlaybackScript, RelativePathsAreTakenFromTheScriptFolder) {
    EXPECT_EQ(resolveScriptPath("a.mp3", "Z:\\tmp\\x"), "Z:\\tmp\\x\\a.mp3");
    EXPECT_EQ(resolveScriptPath("sub\\a.mp3", "Z:\\tmp\\"), "Z:\\tmp\\sub\\a.mp3");
    EXPECT_EQ(resolveScriptPath("C:\\a.mp3", "Z:\\tmp"), "C:\\a.mp3");
    EXPECT_EQ(resolveScriptPath("\\a.mp3", "Z:\\tmp"), "\\a.mp3");
    EXPECT_EQ(resolveScriptPath("a.mp3", ""), "a.mp3");
}

class PlayerTest : public ::testing::Test {
protected:
    Player player{[this](const std::string& line) { log.push_back(line); }};
    std::vector<std::string> log;
};

TEST_F(PlayerTest, AnswersFollowPlayPauseStop) {
    EXPECT_EQ(player.answerState(), 0);
    EXPECT_EQ(player.answerPath(0), nullptr);  // empty playlist: a null path
    EXPECT_EQ(player.answerLength(1, 0), -1);
    player.play("a.mp3", 100, 0);
    EXPECT_EQ(player.answerState(), 1);
    EXPECT_EQ(player.answerIndex(), 0);
    EXPECT_STREQ(player.answerPath(0), "a.mp3");
    EXPECT_EQ(player.answerPath(1), nullptr);
    EXPECT_EQ(player.answerLength(1, 10), 100);
    EXPECT_EQ(player.answerLength(0, 10.5), 10500);
    EXPECT_TRUE(player.pause(20));
    EXPECT_EQ(player.answerState(), 3);
    EXPECT_FALSE(player.pause(21));
    EXPECT_EQ(player.position(50), 20);
    EXPECT_TRUE(player.resume(50));
    EXPECT_EQ(player.position(60), 30);
    EXPECT_TRUE(player.stop(60));
    EXPECT_FALSE(player.stop(61));
    EXPECT_EQ(player.answerState(), 0);
    EXPECT_EQ(player.answerLength(1, 61), -1);
    EXPECT_TRUE(player.replay(70));
    EXPECT_EQ(player.position(75), 5);
}

TEST_F(PlayerTest, LengthIsDelayedForEachNewTrack) {
    player.setLengthDelay(2);
    player.play("a.mp3", 100, 0);
    EXPECT_EQ(player.answerLength(1, 0), -1);
    EXPECT_EQ(player.answerLength(1, 0), -1);
    EXPECT_EQ(player.answerLength(1, 0), 100);
    EXPECT_EQ(player.answerLength(1, 0), 100);
    player.next("b.mp3", 50, 1);
    EXPECT_EQ(player.answerLength(1, 1), -1);
    EXPECT_EQ(player.answerLength(1, 1), -1);
    EXPECT_EQ(player.answerLength(1, 1), 50);
}

TEST_F(PlayerTest, TracksEndIntoTheNextEntryOrStop) {
    player.play("a.mp3", 10, 0);
    player.add("b.mp3", 5);
    player.add("c.mp3", 0);
    EXPECT_EQ(player.secondsToTrackEnd(4), 6);
    ASSERT_TRUE(player.pause(4));
    player.resume(8);  // 4 s of pause push the end back
    player.update(13.9);
    EXPECT_EQ(player.answerIndex(), 0);
    player.update(14);
    EXPECT_EQ(player.answerIndex(), 1);
    EXPECT_EQ(player.position(15), 1);
    player.update(19);  // b ends at 19, and c (length 0) at once
    EXPECT_EQ(player.state(), Player::State::Stopped);
    EXPECT_EQ(player.answerIndex(), 2);
    EXPECT_EQ(player.secondsToTrackEnd(20), -1);
}

TEST_F(PlayerTest, UnknownLengthNeverEnds) {
    player.play("stream", -1, 0);
    player.update(1e6);
    EXPECT_EQ(player.state(), Player::State::Playing);
    EXPECT_EQ(player.answerLength(1, 1e6), -1);
    EXPECT_EQ(player.secondsToTrackEnd(1e6), -1);
}

TEST_F(PlayerTest, PathPointersStayValidWhileTheirEntryStays) {
    player.play("a.mp3", 100, 0);
    const char* a = player.answerPath(0);
    for (int i = 0; i < 100; ++i) player.add("entry" + std::to_string(i) + ".mp3", 10);
    player.next("b.mp3", 10, 1);  // inserted after a: later entries move, a does not
    EXPECT_EQ(player.answerPath(0), a);
    EXPECT_STREQ(a, "a.mp3");
    EXPECT_STREQ(player.answerPath(1), "b.mp3");
    EXPECT_EQ(player.answerIndex(), 1);
}

TEST_F(PlayerTest, NextOnAnEmptyPlaylistPlaysTheFirstEntry) {
    player.next("a.mp3", 10, 0);
    EXPECT_EQ(player.answerIndex(), 0);
    EXPECT_EQ(player.answerState(), 1);
    EXPECT_FALSE(Player([](const std::string&) {}).replay(0));
}

}  // namespace

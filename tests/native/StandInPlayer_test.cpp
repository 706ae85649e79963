// The stand-in player's playback script parser and its playlist model.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/PlaybackScript.h"
#include "host/Player.h"

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
    };
    for (const auto& c : cases) {
        ParsedScript s = parsePlaybackScript(std::string("stop\n") + c.line + "\nquit\n", "s.txt", "");
        EXPECT_EQ(s.error, c.error) << c.line;
        EXPECT_TRUE(s.commands.empty()) << c.line;
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

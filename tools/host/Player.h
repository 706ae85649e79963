// The stand-in player's playlist and playback, without windows: what plays, since when, and the
// answers to the four requests. Time is passed in as seconds since the player started.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Player {
public:
    enum class State { Stopped, Playing, Paused };
    using Log = std::function<void(const std::string&)>;

    explicit Player(Log log) : log_(std::move(log)) {}

    // The playlist becomes this one entry, which plays from its start.
    // `wide` is the entry's wide name ("": the player makes it from the ANSI path).
    void play(const std::string& path, int length, double now, const std::u16string& wide = {});
    // An entry after the current one, played at once.
    void next(const std::string& path, int length, double now, const std::u16string& wide = {});
    // An entry at the end of the playlist.
    void add(const std::string& path, int length, const std::u16string& wide = {});
    // Plays the current entry again from its start; false with an empty playlist.
    bool replay(double now);
    bool pause(double now);
    bool resume(double now);
    bool stop(double now);
    // Tracks started from now on answer -1 to the length request `count` times first.
    void setLengthDelay(int count) { lengthDelay_ = count; }

    // Ends the tracks whose time is up by `now`: the next entry plays, or the player stops.
    void update(double now);
    // Seconds from `now` until the playing track ends; negative when none will.
    double secondsToTrackEnd(double now) const;

    State state() const { return state_; }
    // Seconds the current entry has played.
    double position(double now) const;
    std::size_t entryCount() const { return entries_.size(); }

    // The answers to the requests.
    std::intptr_t answerState() const;                       // 104: 0, 1, or 3 when paused
    std::intptr_t answerLength(std::uintptr_t which, double now);  // 105: 1 length s, 0 position ms
    std::intptr_t answerIndex() const;                       // 125
    // 211: the entry's path, valid until that entry leaves the playlist; null past the end.
    const char* answerPath(std::uintptr_t index) const;
    // 214: the entry's wide name as the script gave it; null past the end, and "" when the
    // script gave none (the window then makes it from the ANSI path).
    const char16_t* answerWidePath(std::uintptr_t index) const;
    // The number of -1 answers the current track still gives.
    int delayedAnswersLeft() const { return delayLeft_; }

    // "playing entry 1 "C:\a.mp3" at 12.0 of 200 s", for logs and the window.
    std::string describe(double now) const;

private:
    struct Entry {
        std::string path;
        int length;  // seconds, -1 unknown
        std::u16string wide;
    };
    void startEntry(std::size_t index, double at);
    const Entry* current() const { return index_ < entries_.size() ? entries_[index_].get() : nullptr; }

    Log log_;
    // Entries never move: the path pointers handed out stay valid while the entry exists.
    std::vector<std::unique_ptr<Entry>> entries_;
    std::size_t index_ = 0;
    State state_ = State::Stopped;
    double positionBefore_ = 0;  // seconds played before the running stretch
    double stretchStart_ = 0;    // when the running stretch began
    int lengthDelay_ = 0;
    int delayLeft_ = 0;
};

#include "tools/host/Player.h"

#include <cstdio>

namespace {
std::string quoted(const std::string& s) { return "\"" + s + "\""; }
std::string seconds(double s) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", s);
    return buffer;
}
}  // namespace

void Player::startEntry(std::size_t index, double at) {
    index_ = index;
    state_ = State::Playing;
    positionBefore_ = 0;
    stretchStart_ = at;
    delayLeft_ = lengthDelay_;
    const Entry& e = *entries_[index_];
    log_("playing entry " + std::to_string(index_) + " " + quoted(e.path) + ", length " +
         (e.length < 0 ? std::string("unknown") : std::to_string(e.length) + " s") +
         (delayLeft_ ? ", " + std::to_string(delayLeft_) + " length answers of -1 first" : ""));
}

void Player::play(const std::string& path, int length, double now, const std::u16string& wide) {
    entries_.clear();
    entries_.push_back(std::make_unique<Entry>(Entry{path, length, wide}));
    startEntry(0, now);
}

void Player::next(const std::string& path, int length, double now, const std::u16string& wide) {
    update(now);
    const std::size_t at = entries_.empty() ? 0 : index_ + 1;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), std::make_unique<Entry>(Entry{path, length, wide}));
    startEntry(at, now);
}

void Player::add(const std::string& path, int length, const std::u16string& wide) {
    entries_.push_back(std::make_unique<Entry>(Entry{path, length, wide}));
    log_("added entry " + std::to_string(entries_.size() - 1) + " " + quoted(path));
}

bool Player::replay(double now) {
    update(now);
    if (!current()) return false;
    startEntry(index_, now);
    return true;
}

bool Player::pause(double now) {
    update(now);
    if (state_ != State::Playing) return false;
    positionBefore_ = position(now);
    state_ = State::Paused;
    log_("paused at " + seconds(positionBefore_) + " s");
    return true;
}

bool Player::resume(double now) {
    update(now);
    if (state_ != State::Paused) return false;
    stretchStart_ = now;
    state_ = State::Playing;
    log_("resumed at " + seconds(positionBefore_) + " s");
    return true;
}

bool Player::stop(double now) {
    update(now);
    if (state_ == State::Stopped) return false;
    log_("stopped at " + seconds(position(now)) + " s");
    state_ = State::Stopped;
    positionBefore_ = 0;
    return true;
}

double Player::position(double now) const {
    return state_ == State::Playing ? positionBefore_ + (now - stretchStart_) : positionBefore_;
}

double Player::secondsToTrackEnd(double now) const {
    const Entry* e = current();
    if (state_ != State::Playing || !e || e->length < 0) return -1;
    const double left = e->length - position(now);
    return left > 0 ? left : 0;
}

void Player::update(double now) {
    // A loop: entries of length 0 end as soon as they start.
    while (state_ == State::Playing) {
        const Entry* e = current();
        if (!e || e->length < 0) return;
        const double end = stretchStart_ + (e->length - positionBefore_);
        if (now < end) return;
        log_("entry " + std::to_string(index_) + " ended after " + std::to_string(e->length) + " s");
        if (index_ + 1 < entries_.size()) {
            startEntry(index_ + 1, end);
        } else {
            state_ = State::Stopped;
            positionBefore_ = 0;
            log_("end of the playlist: stopped");
        }
    }
}

std::intptr_t Player::answerState() const {
    switch (state_) {
    case State::Stopped: return 0;
    case State::Playing: return 1;
    case State::Paused: return 3;
    }
    return 0;
}

std::intptr_t Player::answerLength(std::uintptr_t which, double now) {
    const Entry* e = current();
    if (state_ == State::Stopped || !e) return -1;
    if (which == 0) return static_cast<std::intptr_t>(position(now) * 1000);
    if (which != 1) return -1;
    if (delayLeft_ > 0) {
        --delayLeft_;
        return -1;
    }
    return e->length;
}

std::intptr_t Player::answerIndex() const { return static_cast<std::intptr_t>(index_); }

const char* Player::answerPath(std::uintptr_t index) const {
    return index < entries_.size() ? entries_[index]->path.c_str() : nullptr;
}

const char16_t* Player::answerWidePath(std::uintptr_t index) const {
    return index < entries_.size() ? entries_[index]->wide.c_str() : nullptr;
}

std::string Player::describe(double now) const {
    const Entry* e = current();
    if (!e) return "stopped, empty playlist";
    const char* state = state_ == State::Playing ? "playing" : state_ == State::Paused ? "paused" : "stopped";
    std::string text = std::string(state) + " entry " + std::to_string(index_) + " " + quoted(e->path);
    if (state_ != State::Stopped)
        text += " at " + seconds(position(now)) + " of " + (e->length < 0 ? "?" : std::to_string(e->length)) + " s";
    return text;
}

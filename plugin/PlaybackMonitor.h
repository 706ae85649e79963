// The playback monitor: turns what the player plays into finished plays for the database.
// Twice a second (timer 0 of the player's main window) it reads the player's state, keeps one
// pending record for the track that plays, measures how long it really plays (pauses left
// out), and hands the record to the database when the track ends, changes or stops.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "database/TrackRecord.h"
#include "core/Timer.h"
#include "plugin/WinampHost.h"

struct AppContext;

class CDoc;

// Where finished plays go. The plug-in hands them to CDoc::AddTrack through CDocTrackSink.
class ITrackSink {
public:
    virtual ~ITrackSink() = default;
    // True when the play was stored. The record stays the caller's.
    virtual bool AddTrack(const CTrackRecord& pending) = 0;
};

class CDocTrackSink : public ITrackSink {
public:
    explicit CDocTrackSink(CDoc& doc) : doc_(doc) {}
    // Defined apart (DocTrackSink.cpp): code that never hands plays to a document, such as a
    // test plug-in, links without the database.
    bool AddTrack(const CTrackRecord& pending) override;

private:
    CDoc& doc_;
};

class CPlaybackMonitor {
public:
    // Timer 0 of the player's main window, every 500 ms, calls pollPlayback.
    static constexpr unsigned kPollTimerId = 0;
    static constexpr unsigned kPollPeriodMs = 500;

    // `context` gives the clock, the settings and the window hooks; `pollTimer` is the timer
    // whose ticks call pollPlayback.
    CPlaybackMonitor(AppContext& context, IWinampHost& host, ITimer& pollTimer, ITrackSink& sink);
    CPlaybackMonitor(const CPlaybackMonitor&) = delete;
    CPlaybackMonitor& operator=(const CPlaybackMonitor&) = delete;

    // Starts (or restarts) the poll timer.
    void startPolling();
    // One tick of the poll timer.
    void pollPlayback();
    // Kills the poll timer and hands the playing track to the database.
    void stopPolling();

    // True when there is no pending record or the player's current file is another one.
    bool isNewTrack();
    // Forgets the pending record and starts one for the player's current track, unless the
    // player cannot tell its length.
    void beginTrack();
    // Hands the pending record to the database (adding the running stretch when playing).
    void finishTrack();
    void pausePlay();
    void resumePlay();

    // The suspend flag (a copy of "NotStore"): while set, the poll does nothing at all.
    void setSuspended(bool suspended) { suspended_ = suspended; }
    bool suspended() const { return suspended_; }

    PlayState lastState() const { return lastState_; }
    const CTrackRecord* pending() const { return pending_.get(); }

private:
    AppContext& context_;
    IWinampHost& host_;
    ITimer& pollTimer_;
    ITrackSink& sink_;
    PlayState lastState_ = PlayState::Stopped;
    std::unique_ptr<CTrackRecord> pending_;
    // The file whose length the player could not give; not asked about again until it changes
    // or playback stops.
    std::optional<std::string> unmeasured_;
    bool suspended_ = false;
    // Set during a poll: a tick that arrives while the window refresh pumps messages is skipped.
    bool polling_ = false;
};

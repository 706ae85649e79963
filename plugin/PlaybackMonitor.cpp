#include "plugin/PlaybackMonitor.h"

#include <exception>

#include "core/AppContext.h"
#include "core/Clock.h"

CPlaybackMonitor::CPlaybackMonitor(AppContext& context, IWinampHost& host, ITimer& pollTimer, ITrackSink& sink)
    : context_(context), host_(host), pollTimer_(pollTimer), sink_(sink) {}

void CPlaybackMonitor::startPolling() { pollTimer_.start(); }

void CPlaybackMonitor::pollPlayback() {
    // Refreshing the Playtally window may pump messages, and with them this timer's next tick.
    // A nested poll would see the old last state and begin the same track twice.
    if (suspended_ || polling_) return;
    polling_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{polling_};

    const PlayState now = host_.playState();
    switch (now) {
    case PlayState::Paused:
        if (lastState_ == PlayState::Playing) pausePlay();
        break;
    case PlayState::Stopped:
        if (lastState_ != PlayState::Stopped) finishTrack();
        unmeasured_.reset();  // started again, the file gets a new chance
        break;
    case PlayState::Playing:
        if (isNewTrack()) {
            finishTrack();
            beginTrack();
        } else if (lastState_ == PlayState::Paused) {
            resumePlay();
        }
        break;
    }
    lastState_ = now;
}

void CPlaybackMonitor::stopPolling() {
    pollTimer_.stop();
    finishTrack();
}

bool CPlaybackMonitor::isNewTrack() {
    // Two names the code page cannot hold may read the same in it: the wide names tell them apart.
    return !pending_ || !pending_->HasPath(host_.currentFile(), host_.currentFileWide());
}

void CPlaybackMonitor::beginTrack() {
    pending_.reset();
    // A file whose length never came (a stream, say) is not asked about again while it plays:
    // each try blocks the player for about 5 seconds, and every poll would start another one.
    if (unmeasured_) {
        if (host_.currentFile() == *unmeasured_) return;
        unmeasured_.reset();
    }
    // The player may need a moment to know the length; this waits up to about 5 seconds.
    const std::int32_t length = host_.trackLengthSeconds();
    if (length == -1) {
        unmeasured_ = host_.currentFile();  // never known: the track goes unrecorded
        return;
    }
    pending_ = std::make_unique<CTrackRecord>(host_.currentFile(), length, context_.clock.now(), 0);
    pending_->widePath = host_.currentFileWide();
}

void CPlaybackMonitor::pausePlay() {
    if (pending_) pending_->EndStretch(context_.clock.now());
}

void CPlaybackMonitor::resumePlay() {
    if (pending_) pending_->StartStretch(context_.clock.now());
}

void CPlaybackMonitor::finishTrack() {
    if (!pending_) return;
    if (lastState_ == PlayState::Playing) pending_->EndStretch(context_.clock.now());
    // Taken out first: whatever the database does, the monitor has no pending record after.
    std::unique_ptr<CTrackRecord> finished = std::move(pending_);

    const GeneralSettings settings = context_.readSettings();
    bool stored = false;
    try {
        stored = sink_.AddTrack(*finished);
    } catch (const std::exception&) {
        // The database reports its own failures; a play it could not take is simply not
        // stored, and the caller (quit in particular) must go on.
        stored = false;
    }
    if (stored && settings.RefreshOnEachTrack && context_.views->playtallyWindowExists())
        context_.views->refreshPlaytallyWindow();
}

// Sending the plays to a listen server, as the player's thread sees it: the outbox, the sending
// rules and the sending thread, with a message-only window that takes the thread's answers and
// runs the timer of the next try. Everything here runs on the player's user-interface thread,
// except the requests, which the sending thread makes with copies.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/ListenSettings.h"
#include "plugin/ListenSubmitter.h"
#include "plugin/Outbox.h"
#include "plugin/PlaybackMonitor.h"

struct AppContext;
class CTrackRecord;
class CSendingThread;
class COutboxDurability;
class IHttpClient;

class CListenSender {
public:
    // A play counts as playing now after this many seconds.
    static constexpr int kPlayingNowAfter = 10;

    explicit CListenSender(AppContext& context);
    ~CListenSender();
    CListenSender(const CListenSender&) = delete;
    CListenSender& operator=(const CListenSender&) = delete;

    // Opens the outbox beside the database file and starts the sending thread (`client` null:
    // WinHTTP). Reports a damaged outbox itself.
    void start(const std::string& databasePath, std::shared_ptr<IHttpClient> client = nullptr);
    // Reads the settings and the token afresh.
    void applySettings();
    // Ends the sending thread within two seconds; what was not sent stays in the outbox.
    void stop();

    // A play the database stored: queued when sending is on (and it meets the listen rule, where
    // that is asked for); a listen the server would refuse goes straight to the refused list.
    void playStored(const CTrackRecord& record);
    // Every poll: the pending play, announced as playing now once it has played a few seconds.
    void notePlaying(const CTrackRecord* pending, bool playing);

    // "Check" with the token and server the page shows (not yet stored).
    void check(const std::string& token, const std::string& apiRoot);
    bool clearRefused();
    SubmitStatus status() const;
    // The last "Check" in words ("" while one runs or none did).
    std::string checkResult() const;
    bool running() const { return window_ != nullptr; }
    const COutbox* outbox() const { return outbox_.get(); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void pump();
    void answered();
    bool postRequest(const PlannedRequest& request);
    SubmitConfig configFromSettings() const;

    AppContext& context_;
    ListenSettings settings_;
    std::shared_ptr<COutboxDurability> durable_;  // shared with the sending thread
    std::unique_ptr<COutbox> outbox_;
    std::unique_ptr<CListenSubmitter> submitter_;
    std::unique_ptr<CSendingThread> thread_;
    std::optional<PlannedRequest> inFlight_;
    bool inFlightFlushed_ = false;  // the request in flight flushes the outbox first
    bool flushInFlight_ = false;    // a flush alone is on its way
    bool flushAloneFailed_ = false; // the last flush alone failed: not tried alone again until a
                                    // new play or a flush before a request goes well
    HWND window_ = nullptr;
    std::uint64_t announced_ = 0;  // the identity of the pending play last announced
    bool checking_ = false;
};

// Where the monitor's finished plays go when they may be sent: the database stores them, and
// each it stored goes on to the sender.
class CSendingTrackSink : public ITrackSink {
public:
    CSendingTrackSink(CDoc& doc, CListenSender& sender) : doc_(doc), sender_(sender) {}
    bool AddTrack(const CTrackRecord& pending) override;

private:
    CDoc& doc_;
    CListenSender& sender_;
};

// The outbox file of a database file: "<database>.outbox".
std::string outboxPathFor(const std::string& databasePath);

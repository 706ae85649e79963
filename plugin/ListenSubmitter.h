// The rules of sending the outbox to a listen server: oldest first, in batches, at most one request
// a second, waiting as the server asks (429), retrying after a growing pause when it cannot be
// reached, stopping on a refused token (401) until a good "Check", and finding the one listen of
// a refused batch (400) by splitting it, so that it cannot hold back the others.
//
// The submitter plans each request and takes its answer; it never does the request itself. The
// owner hands the planned request to whoever sends it (the worker thread, or a test's scripted
// server) and gives the answer back: so the outbox is touched by one thread only, and no lock is
// held while a request is on its way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Clock.h"
#include "plugin/HttpClient.h"

class COutbox;

struct SubmitConfig {
    bool enabled = false;
    std::string apiRoot = "https://api.listenbrainz.org";
    std::string token;      // the user token, in plain text in memory only
    std::string userAgent;  // "Name/version ( contact )"
};

enum class RequestKind { submit, playingNow, check };

struct PlannedRequest {
    RequestKind kind = RequestKind::submit;
    HttpRequest http;
    std::size_t listens = 0;        // submit: the first `listens` waiting listens
    std::uint64_t firstId = 0;      // submit: the id of the first of them
};

struct SubmitStatus {
    std::size_t waiting = 0;
    std::size_t refused = 0;
    TimeValue lastAccepted = 0;     // 0: none since start
    std::string lastError;          // "" when the last request went well
    bool tokenRefused = false;      // sending waits for a good "Check"
    bool checking = false;
    std::string checkResult;        // the last "Check" in words
};

class CListenSubmitter {
public:
    static constexpr std::size_t kMaxBatch = 1000;
    static constexpr std::size_t kMaxBody = 10240000;
    static constexpr int kFirstPause = 30;      // seconds before the first retry
    static constexpr int kLongestPause = 1800;  // the pause doubles up to this
    static constexpr int kPlayingNowLife = 60;  // a "playing now" not sent by then is dropped

    CListenSubmitter(COutbox& outbox, IClock& clock);

    // New settings; a changed token or server lifts the stop of a refused token.
    void configure(const SubmitConfig& config);
    const SubmitConfig& config() const { return config_; }

    // Queues the "playing now" listen (replacing one not yet sent); sent once, never retried.
    void setPlayingNow(std::string listen);
    // Asks the server whether the token is valid (before anything else waiting).
    void requestCheck();

    // The request to make now, if any; none while one is on its way.
    std::optional<PlannedRequest> nextRequest();
    // Seconds until a request may become due (0: now; -1: nothing waits for time).
    int secondsUntilDue();
    // The answer to the request nextRequest gave last.
    void takeAnswer(const PlannedRequest& request, const HttpResponse& answer);
    // The request was dropped unsent (the sending thread stopped): its listens stay.
    void dropInFlight() { inFlight_ = false; }
    bool inFlight() const { return inFlight_; }

    // Plans, sends through `http` and takes the answer, once; false when nothing was due.
    bool step(IHttpClient& http);

    SubmitStatus status() const;
    // True once after the server refused the token: the owner tells the user.
    bool takeTokenNotice();
    // True once after a "Check" finished.
    bool takeCheckDone();

private:
    std::optional<PlannedRequest> planSubmit(TimeValue now);
    HttpRequest makeRequest(const char* method, const char* endpoint, std::string body) const;
    void failed(TimeValue now, const std::string& reason);
    void refuseInvalid(TimeValue now);

    COutbox& outbox_;
    IClock& clock_;
    SubmitConfig config_;

    bool inFlight_ = false;
    TimeValue nextAllowed_ = 0;   // one request a second, and as a 429 asks
    TimeValue retryAt_ = 0;       // after a failure, the pause
    int pause_ = kFirstPause;
    std::size_t splitLimit_ = kMaxBatch;  // smaller while a refused batch is being split

    std::string playingNow_;
    TimeValue playingNowAt_ = 0;
    bool checkWanted_ = false;

    TimeValue lastAccepted_ = 0;
    std::string lastError_;
    bool tokenRefused_ = false;
    bool tokenNotice_ = false;
    bool checkDone_ = false;
    std::string checkResult_;
};

// The user agent the service asks for, from the client's name and version and a contact.
std::string submissionUserAgent(const std::string& name, const std::string& version, const std::string& contact);
// True when the API root sends the token unencrypted to another machine (plain http:// not to
// this computer).
bool apiRootExposesToken(const std::string& apiRoot);
// True when the API root is an http:// or https:// address.
bool apiRootUsable(const std::string& apiRoot);

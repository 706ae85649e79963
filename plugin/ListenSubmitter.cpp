#include "plugin/ListenSubmitter.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "plugin/ListenPayload.h"
#include "plugin/Outbox.h"
#include "plugin/ServerAnswers.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr int kDefaultWait = 10;      // a 429 without its header

std::string filled(int id, const std::string& one, const std::string& two = {}) {
    std::string text = loadString(id);
    for (const auto& [mark, value] : {std::pair<const char*, const std::string&>{"%1", one}, {"%2", two}}) {
        const std::size_t at = text.find(mark);
        if (at != std::string::npos) text.replace(at, 2, value);
    }
    return text;
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The host part of an http(s) address, without the port and brackets.
std::string hostOf(const std::string& url) {
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    std::size_t begin = scheme + 3;
    std::size_t end = url.find_first_of("/?#", begin);
    std::string authority = url.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority = authority.substr(at + 1);
    if (!authority.empty() && authority[0] == '[') return lower(authority.substr(1, authority.find(']') - 1));
    return lower(authority.substr(0, authority.find(':')));
}

}  // namespace

std::string submissionUserAgent(const std::string& name, const std::string& version, const std::string& contact) {
    std::string product;
    for (char c : name)
        if (c != ' ') product += c;
    return product + "/" + version + " ( " + contact + " )";
}

bool apiRootUsable(const std::string& apiRoot) {
    const std::string root = lower(apiRoot);
    return (root.rfind("http://", 0) == 0 || root.rfind("https://", 0) == 0) && !hostOf(root).empty();
}

bool apiRootExposesToken(const std::string& apiRoot) {
    if (lower(apiRoot).rfind("http://", 0) != 0) return false;
    const std::string host = hostOf(apiRoot);
    return host != "localhost" && host != "::1" && host.rfind("127.", 0) != 0;
}

CListenSubmitter::CListenSubmitter(COutbox& outbox, IClock& clock) : outbox_(outbox), clock_(clock) {}

void CListenSubmitter::configure(const SubmitConfig& config) {
    if (config.token != config_.token || config.apiRoot != config_.apiRoot) {
        tokenRefused_ = false;
        retryAt_ = 0;
        pause_ = kFirstPause;
    }
    config_ = config;
}

void CListenSubmitter::setPlayingNow(std::string listen) {
    playingNow_ = std::move(listen);
    playingNowAt_ = clock_.now();
}

void CListenSubmitter::requestCheck() {
    checkWanted_ = true;
    checkResult_.clear();
}

HttpRequest CListenSubmitter::makeRequest(const char* method, const char* endpoint, std::string body) const {
    HttpRequest request;
    request.method = method;
    std::string root = config_.apiRoot;
    while (!root.empty() && root.back() == '/') root.pop_back();
    request.url = root + endpoint;
    request.headers.push_back({"Authorization", "Token " + config_.token});
    request.headers.push_back({"User-Agent", config_.userAgent});
    if (!body.empty()) request.headers.push_back({"Content-Type", "application/json"});
    request.body = std::move(body);
    return request;
}

std::optional<PlannedRequest> CListenSubmitter::nextRequest() {
    if (inFlight_) return std::nullopt;
    const TimeValue now = clock_.now();
    if (now < nextAllowed_) return std::nullopt;
    std::optional<PlannedRequest> planned;
    if (checkWanted_) {
        checkWanted_ = false;
        if (config_.token.empty() || !apiRootUsable(config_.apiRoot)) {
            checkResult_ = loadString(IDS_LB_NO_TOKEN);
            checkDone_ = true;
            return std::nullopt;
        }
        planned = PlannedRequest{RequestKind::check, makeRequest("GET", "/1/validate-token", {}), 0, 0};
    } else if (config_.enabled && !config_.token.empty() && !tokenRefused_ && now >= retryAt_ &&
               apiRootUsable(config_.apiRoot)) {
        planned = planSubmit(now);
        if (!planned && !playingNow_.empty()) {
            std::string listen = std::move(playingNow_);
            playingNow_.clear();
            if (now - playingNowAt_ <= kPlayingNowLife && checkListen(listen, now, true) == ListenFault::none)
                planned = PlannedRequest{RequestKind::playingNow,
                                         makeRequest("POST", "/1/submit-listens",
                                                     "{\"listen_type\":\"playing_now\",\"payload\":[" + listen + "]}"),
                                         0, 0};
        }
    }
    if (!planned) return std::nullopt;
    inFlight_ = true;
    nextAllowed_ = now + 1;
    return planned;
}

void CListenSubmitter::refuseInvalid(TimeValue now) {
    // A listen the server would refuse is never sent: it would make it refuse its whole batch.
    for (std::size_t i = 0; i < outbox_.waiting().size();) {
        const OutboxListen& listen = outbox_.waiting()[i];
        const ListenFault fault = checkListen(listen.bytes, now);
        if (fault == ListenFault::none) {
            ++i;
            continue;
        }
        if (!outbox_.refuse(listen.id, listenFaultText(fault))) return;  // the file keeps it; so does memory
    }
}

std::optional<PlannedRequest> CListenSubmitter::planSubmit(TimeValue now) {
    refuseInvalid(now);
    const auto& waiting = outbox_.waiting();
    if (waiting.empty()) return std::nullopt;
    const std::size_t limit = std::min(splitLimit_, kMaxBatch);
    std::size_t count = 0;
    std::size_t size = 0;
    // The body: {"listen_type":"import","payload":[l1,l2,...]}, within 10,240 bytes a listen.
    constexpr std::size_t kFrame = 40;
    while (count < limit && count < waiting.size()) {
        const std::size_t grown = size + waiting[count].bytes.size() + 1;
        if (count > 0 && (grown + kFrame > kMaxBody || grown + kFrame > (count + 1) * kMaxListenBytes)) break;
        size = grown;
        ++count;
    }
    std::string body = count == 1 ? "{\"listen_type\":\"single\",\"payload\":[" : "{\"listen_type\":\"import\",\"payload\":[";
    body.reserve(size + kFrame);
    for (std::size_t i = 0; i < count; ++i) {
        if (i) body += ',';
        body += waiting[i].bytes;
    }
    body += "]}";
    return PlannedRequest{RequestKind::submit, makeRequest("POST", "/1/submit-listens", std::move(body)), count,
                          waiting.front().id};
}

int CListenSubmitter::secondsUntilDue() {
    const TimeValue now = clock_.now();
    if (inFlight_) return -1;
    const bool sending = config_.enabled && !config_.token.empty() && !tokenRefused_ && apiRootUsable(config_.apiRoot);
    const bool work = checkWanted_ || (sending && (!outbox_.waiting().empty() || !playingNow_.empty()));
    if (!work) return -1;
    TimeValue due = nextAllowed_;
    if (!checkWanted_) due = std::max(due, retryAt_);
    return due > now ? due - now : 0;
}

void CListenSubmitter::failed(TimeValue now, const std::string& reason) {
    lastError_ = reason;
    retryAt_ = now + pause_;
    pause_ = std::min(pause_ * 2, kLongestPause);
}

void CListenSubmitter::takeAnswer(const PlannedRequest& request, const HttpResponse& answer) {
    inFlight_ = false;
    const TimeValue now = clock_.now();
    // The service counts every request; one whose answer says none remain waits for the window.
    if (answer.status != 0 && answer.header("X-RateLimit-Remaining") == "0")
        nextAllowed_ = std::max(nextAllowed_, now + rateLimitWait(answer, 1));
    if (answer.status == 429) {
        const int wait = rateLimitWait(answer, kDefaultWait);
        nextAllowed_ = std::max(nextAllowed_, now + wait);
        lastError_ = filled(IDS_LB_ASKED_TO_WAIT, std::to_string(wait));
        if (request.kind == RequestKind::check) checkWanted_ = true;  // asked for, so asked again
        return;
    }
    const std::string why = answer.status == 0 ? filled(IDS_LB_NO_ANSWER, answer.failure)
                                               : filled(IDS_LB_SERVER_ANSWERED, std::to_string(answer.status),
                                                        readRefusalReason(answer.body));
    if (request.kind == RequestKind::check) {
        checkDone_ = true;
        const TokenCheckAnswer check = readTokenCheckAnswer(answer.body);
        if (answer.status == 200 && check.valid) {
            checkResult_ = filled(IDS_LB_TOKEN_VALID, check.userName);
            tokenRefused_ = false;
            retryAt_ = 0;
            pause_ = kFirstPause;
            if (lastError_ == loadString(IDS_LB_TOKEN_REFUSED)) lastError_.clear();
        } else if (answer.status == 200 || answer.status == 401 || answer.status == 400) {
            checkResult_ = filled(IDS_LB_TOKEN_INVALID, check.message.empty() ? why : check.message);
        } else {
            checkResult_ = filled(IDS_LB_CHECK_FAILED, why);
        }
        return;
    }
    if (request.kind == RequestKind::playingNow) {  // never retried
        if (answer.status == 401) {
            tokenRefused_ = tokenNotice_ = true;
            lastError_ = loadString(IDS_LB_TOKEN_REFUSED);
        }
        return;
    }
    // A submit: its listens are the first of the outbox, unless something moved them meanwhile.
    const auto& waiting = outbox_.waiting();
    const bool same = !waiting.empty() && waiting.front().id == request.firstId && waiting.size() >= request.listens;
    if (answer.status == 200) {
        if (same) outbox_.removeFirst(request.listens);
        lastAccepted_ = now;
        lastError_.clear();
        retryAt_ = 0;
        pause_ = kFirstPause;
        if (request.listens == 1) splitLimit_ = kMaxBatch;
        return;
    }
    if (answer.status == 401) {
        tokenRefused_ = tokenNotice_ = true;
        lastError_ = loadString(IDS_LB_TOKEN_REFUSED);
        return;
    }
    if (answer.status == 400) {
        lastError_ = why;
        if (request.listens > 1) {
            splitLimit_ = request.listens / 2;  // the listen at fault is in one of the halves
        } else {
            if (same) outbox_.refuse(request.firstId, why);
            splitLimit_ = kMaxBatch;
        }
        return;
    }
    failed(now, why);
}

bool CListenSubmitter::step(IHttpClient& http) {
    std::optional<PlannedRequest> request = nextRequest();
    if (!request) return false;
    takeAnswer(*request, http.send(request->http));
    return true;
}

SubmitStatus CListenSubmitter::status() const {
    SubmitStatus s;
    s.waiting = outbox_.waiting().size();
    s.refused = outbox_.refused().size();
    s.lastAccepted = lastAccepted_;
    s.lastError = lastError_;
    s.tokenRefused = tokenRefused_;
    s.checking = checkWanted_;
    s.checkResult = checkResult_;
    return s;
}

bool CListenSubmitter::takeTokenNotice() { return std::exchange(tokenNotice_, false); }
bool CListenSubmitter::takeCheckDone() { return std::exchange(checkDone_, false); }

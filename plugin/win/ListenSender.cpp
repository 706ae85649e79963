#include "plugin/win/ListenSender.h"

#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "database/Doc.h"
#include "database/TrackRecord.h"
#include "database/TrackTag.h"
#include "plugin/ListenPayload.h"
#include "plugin/win/Lock.h"
#include "plugin/win/SendingThread.h"
#include "plugin/win/TokenVault.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr UINT kAnswerMessage = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 1;
const char kWindowClass[] = "PlaytallyListenSender";

}  // namespace

// The outbox file's flush, which the sending thread runs, and the turns it takes with the
// player's thread: the file is not replaced while the flush holds it open.
class COutboxDurability : public IDurableStep, public IFileTurn {
public:
    explicit COutboxDurability(std::string path) : path_(std::move(path)) {}
    bool makeDurable(std::string& error) override {
        CLockScope turn(lock_);
        return flushOutboxFile(*files_, path_, error);
    }
    void enter() override { lock_.lock(); }
    void leave() override { lock_.unlock(); }

private:
    CLock lock_;
    // The sending thread's own: a failure it meets is not the player's thread's last error.
    const std::unique_ptr<IFileSystem> files_ = newSystemFileSystem();
    const std::string path_;
};

bool CSendingTrackSink::AddTrack(const CTrackRecord& pending) {
    if (!doc_.AddTrack(pending)) return false;
    sender_.playStored(*doc_.records().back());
    return true;
}

std::string outboxPathFor(const std::string& databasePath) { return databasePath + ".outbox"; }

CListenSender::CListenSender(AppContext& context) : context_(context) {}

CListenSender::~CListenSender() { stop(); }

void CListenSender::start(const std::string& databasePath, std::shared_ptr<IHttpClient> client) {
    if (window_) return;
    HINSTANCE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&CListenSender::windowProc), &module);
    WNDCLASSA type = {};
    type.lpfnWndProc = &CListenSender::windowProc;
    type.hInstance = module;
    type.lpszClassName = kWindowClass;
    RegisterClassA(&type);  // fails harmlessly when already registered
    window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (!window_) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    IFileSystem& files = context_.files;
    outbox_ = std::make_unique<COutbox>(files, outboxPathFor(databasePath));
    if (outbox_->load() == COutbox::LoadResult::damaged)
        context_.messages.showMessage(loadString(IDS_LB_OUTBOX_DAMAGED) + outbox_->path() + ".damaged", "OutboxDamaged");
    durable_ = std::make_shared<COutboxDurability>(outbox_->path());
    outbox_->setFileTurn(durable_.get());
    submitter_ = std::make_unique<CListenSubmitter>(*outbox_, context_.clock);
    thread_ = std::make_unique<CSendingThread>(window_, kAnswerMessage, std::move(client), durable_);
    applySettings();
}

SubmitConfig CListenSender::configFromSettings() const {
    SubmitConfig config;
    config.enabled = settings_.SendPlays;
    config.apiRoot = settings_.ApiRoot;
    config.token = tokenvault::load(context_.profile, sectionListen());
    const ExportClient client = playtallyClient();
    config.userAgent = submissionUserAgent(client.name, client.version, loadString(IDS_WEB_PAGE));
    return config;
}

void CListenSender::applySettings() {
    if (!submitter_) return;
    settings_ = loadListenSettings(context_.profile);
    submitter_->configure(configFromSettings());
    pump();
}

void CListenSender::stop() {
    if (thread_) {
        thread_->stop();
        thread_.reset();
    }
    if (submitter_ && inFlight_) submitter_->dropInFlight();
    inFlight_.reset();
    flushInFlight_ = false;
    // What was appended since the sending thread's last flush goes to the disk before the player
    // quits, so a power cut after quitting loses no listen.
    if (outbox_ && outbox_->unflushed()) {
        std::string error;
        if (flushOutboxFile(context_.files, outbox_->path(), error)) outbox_->flushHandedOver();
    }
    if (window_) {
        KillTimer(window_, kRetryTimer);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
        window_ = nullptr;
    }
}

void CListenSender::playStored(const CTrackRecord& record) {
    if (!outbox_ || !settings_.SendPlays) return;
    if (!playIsSent(record, context_.readSettings().KeepOutOfRankings, settings_.ListenRule)) return;
    std::string listen = buildListen(record, playtallyClient());
    const ListenFault fault = checkListen(listen, context_.clock.now());
    const bool written = outbox_->append(std::move(listen));
    flushAloneFailed_ = false;
    if (fault != ListenFault::none) outbox_->refuse(outbox_->waiting().back().id, listenFaultText(fault));
    if (!written)
        context_.messages.showMessage(loadString(IDS_LB_OUTBOX_NOT_WRITTEN) + outbox_->lastError(), "OutboxNotWritten");
    pump();
}

void CListenSender::notePlaying(const CTrackRecord* pending, bool playing) {
    if (!submitter_ || !pending || !playing || !settings_.SendPlays || !settings_.SendPlayingNow) return;
    if (pending->identity.value() == announced_) return;
    const TimeValue heard = pending->played + (context_.clock.now() - pending->date);
    if (heard < kPlayingNowAfter) return;
    announced_ = pending->identity.value();
    CTrackRecord copy(*pending);
    const GeneralSettings general = context_.readSettings();
    TagRules rules;
    rules.readOtherTags = general.ReadOtherTags;
    rules.player = &*context_.player;
    IFileSystem& files = context_.files;
    try {
        if (readTrackTag(files, copy.path, copy.widePath, rules, copy) == TagSource::none) return;
    } catch (...) {
        return;  // an unreadable file is not announced
    }
    submitter_->setPlayingNow(buildPlayingNow(copy, playtallyClient()));
    pump();
}

void CListenSender::check(const std::string& token, const std::string& apiRoot) {
    if (!submitter_) return;
    SubmitConfig config = submitter_->config();
    config.token = token;
    config.apiRoot = apiRoot;
    submitter_->configure(config);
    submitter_->requestCheck();
    checking_ = true;
    pump();
}

bool CListenSender::clearRefused() { return outbox_ && outbox_->clearRefused(); }

SubmitStatus CListenSender::status() const { return submitter_ ? submitter_->status() : SubmitStatus{}; }

std::string CListenSender::checkResult() const {
    if (!submitter_ || checking_) return {};
    return submitter_->status().checkResult;
}

void CListenSender::pump() {
    if (!window_ || !thread_) return;
    KillTimer(window_, kRetryTimer);
    if (!inFlight_ && !flushInFlight_) {
        if (std::optional<PlannedRequest> request = submitter_->nextRequest()) {
            if (postRequest(*request))
                inFlight_ = std::move(request);
            else
                submitter_->dropInFlight();
        } else if (outbox_->unflushed() && !flushAloneFailed_ && thread_->postDurable()) {
            // Nothing to send now (a pause, or sending waits for a good "Check"): the appended
            // listens still go to the disk soon, off this thread.
            outbox_->flushHandedOver();
            flushInFlight_ = true;
        }
    }
    if (inFlight_ || flushInFlight_) return;  // the answer's message pumps again
    if (submitter_->takeCheckDone()) checking_ = false;
    const int due = submitter_->secondsUntilDue();
    if (due >= 0) SetTimer(window_, kRetryTimer, static_cast<UINT>(due < 1 ? 1000 : due * 1000), nullptr);
}

bool CListenSender::postRequest(const PlannedRequest& request) {
    // Every listen sent is on the disk first: the thread flushes the outbox before it sends.
    const bool flushFirst = outbox_->unflushed();
    if (!thread_->post(request.http, flushFirst)) return false;
    if (flushFirst) outbox_->flushHandedOver();
    inFlightFlushed_ = flushFirst;
    return true;
}

void CListenSender::answered() {
    if (!thread_) return;
    bool flushed = false;
    if (flushInFlight_ && thread_->takeDurableDone(flushed)) {
        flushInFlight_ = false;
        flushAloneFailed_ = !flushed;
        if (!flushed) outbox_->flushFailed();  // every request flushes first until one goes well
        pump();
        return;
    }
    HttpResponse answer;
    if (!inFlight_ || !thread_->takeAnswer(answer)) return;
    const PlannedRequest request = std::move(*inFlight_);
    inFlight_.reset();
    if (inFlightFlushed_ && answer.status == 0) outbox_->flushFailed();
    if (inFlightFlushed_ && answer.status != 0) flushAloneFailed_ = false;
    submitter_->takeAnswer(request, answer);
    if (submitter_->takeCheckDone()) checking_ = false;
    if (submitter_->takeTokenNotice())
        context_.messages.showMessage(loadString(IDS_LB_TOKEN_REFUSED_NOTICE), "ListenTokenRefused");
    pump();
}

LRESULT CALLBACK CListenSender::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CListenSender*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && (message == kAnswerMessage || (message == WM_TIMER && wParam == kRetryTimer))) {
        try {
            if (message == kAnswerMessage)
                self->answered();
            else
                self->pump();
        } catch (...) {
            // Nothing unwinds into the player; the listens stay in the outbox for the next try.
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Live submission: the listen and its checks, the outbox's file through cuts and damage, and the
// sending rules against a scripted server and a scripted clock.
#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <functional>

#include "core/MemoryFileSystem.h"
#include "database/PlayExclusion.h"
#include "database/TrackRecord.h"
#include "plugin/ListenPayload.h"
#include "plugin/ListenSubmitter.h"
#include "plugin/Outbox.h"
#include "plugin/ServerAnswers.h"

namespace {

constexpr TimeValue kNow = 1765000000;
const std::string kBox = "C:\\db\\outbox.txt";

std::string listen(const std::string& title, TimeValue at = kNow - 600) {
    return "{\"listened_at\":" + std::to_string(at) + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"" +
           title + "\",\"additional_info\":{\"duration_ms\":180000}}}";
}

HttpResponse reply(int status, std::string body = {}, std::vector<std::pair<std::string, std::string>> headers = {}) {
    HttpResponse r;
    r.status = status;
    r.body = std::move(body);
    r.headers = std::move(headers);
    if (status == 0) r.failure = "timed out";
    return r;
}

struct ScriptedClock : IClock {
    TimeValue t = kNow;
    TimeValue now() override { return t; }
};

// A server answering from a script; it keeps every request and the titles of the listens it took.
struct ScriptedServer : IHttpClient {
    std::function<HttpResponse(const HttpRequest&)> answer = [](const HttpRequest&) { return reply(200); };
    std::vector<HttpRequest> requests;
    std::vector<std::string> accepted;
    HttpResponse send(const HttpRequest& request) override {
        requests.push_back(request);
        HttpResponse response = answer(request);
        rapidjson::Document d;
        d.Parse(request.body.c_str());
        if (response.status == 200 && d.IsObject() && std::string(d["listen_type"].GetString()) != "playing_now")
            for (const auto& l : d["payload"].GetArray()) accepted.push_back(l["track_metadata"]["track_name"].GetString());
        return response;
    }
};

struct Sending : ::testing::Test {
    MemoryFileSystem files;
    ScriptedClock clock;
    ScriptedServer server;
    COutbox outbox{files, kBox};
    CListenSubmitter submitter{outbox, clock};
    void SetUp() override {
        files.folders.insert("C:\\db");
        submitter.configure({true, "https://lb.example/", "secret-token", "Ptly/1 ( x )"});
    }
    void queue(int n, const std::string& prefix = "t") {
        for (int i = 0; i < n; ++i) outbox.append(listen(prefix + std::to_string(i)));
    }
    // Runs the sending for `seconds` of scripted time, one step a second.
    void run(int seconds) {
        for (int i = 0; i < seconds; ++i, ++clock.t) submitter.step(server);
    }
    std::vector<std::string> titles(int n, const std::string& prefix = "t") {
        std::vector<std::string> t;
        for (int i = 0; i < n; ++i) t.push_back(prefix + std::to_string(i));
        return t;
    }
};

TEST(ListenCheck, RefusesWhatTheServiceRefuses) {
    const std::string meta = ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\"}}";
    const std::string at = "{\"listened_at\":" + std::to_string(kNow - 5);
    struct Case { std::string json; bool playingNow; ListenFault fault; };
    const Case cases[] = {
        {listen("T"), false, ListenFault::none},
        {at + meta, false, ListenFault::none},
        {"{\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\"}}", true, ListenFault::none},
        {at + meta, true, ListenFault::badTime},
        {"{\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\"}}", false, ListenFault::badTime},
        {"{\"listened_at\":1033430399" + meta, false, ListenFault::badTime},
        {"{\"listened_at\":" + std::to_string(kNow + 3600) + meta, false, ListenFault::badTime},
        {"{\"listened_at\":\"5\"" + meta, false, ListenFault::badTime},
        {at + ",\"x\":1" + meta, false, ListenFault::extraKey},
        {at + "}", false, ListenFault::noMetadata},
        {at + ",\"track_metadata\":{\"artist_name\":\" \\t\",\"track_name\":\"T\"}}", false, ListenFault::noArtist},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":5}}", false, ListenFault::noTitle},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\",\"additional_info\":[]}}", false, ListenFault::badInfo},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\",\"additional_info\":{\"duration_ms\":0}}}", false, ListenFault::badDuration},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\",\"additional_info\":{\"duration_ms\":1.5}}}", false, ListenFault::badDuration},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\\u0000\"}}", false, ListenFault::nulCharacter},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"T\",\"additional_info\":{\"k\\u0000\":1}}}", false, ListenFault::nulCharacter},
        {listen(std::string(kMaxListenBytes, 'x')), false, ListenFault::tooLarge},
        {"[1]", false, ListenFault::notJson},
        {listen("T") + "x", false, ListenFault::notJson},
        {listen("T") + " \r\n", false, ListenFault::none},
        {at + ",\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"\xC3\"}}", false, ListenFault::notJson},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(checkListen(c.json, kNow, c.playingNow), c.fault) << c.json.substr(0, 200);
        if (c.fault != ListenFault::none) {
            EXPECT_FALSE(listenFaultText(c.fault).empty());
        }
    }
}

TEST(ListenCheck, AStoredPlayMakesAValidListenAndPlayingNow) {
    CTrackRecord r("C:\\m\\a.mp3", 200, kNow - 300, 190);
    r.tag = CId3v1Tag("Artist \"Q\"", "Album", "Title", "2001", "", 1);
    const std::string l = buildListen(r, {"Dozoderi Playtally", "1.4"});
    ASSERT_EQ(checkListen(l, kNow), ListenFault::none) << l;
    rapidjson::Document d;
    d.Parse(l.c_str());
    EXPECT_EQ(d["listened_at"].GetInt(), kNow - 300);
    EXPECT_EQ(d["track_metadata"]["additional_info"]["duration_played"].GetInt(), 190);
    EXPECT_STREQ(d["track_metadata"]["additional_info"]["submission_client_version"].GetString(), "1.4");
    const std::string now = buildPlayingNow(r, {"Dozoderi Playtally", "1.4"});
    EXPECT_EQ(checkListen(now, kNow, true), ListenFault::none) << now;
    EXPECT_EQ(now.find("listened_at"), std::string::npos);
}

TEST(ListenCheck, HalfTheTrackOrFourMinutes) {
    struct Case { int length, played; bool counts; };
    for (const Case& c : {Case{200, 100, true}, Case{200, 99, false}, Case{900, 240, true}, Case{900, 239, false},
                          Case{0, 239, false}, Case{0, 240, true}})
        EXPECT_EQ(meetsListenRule(c.length, c.played), c.counts) << c.length << " " << c.played;
}

TEST(ListenCheck, PlaysKeptOutOfTheRankingsAreNeverSent) {
    CTrackRecord book("D:\\Audiobooks\\ch1.mp3", 600, kNow, 100);
    book.tag = CId3v1Tag("Reader", "", "Chapter 1", "", "", 0);
    CTrackRecord song("D:\\Music\\a.mp3", 600, kNow, 100);
    song.tag = CId3v1Tag("Band", "", "Song", "", "", 0);
    const std::string rules = writeExclusionRules({{ExclusionField::Path, "\\audiobooks\\"}});
    EXPECT_FALSE(playIsSent(book, rules, false));
    EXPECT_TRUE(playIsSent(song, rules, false));
    EXPECT_FALSE(playIsSent(song, rules, true)) << "100 of 600 seconds: not a listen by the service's rule";
    EXPECT_TRUE(playIsSent(book, "", false));
}

TEST(ServerAnswers, ReadAnyBytes) {
    const TokenCheckAnswer good = readTokenCheckAnswer(R"({"code":200,"message":"Token valid.","valid":true,"user_name":"ann\nx"})");
    EXPECT_TRUE(good.valid);
    EXPECT_EQ(good.userName, "ann x");
    const TokenCheckAnswer bad = readTokenCheckAnswer(R"({"code":200,"message":"Token invalid.","valid":"true"})");
    EXPECT_TRUE(bad.understood);
    EXPECT_FALSE(bad.valid);
    EXPECT_FALSE(readTokenCheckAnswer("<html>").understood);
    EXPECT_EQ(readRefusalReason(R"({"code":400,"error":"bad listen"})"), "bad listen");
    EXPECT_EQ(readRefusalReason("[]"), "");
    EXPECT_EQ(readTokenCheckAnswer("{\"user_name\":\"" + std::string(300, 'n') + "\"}").userName.size(), 100u);
    struct Case { const char* header; int wait; };
    for (const Case& c : {Case{"7", 7}, Case{" 12", 12}, Case{"0", 1}, Case{"abc", 9}, Case{"99999999999", 3600}, Case{"", 9}}) {
        HttpResponse r = reply(429);
        if (*c.header) r.headers.push_back({"x-ratelimit-reset-in", c.header});
        EXPECT_EQ(rateLimitWait(r, 9), c.wait) << c.header;
    }
}

TEST(ServerAnswers, ApiRootsThatExposeTheToken) {
    struct Case { const char* root; bool usable, exposes; };
    for (const Case& c : {Case{"https://api.listenbrainz.org", true, false}, Case{"http://192.168.1.5:42010/apis/listenbrainz", true, true},
                          Case{"http://localhost:8080", true, false}, Case{"http://127.0.0.1/", true, false},
                          Case{"HTTP://[::1]:99", true, false}, Case{"http://user@evil.example", true, true},
                          Case{"ftp://x", false, false}, Case{"http://", false, true}}) {
        EXPECT_EQ(apiRootUsable(c.root), c.usable) << c.root;
        EXPECT_EQ(apiRootExposesToken(c.root), c.exposes) << c.root;
    }
}

TEST_F(Sending, OutboxSurvivesACutAtEveryByteOfItsLastLine) {
    queue(3);
    const std::string whole = *files.get(kBox);
    const std::size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
    for (std::size_t cut = lastLine; cut < whole.size(); ++cut) {
        files.put(kBox, whole.substr(0, cut));
        COutbox reopened(files, kBox);
        EXPECT_EQ(reopened.load(), cut == lastLine ? COutbox::LoadResult::loaded : COutbox::LoadResult::damaged);
        ASSERT_EQ(reopened.waiting().size(), 2u) << cut;
        EXPECT_EQ(reopened.waiting()[1].bytes, listen("t1"));
        // The next listen is appended after a whole file, not after the cut line.
        ASSERT_TRUE(reopened.append(listen("next")));
        COutbox again(files, kBox);
        EXPECT_EQ(again.load(), COutbox::LoadResult::loaded);
        ASSERT_EQ(again.waiting().size(), 3u);
        EXPECT_EQ(again.waiting()[2].bytes, listen("next"));
        EXPECT_GT(again.waiting()[2].id, again.waiting()[1].id);
    }
}

TEST_F(Sending, OutboxKeepsWhatADamagedFileHeldWhole) {
    queue(3);
    outbox.refuse(outbox.waiting()[0].id, "no\nreason");
    std::string bytes = *files.get(kBox);
    bytes[bytes.find("t1") ] = 'X';  // one byte of a listen changed: its checksum no longer fits
    files.put(kBox, bytes);
    COutbox reopened(files, kBox);
    EXPECT_EQ(reopened.load(), COutbox::LoadResult::damaged);
    ASSERT_EQ(reopened.waiting().size(), 1u);
    EXPECT_EQ(reopened.waiting()[0].bytes, listen("t2"));
    ASSERT_EQ(reopened.refused().size(), 1u);
    EXPECT_EQ(reopened.refused()[0].reason, "no reason");
    EXPECT_EQ(*files.get(kBox + ".damaged"), bytes);
    EXPECT_EQ(parseOutbox(*files.get(kBox)).damagedLines, 0u);
    // Not an outbox at all: kept aside, never read as listens.
    files.put(kBox, "{\"listened_at\":1}\n");
    EXPECT_EQ(reopened.load(), COutbox::LoadResult::damaged);
    EXPECT_TRUE(reopened.waiting().empty());
    EXPECT_EQ(*files.get(kBox + ".damaged"), "{\"listened_at\":1}\n");
}

TEST_F(Sending, AListenThatCannotBeWrittenStaysQueuedForTheNextWrite) {
    queue(1);
    files.readOnly.insert(kBox);
    EXPECT_FALSE(outbox.append(listen("kept")));
    EXPECT_FALSE(outbox.lastError().empty());
    EXPECT_EQ(outbox.waiting().size(), 2u);
    files.readOnly.clear();
    ASSERT_TRUE(outbox.append(listen("after")));
    COutbox reopened(files, kBox);
    reopened.load();
    ASSERT_EQ(reopened.waiting().size(), 3u);
    EXPECT_EQ(reopened.waiting()[1].bytes, listen("kept"));
}

TEST_F(Sending, BatchesOldestFirstAtMostOneRequestASecond) {
    queue(2500);
    run(5);
    ASSERT_EQ(server.requests.size(), 3u);
    EXPECT_EQ(server.accepted, titles(2500));
    EXPECT_NE(server.requests[0].body.find("\"listen_type\":\"import\""), std::string::npos);
    EXPECT_EQ(server.requests[0].url, "https://lb.example/1/submit-listens");
    EXPECT_EQ(server.requests[0].headers[0], (std::pair<std::string, std::string>{"Authorization", "Token secret-token"}));
    EXPECT_EQ(server.requests[0].headers[1].first, "User-Agent");
    EXPECT_TRUE(outbox.waiting().empty());
    COutbox reopened(files, kBox);
    EXPECT_EQ(reopened.load(), COutbox::LoadResult::empty);

    queue(1, "one");
    EXPECT_TRUE(submitter.step(server));
    EXPECT_FALSE(submitter.step(server)) << "a second request within the same second";
    EXPECT_NE(server.requests.back().body.find("\"listen_type\":\"single\""), std::string::npos);
}

TEST_F(Sending, TenThousandListensInElevenRequestsAtMost) {
    queue(10000);
    run(20);
    EXPECT_LE(server.requests.size(), 11u);
    EXPECT_EQ(server.accepted, titles(10000));
}

TEST_F(Sending, WaitsAsARateLimitAsksAndPausesLongerAfterEachFailure) {
    queue(2);
    int answers = 0;
    server.answer = [&](const HttpRequest&) {
        ++answers;
        if (answers == 1) return reply(429, "", {{"X-RateLimit-Reset-In", "7"}});
        if (answers <= 4) return reply(answers == 2 ? 503 : 0);
        return reply(200);
    };
    std::vector<TimeValue> times;
    for (int i = 0; i < 300; ++i, ++clock.t)
        if (submitter.step(server)) times.push_back(clock.t - kNow);
    EXPECT_EQ(times, (std::vector<TimeValue>{0, 7, 37, 97, 217}));
    EXPECT_EQ(server.accepted, titles(2));
    EXPECT_TRUE(submitter.status().lastError.empty());
    EXPECT_EQ(submitter.status().lastAccepted, kNow + 217);
}

TEST_F(Sending, ARefusedTokenStopsSendingUntilACheckSucceeds) {
    queue(3);
    server.answer = [](const HttpRequest& r) {
        if (r.url.find("validate-token") != std::string::npos)
            return reply(200, R"({"code":200,"message":"Token valid.","valid":true,"user_name":"ann"})");
        return reply(401, R"({"code":401,"error":"Invalid authorization token."})");
    };
    run(600);
    EXPECT_EQ(server.requests.size(), 1u);
    EXPECT_TRUE(submitter.status().tokenRefused);
    EXPECT_TRUE(submitter.takeTokenNotice());
    EXPECT_FALSE(submitter.takeTokenNotice());
    EXPECT_EQ(outbox.waiting().size(), 3u);
    server.answer = [](const HttpRequest& r) {
        if (r.url.find("validate-token") != std::string::npos)
            return reply(200, R"({"code":200,"message":"Token valid.","valid":true,"user_name":"ann"})");
        return reply(200);
    };
    submitter.requestCheck();
    run(3);
    EXPECT_EQ(server.requests[1].method, "GET");
    EXPECT_TRUE(submitter.takeCheckDone());
    EXPECT_NE(submitter.status().checkResult.find("ann"), std::string::npos);
    EXPECT_EQ(server.accepted, titles(3));
}

TEST_F(Sending, ARefusedListenIsFoundByHalvesAndDoesNotHoldBackTheRest) {
    queue(13);
    outbox.append(listen("bad"));
    queue(6, "u");
    server.answer = [](const HttpRequest& r) {
        if (r.body.find("\"bad\"") != std::string::npos) return reply(400, R"({"code":400,"error":"no."})");
        return reply(200);
    };
    run(40);
    std::vector<std::string> expected = titles(13);
    for (const auto& t : titles(6, "u")) expected.push_back(t);
    EXPECT_EQ(server.accepted, expected);
    ASSERT_EQ(outbox.refused().size(), 1u);
    EXPECT_EQ(outbox.refused()[0].bytes, listen("bad"));
    EXPECT_NE(outbox.refused()[0].reason.find("no."), std::string::npos);
    EXPECT_TRUE(outbox.waiting().empty());
    EXPECT_LE(server.requests.size(), 12u);
}

TEST_F(Sending, AnInvalidListenIsRefusedWithoutBeingSent) {
    outbox.append(listen("old", 1000));
    queue(2);
    run(3);
    EXPECT_EQ(server.accepted, titles(2));
    for (const auto& r : server.requests) EXPECT_EQ(r.body.find("\"old\""), std::string::npos);
    ASSERT_EQ(outbox.refused().size(), 1u);
    EXPECT_TRUE(outbox.clearRefused());
    EXPECT_TRUE(outbox.refused().empty());
}

TEST_F(Sending, PlayingNowGoesOnceAndIsNeverRetried) {
    submitter.setPlayingNow("{\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"N\"}}");
    server.answer = [](const HttpRequest&) { return reply(500); };
    run(100);
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_NE(server.requests[0].body.find("\"listen_type\":\"playing_now\""), std::string::npos);
    submitter.setPlayingNow("{\"track_metadata\":{\"artist_name\":\"A\",\"track_name\":\"N\"}}");
    clock.t += CListenSubmitter::kPlayingNowLife + 1;  // too late to say it plays now
    run(5);
    EXPECT_EQ(server.requests.size(), 1u);
}

TEST_F(Sending, NothingGoesWhileOffOrWithoutToken) {
    queue(2);
    submitter.configure({false, "https://lb.example", "t", "ua"});
    run(3);
    submitter.configure({true, "https://lb.example", "", "ua"});
    run(3);
    submitter.configure({true, "lb.example", "t", "ua"});
    run(3);
    EXPECT_TRUE(server.requests.empty());
    EXPECT_EQ(submitter.secondsUntilDue(), -1);
    submitter.configure({true, "https://lb.example", "t", "ua"});
    EXPECT_EQ(submitter.secondsUntilDue(), 0);
}

}  // namespace

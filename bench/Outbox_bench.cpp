// The outbox: queueing one play while 10,000 wait (the write the player's thread does), the flush
// to the disk the sending thread does before it sends that play, and sending 10,000 queued
// listens to a server that takes each request at once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/FileSystem.h"
#include "plugin/ListenSubmitter.h"
#include "plugin/Outbox.h"

namespace {

std::string listen(int i) {
    return "{\"listened_at\":" + std::to_string(1700000000 + i) +
           ",\"track_metadata\":{\"artist_name\":\"An Artist\",\"track_name\":\"Title " + std::to_string(i) +
           "\",\"release_name\":\"An Album\",\"additional_info\":{\"duration_ms\":215000,\"duration_played\":215,"
           "\"media_player\":\"Winamp\",\"submission_client\":\"Dozoderi Playtally\",\"submission_client_version\":\"1.4\"}}}";
}

struct Path {
    Path() {
        char pattern[] = "/tmp/ptly-outbox-XXXXXX";
        folder = mkdtemp(pattern);
        file = folder + "/outbox";
    }
    ~Path() {
        std::remove(file.c_str());
        std::remove((file + ".new").c_str());
        rmdir(folder.c_str());
    }
    std::string folder, file;
};

// Loads the outbox and queues 10,000 listens: what waits while each benchmark runs.
void fillTenThousand(COutbox& outbox) {
    outbox.load();
    for (int i = 0; i < 10000; ++i) outbox.append(listen(i));
}

void Outbox_Append(benchmark::State& state) {
    Path path;
    COutbox outbox(systemFileSystem(), path.file);
    fillTenThousand(outbox);
    int i = 10000;
    for (auto _ : state) {
        if (!outbox.append(listen(i++))) state.SkipWithError("append failed");
    }
    state.counters["waiting"] = static_cast<double>(outbox.waiting().size());
}
BENCHMARK(Outbox_Append)->Name("Outbox/Append")->Unit(benchmark::kMicrosecond);

// One play queued and made durable, as the two threads do it between them: the append (player's
// thread) and the flush (sending thread).
void Outbox_AppendAndFlush(benchmark::State& state) {
    Path path;
    COutbox outbox(systemFileSystem(), path.file);
    fillTenThousand(outbox);
    int i = 10000;
    std::string error;
    for (auto _ : state) {
        if (!outbox.append(listen(i++)) || !flushOutboxFile(systemFileSystem(), path.file, error))
            state.SkipWithError("append or flush failed");
    }
    state.counters["waiting"] = static_cast<double>(outbox.waiting().size());
}
BENCHMARK(Outbox_AppendAndFlush)->Name("Outbox/AppendAndFlush")->Unit(benchmark::kMicrosecond);

struct Clock : IClock {
    TimeValue t = 1765000000;
    TimeValue now() override { return t; }
};
struct TakingServer : IHttpClient {
    int requests = 0;
    HttpResponse send(const HttpRequest&) override {
        ++requests;
        HttpResponse r;
        r.status = 200;
        return r;
    }
};

void Outbox_Send10000(benchmark::State& state) {
    int requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Path path;
        COutbox outbox(systemFileSystem(), path.file);
        fillTenThousand(outbox);
        Clock clock;
        CListenSubmitter submitter(outbox, clock);
        submitter.configure({true, "https://lb.example", "token", "ua"});
        TakingServer server;
        state.ResumeTiming();
        while (!outbox.waiting().empty() && clock.t < 1765000100) {
            submitter.step(server);
            ++clock.t;
        }
        requests = server.requests;
    }
    state.counters["requests"] = requests;
}
BENCHMARK(Outbox_Send10000)->Name("Outbox/Send10000")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

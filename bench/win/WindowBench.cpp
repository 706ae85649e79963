// The Playtally window over the synthetic database of 100,000 plays (bench/SyntheticPlays.h), the
// newest play now: opening it with the defaults, filling the list with every play in Log mode,
// sorting that list by a header click, and the list builder alone for the same rows. Memory: the
// C++ heap that the rows and the window hold (every allocation of this program is counted), and
// the process's private bytes beside it (which include the list view's own).
//
// usage: window_bench.exe [<result file>]   writes the benchmark library's JSON shape
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/SyntheticPlays.h"
#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/FileSystem.h"
#include "core/Profile.h"
#include "tests/win/HeaderDriving.h"
#include "window/PlaytallyDlg.h"

// ---- every allocation counted: live bytes of the C++ heap ----
namespace {
std::atomic<long long> g_liveBytes{0};
constexpr std::size_t kHead = 16;  // keeps the block's size, and the alignment of new
void* countedAlloc(std::size_t size) {
    auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, size + kHead));
    if (!block) return nullptr;
    *reinterpret_cast<std::size_t*>(block) = size;
    g_liveBytes += static_cast<long long>(size);
    return block + kHead;
}
void countedFree(void* p) {
    if (!p) return;
    auto* block = static_cast<unsigned char*>(p) - kHead;
    g_liveBytes -= static_cast<long long>(*reinterpret_cast<std::size_t*>(block));
    HeapFree(GetProcessHeap(), 0, block);
}
}  // namespace

void* operator new(std::size_t size) {
    if (void* p = countedAlloc(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return countedAlloc(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return countedAlloc(size); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }

namespace {

constexpr int kPlays = 100000;
const char* const kSection = "Playtally Dialog";

struct Result {
    std::string name;
    int iterations = 0;
    double realMs = 0, cpuMs = 0;
    std::vector<std::pair<std::string, double>> counters;
};

double nowMs() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double cpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

double privateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Some systems leave the private bytes out: the pages in use then stand for them.
    return static_cast<double>(counters.PrivateUsage ? counters.PrivateUsage : counters.WorkingSetSize);
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Runs `body` (untimed `setup` before each run) once untimed, then at least 3 times and for at
// least a second: no measurement pays alone for what a first run meets (the heap growing, pages
// touched the first time).
Result measure(const std::string& name, const std::function<void()>& body, const std::function<void()>& setup = nullptr) {
    Result r;
    r.name = name;
    if (setup) setup();
    body();
    double real = 0, cpu = 0;
    while (r.iterations < 3 || (real < 1000 && r.iterations < 50)) {
        if (setup) setup();
        const double t0 = nowMs(), c0 = cpuMs();
        body();
        real += nowMs() - t0;
        cpu += cpuMs() - c0;
        ++r.iterations;
    }
    r.realMs = real / r.iterations;
    r.cpuMs = cpu / r.iterations;
    std::fprintf(stderr, "%-28s %10.2f ms  (%d iterations)\n", name.c_str(), r.realMs, r.iterations);
    return r;
}

struct Bench {
    MemoryProfile profile;
    CNoMessages noMessages;
    SystemClock systemClock;
    AppContext context{profile, noMessages, systemClock, systemFileSystem()};
    CDoc doc{context};
    TimeValue now = static_cast<TimeValue>(std::time(nullptr));

    Bench() {
        context.userName = "bench";
        bench::addSyntheticPlays(doc.store(), kPlays, now - bench::kTwoYears);
    }

    // A shown window over the document, with the window's state in `windowProfile`.
    std::unique_ptr<CPlaytallyDlg> open(IProfile& windowProfile) {
        auto window = std::make_unique<CPlaytallyDlg>(&doc, windowProfile, nullptr);
        if (!window->Create()) {
            std::fprintf(stderr, "the window could not be created\n");
            std::exit(1);
        }
        window->ShowWindow(SW_SHOW);
        pump();
        return window;
    }

    static void clickHeader(HWND list, const char* caption) {
        const int column = headerColumn(list, caption);
        if (column < 0) {
            std::fprintf(stderr, "no column %s\n", caption);
            std::exit(1);
        }
        clickHeaderColumn(list, column);
        UpdateWindow(list);  // the sorted rows on the screen
    }

    std::vector<Result> run() {
        std::vector<Result> results;
        std::unique_ptr<CPlaytallyDlg> window;
        MemoryProfile defaults;

        results.push_back(measure(
            "Window/Open/Default", [&] { window = open(defaults); },
            [&] {
                if (window) window->DestroyWindow();
                window.reset();
                defaults = MemoryProfile();
            }));
        window->DestroyWindow();
        window.reset();

        // Log mode from the beginning with the Date column: every play is a row. Opening fills
        // the list once, so the heap has grown to hold the rows before anything is timed.
        MemoryProfile logProfile;
        logProfile.writeInt(kSection, "SelectedTab", 1);
        logProfile.writeInt(kSection, "LastCombo", 0);
        logProfile.writeInt(kSection, "ShowTop", 0);
        logProfile.writeInt(kSection, "ShowDate", 1);
        const long long heapNoWindow = g_liveBytes;
        const double privateNoWindow = privateBytes();
        window = open(logProfile);
        HWND list = GetDlgItem(window->m_hWnd, 1010);
        const double windowRows = static_cast<double>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        const double windowHeapWithRows = static_cast<double>(g_liveBytes - heapNoWindow);
        const double windowPrivateWithRows = privateBytes() - privateNoWindow;

        // The builder alone, asked for exactly what the window asks for (its parameters as it
        // takes them now), its rows held the way the list holds them: the next build's rows
        // replace them once made. What one set of rows holds, measured beside the window's.
        const BuildListParams params = window->ListBuildParams(false);
        RowArray rows;
        const long long heapBefore = g_liveBytes;
        const double privateBefore = privateBytes();
        rows = doc.BuildList(params);
        const double rowCount = static_cast<double>(rows.size());
        const double rowsHeap = static_cast<double>(g_liveBytes - heapBefore);
        const double rowsPrivate = privateBytes() - privateBefore;
        if (rowCount != windowRows) {
            std::fprintf(stderr, "the builder gave %.0f rows, the window shows %.0f\n", rowCount, windowRows);
            std::exit(1);
        }
        rows.clear();
        results.push_back(measure("Window/BuildOnly/LogAll", [&] { rows = doc.BuildList(params); }));
        results.back().counters = {{"rows", rowCount}, {"rows_heap_bytes", rowsHeap}, {"rows_private_bytes", rowsPrivate}};
        rows.clear();

        // The same build with the list filled from it: Refresh builds as above, then shows the rows.
        results.push_back(measure("Window/Fill/LogAll", [&] { window->Refresh(); }));
        // What the window holds beyond its rows.
        const double windowHeap = windowHeapWithRows - rowsHeap;
        const double windowPrivate = windowPrivateWithRows - rowsPrivate;
        results.back().counters = {{"rows", static_cast<double>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0))},
                                   {"window_heap_bytes", windowHeap},
                                   {"window_private_bytes", windowPrivate},
                                   {"window_heap_bytes_per_row", windowHeap / rowCount},
                                   {"rows_heap_bytes_per_row", rowsHeap / rowCount}};

        results.push_back(measure("Window/Sort/Date/LogAll", [&] { clickHeader(list, "Date"); }));
        results.push_back(measure("Window/Sort/Artist/LogAll", [&] { clickHeader(list, "Artist"); }));
        window->DestroyWindow();
        window.reset();
        return results;
    }
};

std::string json(const std::vector<Result>& results) {
    char date[64];
    const std::time_t t = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", std::localtime(&t));
    std::string out = std::string("{\n  \"context\": {\"date\": \"") + date +
                      "\", \"executable\": \"window_bench.exe\", \"library_build_type\": \"release\"},\n  \"benchmarks\": [\n";
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        char line[512];
        std::snprintf(line, sizeof line,
                      "    {\"name\": \"%s\", \"run_name\": \"%s\", \"run_type\": \"iteration\", \"repetitions\": 1, "
                      "\"repetition_index\": 0, \"threads\": 1, \"iterations\": %d, \"real_time\": %.4f, "
                      "\"cpu_time\": %.4f, \"time_unit\": \"ms\"",
                      r.name.c_str(), r.name.c_str(), r.iterations, r.realMs, r.cpuMs);
        out += line;
        for (const auto& counter : r.counters) {
            std::snprintf(line, sizeof line, ", \"%s\": %.1f", counter.first.c_str(), counter.second);
            out += line;
        }
        out += i + 1 < results.size() ? "},\n" : "}\n";
    }
    return out + "  ]\n}\n";
}

}  // namespace

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Bench bench;
    const std::string text = json(bench.run());
    if (argc > 1) {
        FILE* f = std::fopen(argv[1], "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
            std::fprintf(stderr, "cannot write %s\n", argv[1]);
            return 1;
        }
        std::fclose(f);
    } else {
        std::fputs(text.c_str(), stdout);
    }
    return 0;
}

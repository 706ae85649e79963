#include "tools/host/Log.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {
const auto g_start = std::chrono::steady_clock::now();
std::vector<std::string> g_lines;  // a test run writes a few thousand at most
}

double elapsedSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void logLine(const std::string& text) {
    std::printf("[%8.3f] %s\n", elapsedSeconds(), text.c_str());
    std::fflush(stdout);
    g_lines.push_back(text);
}

std::size_t logLineCount() { return g_lines.size(); }

bool logHasSince(std::size_t from, const std::string& part) {
    for (std::size_t i = from; i < g_lines.size(); ++i)
        if (g_lines[i].find(part) != std::string::npos) return true;
    return false;
}

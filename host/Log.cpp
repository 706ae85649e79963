#include "host/Log.h"

#include <chrono>
#include <cstdio>

namespace {
const auto g_start = std::chrono::steady_clock::now();
}

double elapsedSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - g_start).count();
}

void logLine(const std::string& text) {
    std::printf("[%8.3f] %s\n", elapsedSeconds(), text.c_str());
    std::fflush(stdout);
}

#include "core/TimeFormat.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

bool localTime(TimeValue time, std::tm& out) {
#ifdef _WIN32
    __time64_t t = time;
    return _localtime64_s(&out, &t) == 0;
#else
    std::time_t t = time;
    return localtime_r(&t, &out) != nullptr;
#endif
}

// The codes that the legacy and the current Windows runtimes and glibc all accept.
bool isPortableCode(char c) { return c != '\0' && std::strchr("aAbBcdHIjmMpSUwWxXyYzZ%", c) != nullptr; }

}  // namespace

std::string formatDate(TimeValue time, const std::string& format) {
    if (format.empty()) return std::string();
    std::tm tm{};
    if (!localTime(time, tm)) return std::string();
    std::string out;
    out.reserve(format.size() * 2);
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        char code = i + 1 < format.size() ? format[i + 1] : '\0';
        if (!isPortableCode(code)) {
            out += '%';  // written as it stands; the next character (if any) follows as text
            continue;
        }
        ++i;
        // One code at a time into a buffer far larger than any code's text: nothing is cut.
        char spec[3] = {'%', code == 'z' ? 'Z' : code, '\0'};
        char buffer[256];
        std::size_t n = std::strftime(buffer, sizeof buffer, spec, &tm);
        out.append(buffer, n);
    }
    return out;
}

std::string formatDuration(std::int32_t seconds) {
    long long s = seconds;
    const char* sign = "";
    if (s < 0) {
        sign = "-";
        s = -s;
    }
    // Written by hand: formatted printing would bring a whole printf into the plug-in for this.
    const long long parts[3] = {(s / 3600) % 24, (s / 60) % 60, s % 60};  // each below 100
    std::string text = sign;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) text += ':';
        text += static_cast<char>('0' + parts[i] / 10);
        text += static_cast<char>('0' + parts[i] % 10);
    }
    return text;
}

std::string formatHeard(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t days = seconds / 86400;
    const std::string clock = formatDuration(static_cast<std::int32_t>(seconds % 86400));
    return days > 0 ? std::to_string(days) + "d " + clock : clock;
}

// Compiles and matches arbitrary patterns on arbitrary subjects. Input: one byte giving the
// pattern's length, the pattern, then the subject. Besides crashes and hangs it catches results
// that the speed hints change, and group positions outside the subject. (The failure memo stays
// on: without it, ambiguous repetitions take exponential time.)
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/regex/Regex.h"
#include "report/regex/RegexProgram.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t patternLength = std::min<std::size_t>(data[0], size - 1);
    std::string pattern(reinterpret_cast<const char*>(data + 1), patternLength);
    std::string subject(reinterpret_cast<const char*>(data + 1 + patternLength), size - 1 - patternLength);
    if (subject.size() > 4096) subject.resize(4096);

    CRegex re(pattern);
    bool matched = re.match(subject);
    int count = re.subCount();
    check(matched ? count >= 0 && count <= 9 : count == -1);
    check(!matched || re.isCompiled());
    std::size_t visible = std::strlen(subject.c_str());
    for (int i = 0; i <= 10; ++i) {
        std::string text = re.substring(i);
        check(static_cast<std::size_t>(re.subLength(i)) == text.size());
        check(text.size() <= visible);
        if (i >= 1 && i <= count) check(re.subLength(i) >= 0);
    }
    CRegex copy = re;
    check(copy.match(subject) == matched);
    check(copy.substring(0) == re.substring(0));

    regex::Program fast = regex::compile(pattern.c_str());
    if (fast.code.empty()) return 0;
    regex::Program plain = fast;
    plain.firstByte = 0;
    plain.anchored = false;
    plain.mustHave.clear();
    bool a = regex::execute(fast, subject.c_str());
    bool b = regex::execute(plain, subject.c_str());
    check(a == b && a == matched);
    check(!a || (0 <= fast.start[0] && fast.start[0] <= fast.end[0]));
    for (int g = 0; g < regex::kGroupSlots; ++g) {
        check(fast.start[g] == plain.start[g] && fast.end[g] == plain.end[g]);
        check(fast.end[g] <= static_cast<std::ptrdiff_t>(visible));
    }
    return 0;
}

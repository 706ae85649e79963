// The engine against the system's POSIX extended expressions, on generated patterns in the syntax
// both share. POSIX picks the leftmost-longest match and this engine the first one its
// backtracking finds, so only whether a match exists and where it starts are compared.
#include <gtest/gtest.h>

#include <regex.h>

#include <cctype>
#include <cstring>
#include <random>
#include <string>

#include "report/regex/RegexProgram.h"

namespace {

class PatternGenerator {
public:
    explicit PatternGenerator(unsigned seed) : random_(seed) {}

    std::string pattern() { return alternatives(0); }

    std::string subject() {
        // No newlines: the C library lets "$" match before one in some patterns ("$.?").
        static const char alphabet[] = "aabbc.";
        std::string s;
        int length = pick(0, 12);
        for (int i = 0; i < length; ++i) s += alphabet[pick(0, 5)];
        return s;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::string alternatives(int depth) {
        std::string s = sequence(depth);
        int more = pick(0, 5) == 0 ? pick(1, 2) : 0;
        for (int i = 0; i < more; ++i) s += "|" + sequence(depth);
        return s;
    }

    std::string sequence(int depth) {
        std::string s;
        int pieces = pick(1, 3);
        for (int i = 0; i < pieces; ++i) s += piece(depth);
        return s;
    }

    std::string piece(int depth) {
        std::string s = atom(depth);
        switch (pick(0, 6)) {
        case 0: return s + "*";
        case 1: return s + "+";
        case 2: return s + "?";
        default: return s;
        }
    }

    std::string atom(int depth) {
        switch (pick(0, depth < 2 ? 11 : 9)) {
        case 0: return ".";
        // Anchors only outside groups: the C library lets "$" match inside a string in patterns
        // such as "(\.*($\.+)|b)+c?ab".
        case 1: return depth == 0 ? "^" : "a";
        case 2: return depth == 0 ? "$" : "c";
        case 3: return "[ab]";
        case 4: return "[^a]";
        case 5: return "[a-c]";
        case 6: return "\\.";
        case 7: return "ab";
        case 8: return "b";
        case 9: return "c";
        default: return "(" + alternatives(depth + 1) + ")";
        }
    }

    std::mt19937 random_;
};

struct PosixRegex {
    explicit PosixRegex(const std::string& pattern) : compiled(regcomp(&compiledForm, pattern.c_str(), REG_EXTENDED) == 0) {}
    ~PosixRegex() {
        if (compiled) regfree(&compiledForm);
    }
    regex_t compiledForm;
    bool compiled;
};

TEST(RegexPosix, MatchExistsAndStartAgreeWithTheSystem) {
    PatternGenerator generator(20240607);
    int compared = 0;
    int rejected = 0;
    for (int p = 0; p < 4000; ++p) {
        std::string pattern = generator.pattern();
        regex::Program program = regex::compile(pattern.c_str());
        if (program.code.empty()) {
            // This engine refuses some patterns POSIX takes ("(a*)*", "^*", ...).
            ++rejected;
            continue;
        }
        PosixRegex posix(pattern);
        if (!posix.compiled) {
            // And POSIX some that this engine takes ("$?").
            ++rejected;
            continue;
        }
        for (int s = 0; s < 25; ++s) {
            std::string subject = generator.subject();
            regmatch_t found[1];
            bool posixMatched = regexec(&posix.compiledForm, subject.c_str(), 1, found, 0) == 0;
            bool matched = regex::execute(program, subject.c_str());
            ASSERT_EQ(matched, posixMatched) << "pattern " << pattern << " on \"" << subject << "\"";
            if (matched) {
                ASSERT_EQ(program.start[0], found[0].rm_so) << "pattern " << pattern << " on \"" << subject << "\"";
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 50000);
    EXPECT_LT(rejected, 1000);
}

// The speed hints and the failure memo must not change any result: the same programs without
// them find the same matches with the same groups.
TEST(RegexPosix, HintsAndMemoChangeNothing) {
    PatternGenerator generator(77);
    int withHints = 0;
    for (int p = 0; p < 4000; ++p) {
        std::string pattern = generator.pattern();
        regex::Program fast = regex::compile(pattern.c_str());
        if (fast.code.empty()) continue;
        if (fast.firstByte || fast.anchored || !fast.mustHave.empty()) ++withHints;
        regex::Program plain = fast;
        plain.firstByte = 0;
        plain.anchored = false;
        plain.mustHave.clear();
        plain.memoSlot.assign(plain.memoSlot.size(), -1);
        for (int s = 0; s < 25; ++s) {
            std::string subject = generator.subject();
            bool a = regex::execute(fast, subject.c_str());
            bool b = regex::execute(plain, subject.c_str());
            ASSERT_EQ(a, b) << pattern << " on \"" << subject << "\"";
            ASSERT_EQ(fast.groupCount, plain.groupCount) << pattern;
            for (int g = 0; g < regex::kGroupSlots; ++g) {
                ASSERT_EQ(fast.start[g], plain.start[g]) << pattern << " group " << g << " on \"" << subject << "\"";
                ASSERT_EQ(fast.end[g], plain.end[g]) << pattern << " group " << g << " on \"" << subject << "\"";
            }
        }
    }
    EXPECT_GT(withHints, 500);
}

// A plain recursive walk of the same byte code, the way the matcher would read without its own
// stack, memo and hints: groups are recorded on the way back from a success.
class RecursiveReference {
public:
    RecursiveReference(const regex::Program& program, const char* subject)
        : code_(program.code), subject_(subject), input_(subject) {}

    bool search() {
        for (const char* at = subject_;; ++at) {
            for (int g = 0; g < regex::kGroupSlots; ++g) start[g] = end[g] = -1;
            input_ = at;
            if (matchFrom(1)) {
                start[0] = at - subject_;
                end[0] = input_ - subject_;
                return true;
            }
            if (*at == '\0') return false;
        }
    }

    std::ptrdiff_t start[regex::kGroupSlots];
    std::ptrdiff_t end[regex::kGroupSlots];

private:
    static bool word(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
    const char* text(int node) const { return reinterpret_cast<const char*>(&code_[node + 3]); }

    std::size_t repeat(int atom) const {
        const char* p = input_;
        switch (code_[atom]) {
        case regex::kAny: return std::strlen(p);
        case regex::kExactly: while (*p && *p == *text(atom)) ++p; break;
        case regex::kAnyOf: while (*p && std::strchr(text(atom), *p)) ++p; break;
        case regex::kAnyBut: while (*p && !std::strchr(text(atom), *p)) ++p; break;
        }
        return static_cast<std::size_t>(p - input_);
    }

    bool matchFrom(int node) {
        using namespace regex;
        while (node >= 0) {
            int next = nextNode(code_, node);
            std::uint8_t kind = code_[node];
            switch (kind) {
            case kEnd: return true;
            case kBol: if (input_ != subject_) return false; break;
            case kEol: if (*input_) return false; break;
            case kAny: if (!*input_) return false; ++input_; break;
            case kAnyOf: if (!*input_ || !std::strchr(text(node), *input_)) return false; ++input_; break;
            case kAnyBut: if (!*input_ || std::strchr(text(node), *input_)) return false; ++input_; break;
            case kExactly: {
                std::size_t length = std::strlen(text(node));
                if (std::strncmp(text(node), input_, length) != 0) return false;
                input_ += length;
                break;
            }
            case kNothing: case kBack: break;
            case kWordStart:
                if (!word(*input_) || (input_ > subject_ && word(input_[-1]))) return false;
                break;
            case kWordEnd: if (word(*input_)) return false; break;
            case kBranch: {
                if (next < 0 || code_[next] != kBranch) {
                    next = node + 3;
                    break;
                }
                const char* save = input_;
                for (int branch = node; branch >= 0 && code_[branch] == kBranch; branch = nextNode(code_, branch)) {
                    if (matchFrom(branch + 3)) return true;
                    input_ = save;
                }
                return false;
            }
            case kStar: case kPlus: {
                char follow = next >= 0 && code_[next] == kExactly ? *text(next) : '\0';
                const char* save = input_;
                std::ptrdiff_t minimum = kind == kStar ? 0 : 1;
                for (std::ptrdiff_t count = static_cast<std::ptrdiff_t>(repeat(node + 3)); count >= minimum; --count) {
                    input_ = save + count;
                    if ((follow == '\0' || *input_ == follow) && matchFrom(next)) return true;
                }
                return false;
            }
            default: {
                bool open = kind < kClose;
                int group = kind - (open ? kOpen : kClose);
                std::ptrdiff_t at = input_ - subject_;
                if (!matchFrom(next)) return false;
                std::ptrdiff_t& slot = open ? start[group] : end[group];
                if (slot < 0) slot = at;
                return true;
            }
            }
            node = next;
        }
        return false;
    }

    const std::vector<std::uint8_t>& code_;
    const char* subject_;
    const char* input_;
};

TEST(RegexPosix, GroupsAgreeWithARecursiveWalk) {
    PatternGenerator generator(4711);
    int withGroups = 0;
    for (int p = 0; p < 4000; ++p) {
        std::string pattern = generator.pattern();
        regex::Program program = regex::compile(pattern.c_str());
        if (program.code.empty()) continue;
        for (int s = 0; s < 25; ++s) {
            std::string subject = generator.subject();
            RecursiveReference reference(program, subject.c_str());
            bool expected = reference.search();
            ASSERT_EQ(regex::execute(program, subject.c_str()), expected) << pattern << " on \"" << subject << "\"";
            if (!expected) continue;
            if (program.groupCount > 0) ++withGroups;
            for (int g = 0; g < regex::kGroupSlots; ++g) {
                ASSERT_EQ(program.start[g], reference.start[g]) << pattern << " group " << g << " on \"" << subject << "\"";
                ASSERT_EQ(program.end[g], reference.end[g]) << pattern << " group " << g << " on \"" << subject << "\"";
            }
        }
    }
    EXPECT_GT(withGroups, 5000);
}

}  // namespace

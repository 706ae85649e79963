// The backtracking matcher. It keeps its choice points on a heap stack rather than recursing, so
// that long subjects (report templates of several megabytes) cannot exhaust the thread's stack.
#include <algorithm>
#include <cstring>

#include "report/regex/RegexProgram.h"

namespace regex {
namespace {

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Failure memo limit in bits: beyond it, only the first slots are remembered.
constexpr std::size_t kMemoBitLimit = std::size_t{1} << 26;

class Matcher {
public:
    Matcher(Program& program, const char* subject)
        : program_(program),
          code_(program.code),
          subject_(subject),
          length_(std::strlen(subject)),
          stack_(program.frames),
          trail_(program.marks) {}

    enum Result { kNoMatch, kMatched, kAborted };

    Result tryAt(std::size_t start) {
        stack_.clear();
        trail_.clear();
        int node = 1;
        std::size_t pos = start;
        for (;;) {
            if (!step(node, pos)) {
                if (program_.error != kNoError) return kAborted;
                if (!backtrack(node, pos)) return program_.error != kNoError ? kAborted : kNoMatch;
                continue;
            }
            if (node == kFinished) {
                finish(start, pos);
                return kMatched;
            }
        }
    }

private:
    static constexpr int kFinished = -2;

    enum FrameKind : std::uint8_t {
        kFailMark,     // all choices below this node and position failed
        kAlternative,  // the next branch to try
        kCount,        // the count of a star or plus tried last
    };
    using Frame = MatchFrame;
    using Mark = MatchMark;

    bool abort(int code) {
        program_.error = code;
        return false;
    }

    const char* operandText(int node) const { return reinterpret_cast<const char*>(&code_[node + kNodeHeader]); }

    // Runs one node. True with `node` moved on (kFinished at the end node), false on failure.
    bool step(int& node, std::size_t& pos) {
        if (node < 0 || static_cast<std::size_t>(node) + kNodeHeader > code_.size()) return abort(kMissingNode);
        std::uint8_t kind = code_[node];
        const char here = subject_[pos];
        switch (kind) {
        case kEnd:
            node = kFinished;
            return true;
        case kBol:
            if (pos != 0) return false;
            break;
        case kEol:
            if (here != '\0') return false;
            break;
        case kAny:
            if (here == '\0') return false;
            ++pos;
            break;
        case kAnyOf:
            if (here == '\0' || std::strchr(operandText(node), here) == nullptr) return false;
            ++pos;
            break;
        case kAnyBut:
            if (here == '\0' || std::strchr(operandText(node), here) != nullptr) return false;
            ++pos;
            break;
        case kExactly: {
            const char* text = operandText(node);
            if (*text != here) return false;
            std::size_t length = std::strlen(text);
            if (length > 1 && std::strncmp(text, subject_ + pos, length) != 0) return false;
            pos += length;
            break;
        }
        case kNothing:
        case kBack:
            break;
        case kWordStart:
            if (!isWordByte(here)) return false;
            if (pos > 0 && isWordByte(subject_[pos - 1])) return false;
            break;
        case kWordEnd:
            if (isWordByte(here)) return false;
            break;
        case kBranch: {
            int alternative = nextNode(code_, node);
            if (alternative < 0 || code_[alternative] != kBranch) {
                node += kNodeHeader;  // a single branch: no choice to remember
                return true;
            }
            if (knownToFail(node, pos)) return false;
            push(kFailMark, node, pos, 0);
            push(kAlternative, alternative, pos, 0);
            node += kNodeHeader;
            return true;
        }
        case kStar:
        case kPlus: {
            if (knownToFail(node, pos)) return false;
            std::size_t count = 0;
            if (!repeat(node + kNodeHeader, pos, count)) return false;
            push(kFailMark, node, pos, 0);
            if (!viableCount(node, pos, count, true)) return false;
            push(kCount, node, pos, count);
            pos += count;
            node = nextNode(code_, node);
            return true;
        }
        default:
            if ((kind > kOpen && kind <= kOpen + 9) || (kind > kClose && kind <= kClose + 9)) {
                trail_.push_back(Mark{kind, pos});
                break;
            }
            return abort(kBadNodeKind);
        }
        node = nextNode(code_, node);
        return true;
    }

    // Resumes at the most recent untried choice; false when none is left.
    bool backtrack(int& node, std::size_t& pos) {
        while (!stack_.empty()) {
            Frame frame = stack_.back();
            stack_.pop_back();
            switch (static_cast<FrameKind>(frame.kind)) {
            case kFailMark:
                rememberFailure(frame.node, frame.pos);
                break;
            case kAlternative: {
                trail_.resize(frame.trail);
                int more = nextNode(code_, frame.node);
                if (more >= 0 && code_[more] == kBranch) push(kAlternative, more, frame.pos, 0);
                node = frame.node + kNodeHeader;
                pos = frame.pos;
                return true;
            }
            case kCount: {
                std::size_t count = frame.count;
                if (!viableCount(frame.node, frame.pos, count, false)) break;
                trail_.resize(frame.trail);
                push(kCount, frame.node, frame.pos, count);
                node = nextNode(code_, frame.node);
                pos = frame.pos + count;
                return true;
            }
            }
        }
        return false;
    }

    // The counts of a star or plus are tried from the most down to its minimum; a count is
    // skipped when the following literal cannot start right after it. `count` is the next count
    // to consider when `first`, else the count tried last.
    bool viableCount(int node, std::size_t pos, std::size_t& count, bool first) {
        std::size_t minimum = code_[node] == kStar ? 0 : 1;
        const char nextByte = followingLiteralByte(node);
        std::size_t candidate = count;
        if (!first) {
            if (candidate == 0) return false;
            --candidate;
        }
        for (;;) {
            if (candidate < minimum) return false;
            if (nextByte == '\0' || subject_[pos + candidate] == nextByte) {
                count = candidate;
                return true;
            }
            if (candidate == 0) return false;
            --candidate;
        }
    }

    // The byte a match must continue with after a star or plus, or '\0' when any may follow. Group
    // marks take no bytes, so a literal behind them counts too ("(.*)#x" continues with '#').
    char followingLiteralByte(int node) const {
        int next = nextNode(code_, node);
        for (int hops = 0; next >= 0 && hops < kGroupSlots * 2; ++hops) {
            if (static_cast<std::size_t>(next) + kNodeHeader > code_.size()) return '\0';
            std::uint8_t kind = code_[next];
            if (kind == kExactly) return *operandText(next);
            bool groupMark = (kind > kOpen && kind <= kOpen + 9) || (kind > kClose && kind <= kClose + 9);
            if (!groupMark) return '\0';
            next = nextNode(code_, next);
        }
        return '\0';
    }

    // How many bytes from `pos` the one-byte node `atom` could take.
    bool repeat(int atom, std::size_t pos, std::size_t& count) {
        if (static_cast<std::size_t>(atom) + kNodeHeader > code_.size()) return abort(kMissingNode);
        const char* from = subject_ + pos;
        const char* p = from;
        switch (code_[atom]) {
        case kAny:
            count = length_ - pos;
            return true;
        case kExactly: {
            char byte = *operandText(atom);
            while (*p != '\0' && *p == byte) ++p;
            break;
        }
        case kAnyOf: {
            const char* set = operandText(atom);
            while (*p != '\0' && std::strchr(set, *p) != nullptr) ++p;
            break;
        }
        case kAnyBut: {
            const char* set = operandText(atom);
            while (*p != '\0' && std::strchr(set, *p) == nullptr) ++p;
            break;
        }
        default:
            return abort(kBadRepeat);
        }
        count = static_cast<std::size_t>(p - from);
        return true;
    }

    void push(FrameKind kind, int node, std::size_t pos, std::size_t count) {
        stack_.push_back(Frame{kind, node, pos, count, trail_.size()});
    }

    // The memo: a bit per (slot, position) from which the rest of the program failed. Whether the
    // rest of the program matches depends only on the node and the position (there are no
    // back-references), so skipping a known failure never changes the result.
    std::size_t memoBit(int node, std::size_t pos, bool& usable) const {
        usable = false;
        if (node < 0 || static_cast<std::size_t>(node) >= program_.memoSlot.size()) return 0;
        int slot = program_.memoSlot[node];
        if (slot < 0) return 0;
        std::size_t positions = length_ + 1;
        if (static_cast<std::size_t>(slot) >= kMemoBitLimit / positions) return 0;
        usable = true;
        return static_cast<std::size_t>(slot) * positions + pos;
    }

    bool knownToFail(int node, std::size_t pos) const {
        if (memo_.empty()) return false;
        bool usable;
        std::size_t bit = memoBit(node, pos, usable);
        return usable && (memo_[bit / 64] >> (bit % 64) & 1);
    }

    void rememberFailure(int node, std::size_t pos) {
        bool usable;
        std::size_t bit = memoBit(node, pos, usable);
        if (!usable) return;
        if (memo_.empty()) {
            std::size_t positions = length_ + 1;
            std::size_t slots = std::min<std::size_t>(program_.memoSlots, kMemoBitLimit / positions);
            memo_.assign((slots * positions + 63) / 64, 0);
        }
        memo_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

    // Records the groups of a match. Walking the path from its end, a group takes the first
    // position it meets, so a group inside a repetition reports its last repetition.
    void finish(std::size_t start, std::size_t pos) {
        program_.start[0] = static_cast<std::ptrdiff_t>(start);
        program_.end[0] = static_cast<std::ptrdiff_t>(pos);
        for (auto mark = trail_.rbegin(); mark != trail_.rend(); ++mark) {
            bool open = mark->kind < kClose;
            int group = mark->kind - (open ? kOpen : kClose);
            std::ptrdiff_t& slot = open ? program_.start[group] : program_.end[group];
            if (slot < 0) slot = static_cast<std::ptrdiff_t>(mark->pos);
        }
        int count = 0;
        while (count + 1 < kGroupSlots && program_.start[count + 1] >= 0 && program_.end[count + 1] >= 0) ++count;
        program_.groupCount = count;
    }

    Program& program_;
    const std::vector<std::uint8_t>& code_;
    const char* subject_;
    std::size_t length_;
    std::vector<Frame>& stack_;
    std::vector<Mark>& trail_;
    std::vector<std::uint64_t> memo_;
};

bool search(Program& program, const char* subject);

}  // namespace

bool execute(Program& program, const char* subject) {
    program.clearPositions();
    program.subject = subject;
    program.error = kNoError;
    if (subject == nullptr) {
        program.error = kNullSubject;
        return false;
    }
    if (program.code.empty() || program.code[0] != kMagic) {
        program.error = kCorruptedProgram;
        return false;
    }
    if (!program.mustHave.empty() && std::strstr(subject, program.mustHave.c_str()) == nullptr) return false;

    bool matched = search(program, subject);
    // A long per-byte repetition leaves big scratch stacks behind: do not keep them.
    constexpr std::size_t kKeptScratch = 4096;
    if (program.frames.capacity() > kKeptScratch) std::vector<MatchFrame>().swap(program.frames);
    if (program.marks.capacity() > kKeptScratch) std::vector<MatchMark>().swap(program.marks);
    return matched;
}

namespace {

bool search(Program& program, const char* subject) {
    Matcher matcher(program, subject);
    auto attempt = [&](const char* at) { return matcher.tryAt(static_cast<std::size_t>(at - subject)); };
    if (program.anchored) return attempt(subject) == Matcher::kMatched;
    if (program.firstByte != 0) {
        for (const char* at = std::strchr(subject, static_cast<char>(program.firstByte)); at != nullptr;
             at = std::strchr(at + 1, static_cast<char>(program.firstByte))) {
            Matcher::Result result = attempt(at);
            if (result != Matcher::kNoMatch) return result == Matcher::kMatched;
        }
        return false;
    }
    const char* at = subject;
    for (;;) {
        Matcher::Result result = attempt(at);
        if (result != Matcher::kNoMatch) return result == Matcher::kMatched;
        if (*at == '\0') return false;
        ++at;
    }
}

}  // namespace

}  // namespace regex

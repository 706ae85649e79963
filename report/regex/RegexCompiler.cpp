// Pattern to byte code, in two passes: the first only measures the code, the second writes it.
#include <cstring>

#include "report/regex/RegexProgram.h"

namespace regex {
namespace {

// What the parser knows about the code it just produced.
enum Flags : unsigned {
    kHasWidth = 1,  // always consumes at least one byte
    kSimple = 2,    // exactly one byte: ., a set or a single literal byte
    kSpStart = 4,   // starts with a * or ? piece, so a match can start anywhere
};

constexpr int kNoNode = -1;

bool isRepeat(char c) { return c == '*' || c == '+' || c == '?'; }
bool isMeta(char c) { return std::strchr("^$.[()|?+*\\", c) != nullptr && c != '\0'; }

class Parser {
public:
    // Sizing pass when `code` is null.
    Parser(const char* pattern, std::vector<std::uint8_t>* code) : at_(pattern), code_(code) {}

    int error() const { return error_; }
    long size() const { return size_; }

    // The whole pattern; returns its flags.
    unsigned parse() {
        emitByte(kMagic);
        unsigned flags = 0;
        alternatives(false, flags);
        return flags;
    }

private:
    bool writing() const { return code_ != nullptr; }

    int fail(int code) {
        if (error_ == kNoError) error_ = code;
        return kNoNode;
    }

    int emitNode(std::uint8_t kind) {
        size_ += kNodeHeader;
        if (!writing()) return kNoNode;
        int node = static_cast<int>(code_->size());
        code_->insert(code_->end(), {kind, 0, 0});
        return node;
    }

    void emitByte(std::uint8_t byte) {
        ++size_;
        if (writing()) code_->push_back(byte);
    }

    // Puts a node in front of the operand that starts at `operand`, moving the operand along.
    // Links inside the operand are relative and stay valid; nothing outside points into it yet.
    void insertNode(std::uint8_t kind, int operand) {
        size_ += kNodeHeader;
        if (writing()) code_->insert(code_->begin() + operand, {kind, 0, 0});
    }

    // Points the last node of the chain starting at `chain` to `target`.
    void linkTail(int chain, int target) {
        if (!writing() || chain == kNoNode || target == kNoNode) return;
        std::vector<std::uint8_t>& code = *code_;
        int last = chain;
        for (int n = nextNode(code, last); n >= 0; n = nextNode(code, last)) last = n;
        int offset = code[last] == kBack ? last - target : target - last;
        code[last + 1] = static_cast<std::uint8_t>(offset >> 8);
        code[last + 2] = static_cast<std::uint8_t>(offset & 0xff);
    }

    // The same for the operand chain of a branch node; other nodes are left alone.
    void linkOperandTail(int node, int target) {
        if (!writing() || node == kNoNode || (*code_)[node] != kBranch) return;
        linkTail(node + kNodeHeader, target);
    }

    int nextOf(int node) const { return writing() && node != kNoNode ? nextNode(*code_, node) : kNoNode; }

    // Alternatives separated by |, inside a group (`group`) or at the top level.
    int alternatives(bool group, unsigned& flags) {
        flags = kHasWidth;
        int number = 0;
        int first = kNoNode;
        if (group) {
            if (groups_ >= kGroupSlots - 1) return fail(kTooManyGroups);
            number = ++groups_;
            first = emitNode(static_cast<std::uint8_t>(kOpen + number));
        }
        unsigned branchFlags = 0;
        int branchNode = branch(branchFlags);
        if (error_) return kNoNode;
        if (group) linkTail(first, branchNode);
        else first = branchNode;
        mergeBranchFlags(flags, branchFlags);
        while (*at_ == '|') {
            ++at_;
            branchNode = branch(branchFlags);
            if (error_) return kNoNode;
            linkTail(first, branchNode);
            mergeBranchFlags(flags, branchFlags);
        }
        int ender = emitNode(static_cast<std::uint8_t>(group ? kClose + number : kEnd));
        linkTail(first, ender);
        for (int node = first; node != kNoNode; node = nextOf(node)) linkOperandTail(node, ender);
        if (group) {
            if (*at_ != ')') return fail(kUnterminatedGroup);
            ++at_;
        } else if (*at_ != '\0') {
            // A branch stops only at |, ) or the end, so this is a ) without its group.
            return fail(kUnmatchedParen);
        }
        return first;
    }

    static void mergeBranchFlags(unsigned& flags, unsigned branchFlags) {
        if (!(branchFlags & kHasWidth)) flags &= ~kHasWidth;
        flags |= branchFlags & kSpStart;
    }

    // One alternative: a branch node followed by its pieces.
    int branch(unsigned& flags) {
        flags = 0;
        int node = emitNode(kBranch);
        int chain = kNoNode;
        bool any = false;
        while (*at_ != '\0' && *at_ != '|' && *at_ != ')') {
            unsigned pieceFlags = 0;
            int latest = piece(pieceFlags);
            if (error_) return kNoNode;
            flags |= pieceFlags & kHasWidth;
            if (!any) flags |= pieceFlags & kSpStart;
            else linkTail(chain, latest);
            chain = latest;
            any = true;
        }
        if (!any) emitNode(kNothing);  // an empty alternative matches the empty string
        return node;
    }

    // An atom with an optional *, + or ?.
    int piece(unsigned& flags) {
        unsigned atomFlags = 0;
        int atomNode = atom(atomFlags);
        if (error_) return kNoNode;
        char op = *at_;
        if (!isRepeat(op)) {
            flags = atomFlags;
            return atomNode;
        }
        if (!(atomFlags & kHasWidth) && op != '?') return fail(kEmptyOperand);
        flags = op == '+' ? kHasWidth : kSpStart;
        if (op == '*' && (atomFlags & kSimple)) {
            insertNode(kStar, atomNode);
        } else if (op == '+' && (atomFlags & kSimple)) {
            insertNode(kPlus, atomNode);
        } else if (op == '*') {
            // x* as (x back-to-start | nothing)
            insertNode(kBranch, atomNode);
            linkOperandTail(atomNode, emitNode(kBack));
            linkOperandTail(atomNode, atomNode);
            linkTail(atomNode, emitNode(kBranch));
            linkTail(atomNode, emitNode(kNothing));
        } else if (op == '+') {
            // x+ as x (back-to-x | nothing)
            int loop = emitNode(kBranch);
            linkTail(atomNode, loop);
            linkTail(emitNode(kBack), atomNode);
            linkTail(loop, emitNode(kBranch));
            linkTail(atomNode, emitNode(kNothing));
        } else {
            // x? as (x | nothing)
            insertNode(kBranch, atomNode);
            linkTail(atomNode, emitNode(kBranch));
            int nothing = emitNode(kNothing);
            linkTail(atomNode, nothing);
            linkOperandTail(atomNode, nothing);
        }
        ++at_;
        if (isRepeat(*at_)) return fail(kNestedRepeat);
        return atomNode;
    }

    int atom(unsigned& flags) {
        flags = 0;
        char c = *at_;
        switch (c) {
        case '^':
            ++at_;
            return emitNode(kBol);
        case '$':
            ++at_;
            return emitNode(kEol);
        case '.':
            ++at_;
            flags = kHasWidth | kSimple;
            return emitNode(kAny);
        case '[':
            ++at_;
            return set(flags);
        case '(': {
            ++at_;
            unsigned groupFlags = 0;
            int node = alternatives(true, groupFlags);
            flags = groupFlags & (kHasWidth | kSpStart);
            return node;
        }
        case '\0':
        case '|':
        case ')':
            return fail(kInternalUnexpected);  // the branch loop stops before these
        case '?':
        case '+':
        case '*':
            return fail(kNothingToRepeat);
        case '\\':
            if (at_[1] == '\0') return fail(kTrailingBackslash);
            if (at_[1] == '<') {
                at_ += 2;
                return emitNode(kWordStart);
            }
            if (at_[1] == '>') {
                at_ += 2;
                return emitNode(kWordEnd);
            }
            return literalRun(flags);
        default:
            return literalRun(flags);
        }
    }

    // [...] or [^...]; no escapes inside.
    int set(unsigned& flags) {
        int node;
        if (*at_ == '^') {
            ++at_;
            node = emitNode(kAnyBut);
        } else {
            node = emitNode(kAnyOf);
        }
        if (*at_ == ']' || *at_ == '-') emitByte(static_cast<std::uint8_t>(*at_++));
        while (*at_ != '\0' && *at_ != ']') {
            if (*at_ != '-') {
                emitByte(static_cast<std::uint8_t>(*at_++));
                continue;
            }
            ++at_;
            if (*at_ == ']' || *at_ == '\0') {
                emitByte('-');  // a - before ] is literal
                continue;
            }
            // The range's first byte is already in the set; bytes compare as signed values.
            int from = static_cast<signed char>(at_[-2]) + 1;
            int to = static_cast<signed char>(*at_);
            if (from > to + 1) return fail(kBadRange);
            for (int byte = from; byte <= to; ++byte) {
                // The subject's end can never be in a set, and would cut the operand short.
                if (byte != 0) emitByte(static_cast<std::uint8_t>(byte));
            }
            ++at_;
        }
        emitByte(0);
        if (*at_ != ']') return fail(kUnmatchedBracket);
        ++at_;
        flags = kHasWidth | kSimple;
        return node;
    }

    // A run of literal bytes (plain or escaped). When a repetition follows a run of several
    // bytes, the run stops before its last byte so that the repetition applies to that byte only.
    int literalRun(unsigned& flags) {
        std::string bytes;
        const char* lastStart = at_;
        const char* p = at_;
        for (;;) {
            const char* here = p;
            char byte;
            if (*p == '\\') {
                if (p[1] == '\0' || p[1] == '<' || p[1] == '>') break;
                byte = p[1];
                p += 2;
            } else if (*p == '\0' || isMeta(*p)) {
                break;
            } else {
                byte = *p++;
            }
            lastStart = here;
            bytes.push_back(byte);
        }
        if (bytes.size() > 1 && isRepeat(*p)) {
            bytes.pop_back();
            p = lastStart;
        }
        at_ = p;
        int node = emitNode(kExactly);
        for (char byte : bytes) emitByte(static_cast<std::uint8_t>(byte));
        emitByte(0);
        flags = kHasWidth | (bytes.size() == 1 ? kSimple : 0u);
        return node;
    }

    const char* at_;
    std::vector<std::uint8_t>* code_;
    long size_ = 0;
    int groups_ = 0;
    int error_ = kNoError;
};

void computeHints(Program& program, unsigned flags) {
    const std::vector<std::uint8_t>& code = program.code;
    const int top = 1;
    int afterTop = nextNode(code, top);
    if (afterTop >= 0 && code[afterTop] == kEnd) {
        // One top-level alternative: its first node tells where a match can start.
        int first = top + kNodeHeader;
        if (code[first] == kExactly) program.firstByte = code[first + kNodeHeader];
        else if (code[first] == kBol) program.anchored = true;
        // A match may start anywhere: demand the longest literal of the top-level sequence.
        if (flags & kSpStart) {
            const char* longest = nullptr;
            std::size_t longestLength = 0;
            for (int node = first; node >= 0; node = nextNode(code, node)) {
                if (code[node] != kExactly) continue;
                const char* text = reinterpret_cast<const char*>(&code[node + kNodeHeader]);
                std::size_t length = std::strlen(text);
                if (length >= longestLength) {
                    longest = text;
                    longestLength = length;
                }
            }
            if (longest) program.mustHave.assign(longest, longestLength);
        }
    }

    // Memo slots for the nodes where the matcher makes choices.
    program.memoSlot.assign(code.size(), -1);
    int node = 1;
    while (node < static_cast<int>(code.size())) {
        std::uint8_t kind = code[node];
        if (kind == kBranch || kind == kStar || kind == kPlus)
            program.memoSlot[node] = static_cast<std::int16_t>(program.memoSlots++);
        node += kNodeHeader;
        if (kind == kAnyOf || kind == kAnyBut || kind == kExactly)
            node += static_cast<int>(std::strlen(reinterpret_cast<const char*>(&code[node]))) + 1;
    }
}

}  // namespace

Program compile(const char* pattern) {
    Program program;
    if (pattern == nullptr) {
        program.error = kNullPattern;
        return program;
    }
    Parser sizing(pattern, nullptr);
    sizing.parse();
    if (sizing.error()) {
        program.error = sizing.error();
        return program;
    }
    if (sizing.size() >= kMaxProgramSize) {
        program.error = kTooBig;
        return program;
    }
    std::vector<std::uint8_t> code;
    code.reserve(static_cast<std::size_t>(sizing.size()));
    Parser writer(pattern, &code);
    unsigned flags = writer.parse();
    if (writer.error()) {  // both passes see the same pattern, so this cannot happen
        program.error = writer.error();
        return program;
    }
    program.code = std::move(code);
    computeHints(program, flags);
    return program;
}

}  // namespace regex

// The compiled form of a pattern: byte code, speed hints and the positions of the last match.
// Shared by the compiler, the matcher and CRegex; tests use it to feed the matcher damaged code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace regex {

// The first byte of every valid program.
constexpr std::uint8_t kMagic = 156;
// Programs of this size or more are refused, so that every node offset fits in 15 bits.
constexpr long kMaxProgramSize = 32767;
// Group 0 is the whole match; groups 1 to 9 are numbered by their opening parenthesis.
constexpr int kGroupSlots = 10;

// Node kinds. A node is its kind byte, a 16-bit offset to the next node (0: none) and an operand.
enum NodeKind : std::uint8_t {
    kEnd = 0,        // end of the program: success
    kBol = 1,        // start of the subject
    kEol = 2,        // end of the subject
    kAny = 3,        // any byte
    kAnyOf = 4,      // a byte of the operand string
    kAnyBut = 5,     // a byte not in the operand string
    kBranch = 6,     // try the operand, then the next branch of the chain
    kBack = 7,       // like kNothing, but its offset points backwards
    kExactly = 8,    // the operand string
    kNothing = 9,    // matches the empty string
    kStar = 10,      // the following one-byte node, as often as possible, then fewer
    kPlus = 11,      // the same, at least once
    kWordStart = 12, // start of a word
    kWordEnd = 13,   // end of a word
    kOpen = 20,      // kOpen + n opens group n (1..9)
    kClose = 30,     // kClose + n closes group n (1..9)
};

constexpr int kNodeHeader = 3;

// Error codes; errorText() gives their texts.
enum ErrorCode : int {
    kNoError = 0,
    kNullSubject = 1,
    kCorruptedProgram = 2,
    kBadNodeKind = 3,
    kMissingNode = 4,
    kBadRepeat = 5,
    kNullPattern = 10,
    kTooBig = 11,
    kTooManyGroups = 12,
    kUnterminatedGroup = 13,
    kUnmatchedParen = 14,
    kEmptyOperand = 16,
    kNestedRepeat = 17,
    kBadRange = 18,
    kUnmatchedBracket = 19,
    kInternalUnexpected = 20,
    kNothingToRepeat = 21,
    kTrailingBackslash = 22,
    kNoProgram = 24,
};

const char* errorText(int code);

// The matcher's working stack: its choice points and the group marks on the current path.
struct MatchFrame {
    std::uint8_t kind;
    int node;
    std::size_t pos;
    std::size_t count;
    std::size_t trail;
};
struct MatchMark {
    std::uint8_t kind;  // an open or close node kind
    std::size_t pos;
};

struct Program {
    std::vector<std::uint8_t> code;  // empty when compiling failed

    // Speed hints; none of them changes what a match finds.
    std::uint8_t firstByte = 0;  // every match starts with this byte (0: unknown)
    bool anchored = false;       // every match starts at the start of the subject
    std::string mustHave;        // every match contains this text ("" : none)

    // Failure memo: the branch and repeat nodes get a slot each, so that the matcher can remember
    // (node, position) pairs from which the rest of the program is known to fail.
    std::vector<std::int16_t> memoSlot;  // per code offset: slot number or -1
    int memoSlots = 0;

    // The last match.
    const char* subject = nullptr;
    std::ptrdiff_t start[kGroupSlots];
    std::ptrdiff_t end[kGroupSlots];
    int groupCount = -1;  // groups 1, 2, ... set by the last match; -1 after a failed one

    int error = kNoError;  // the compiler's error, or the last match's

    // Kept between matches only to spare the allocations (a template is matched once per row).
    std::vector<MatchFrame> frames;
    std::vector<MatchMark> marks;

    Program() { clearPositions(); }
    void clearPositions() {
        for (int i = 0; i < kGroupSlots; ++i) start[i] = end[i] = -1;
        groupCount = -1;
    }
};

// Offset of the node after `node`, or -1 when it has none. Back nodes point backwards.
inline int nextNode(const std::vector<std::uint8_t>& code, int node) {
    int offset = (code[node + 1] << 8) | code[node + 2];
    if (offset == 0) return -1;
    return code[node] == kBack ? node - offset : node + offset;
}

// Compiles `pattern` (null gives the error "NULL argument to regcomp").
Program compile(const char* pattern);
// Searches `subject`, recording the group positions in `program`. False on no match or error.
bool execute(Program& program, const char* subject);

}  // namespace regex

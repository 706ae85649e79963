#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/regex/Regex.h"
#include "report/regex/RegexProgram.h"

namespace {

// Where the whole match starts in `subject`, or -1 (through the program, which knows offsets).
std::ptrdiff_t matchStart(const std::string& pattern, const std::string& subject) {
    regex::Program program = regex::compile(pattern.c_str());
    if (!regex::execute(program, subject.c_str())) return -1;
    return program.start[0];
}

TEST(Regex, GreedyFirstGroupTakesTheLastOccurrence) {
    CRegex re("(.*)#x(.*)");
    ASSERT_TRUE(re.match("a#xb#xc"));
    EXPECT_EQ(re.subCount(), 2);
    EXPECT_EQ(re.substring(0), "a#xb#xc");
    EXPECT_EQ(re.substring(1), "a#xb");
    EXPECT_EQ(re.substring(2), "c");
    EXPECT_EQ(re.subLength(1), 4);
    EXPECT_EQ(re.subLength(2), 1);
    EXPECT_EQ(re.errorText(), "");
}

TEST(Regex, TagAtTheVeryStartAndEnd) {
    CRegex re("(.*)#x(.*)");
    ASSERT_TRUE(re.match("#x"));
    EXPECT_EQ(re.subCount(), 2);
    EXPECT_EQ(re.substring(1), "");
    EXPECT_EQ(re.substring(2), "");
    EXPECT_FALSE(re.match("no tag here"));
    EXPECT_EQ(re.subCount(), -1);
    EXPECT_EQ(re.substring(1), "");
}

struct CompileErrorCase {
    std::string pattern;
    const char* error;
};

TEST(Regex, RejectedPatternsCarryTheirErrorText) {
    const std::vector<CompileErrorCase> cases = {
        {"(a*)*", "*+ operand could be empty"},
        {"(a|)+", "*+ operand could be empty"},
        {"^*", "*+ operand could be empty"},
        {"\\<+", "*+ operand could be empty"},
        {"a**", "nested *?+"},
        {"a?+", "nested *?+"},
        {"(ab)+*", "nested *?+"},
        {"[b-a]", "invalid [] range"},
        {"[a-\xe9]", "invalid [] range"},  // bytes compare as signed values
        {"(a", "unterminated ()"},
        {"((a)", "unterminated ()"},
        {"a)", "unmatched ()"},
        {")", "unmatched ()"},
        {"*a", "?+* follows nothing"},
        {"(+a)", "?+* follows nothing"},
        {"a|?b", "?+* follows nothing"},
        {"ab\\", "trailing \\"},
        {"[abc", "unmatched []"},
        {"[]", "unmatched []"},
        {"(a)(a)(a)(a)(a)(a)(a)(a)(a)(a)", "too many ()"},
    };
    for (const auto& c : cases) {
        CRegex re(c.pattern);
        EXPECT_FALSE(re.isCompiled()) << c.pattern;
        EXPECT_EQ(re.errorText(), c.error) << c.pattern;
        EXPECT_FALSE(re.match("aaa(ab)]-")) << c.pattern;
        EXPECT_EQ(re.errorText(), c.error) << "kept after matching: " << c.pattern;
        EXPECT_EQ(re.subCount(), -1) << c.pattern;
    }
    CRegex nine("(a)(a)(a)(a)(a)(a)(a)(a)(a)");
    EXPECT_TRUE(nine.isCompiled());
    ASSERT_TRUE(nine.match("aaaaaaaaa"));
    EXPECT_EQ(nine.subCount(), 9);

    CRegex none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.errorText(), "NULL argument to regcomp");
}

TEST(Regex, SizeLimit) {
    // Marker, branch, literal node with its bytes and NUL, end: a literal of n bytes needs n + 11.
    EXPECT_TRUE(CRegex(std::string(32755, 'a')).isCompiled());
    CRegex tooBig(std::string(32756, 'a'));
    EXPECT_FALSE(tooBig.isCompiled());
    EXPECT_EQ(tooBig.errorText(), "regexp too big");
    // Ranges count every byte they add.
    std::string sets;
    while (sets.size() < 5 * 340) sets += "[ -~]";  // 95 bytes, a NUL and a node: 99 each
    EXPECT_EQ(CRegex(sets).errorText(), "regexp too big");
}

struct MatchCase {
    const char* pattern;
    std::string subject;
    std::ptrdiff_t start;    // -1: no match
    const char* whole;       // group 0
};

TEST(Regex, SyntaxAndSemantics) {
    const std::vector<MatchCase> cases = {
        {"ab*", "xabbbc", 1, "abbb"},          // * repeats only the b
        {"ab*", "xac", 1, "a"},
        {"abc+", "ababcc", 2, "abcc"},
        {"abc?d", "abd", 0, "abd"},
        {"a{2}", "aa a{2}", 3, "a{2}"},        // braces are literal
        {"a.b", "a\nb", 0, "a\nb"},            // . matches a newline
        {"a$", "a\nb", -1, ""},                // $ only at the very end
        {"a$", "ba", 1, "a"},
        {"^b", "a\nb", -1, ""},
        {"a^b", "a^b", -1, ""},                // ^ is an anchor wherever it stands
        {"a|ab", "ab", 0, "a"},                // alternatives left to right, not longest
        {"x(|a)y", "xy", 0, "xy"},             // an empty alternative
        {"[]a]+", "b]a]", 1, "]a]"},
        {"[^]a]+", "]abc]", 2, "bc"},
        {"[a-]+", "x-a-", 1, "-a-"},
        {"[-a]+", "x-a-", 1, "-a-"},
        {"[a-c-e]+", "x-bde", 2, "bde"},
        {"[\xe0-\xe9]", "a\xe5", 1, "\xe5"},
        {"[a-c]*d", "abcbd", 0, "abcbd"},
        {"\\<ab", "cab ab", 4, "ab"},
        {"ab\\>", "abc ab", 4, "ab"},
        {"\\<ab\\>", "ab", 0, "ab"},
        {"a\\.b", "axb a.b", 4, "a.b"},
        {"\\(a\\)", "(a)", 0, "(a)"},
        {"a\\*", "aa*", 1, "a*"},
        {"(ab)+c", "abababc", 0, "abababc"},
        {"(a|b)*c", "xababc", 1, "ababc"},
        {"x*", "aaa", 0, ""},
        {"", "abc", 0, ""},
        {"$", "abc", 3, ""},
    };
    for (const auto& c : cases) {
        CRegex re(c.pattern);
        ASSERT_TRUE(re.isCompiled()) << c.pattern << ": " << re.errorText();
        EXPECT_EQ(re.match(c.subject), c.start >= 0) << c.pattern << " on " << c.subject;
        EXPECT_EQ(matchStart(c.pattern, c.subject), c.start) << c.pattern << " on " << c.subject;
        if (c.start >= 0) {
            EXPECT_EQ(re.substring(0), c.whole) << c.pattern;
        }
    }
}

TEST(Regex, GroupsReportTheirLastRepetitionAndCountUpToTheFirstUnset) {
    CRegex loop("(a|b)*c");
    ASSERT_TRUE(loop.match("abc"));
    EXPECT_EQ(loop.substring(1), "b");

    CRegex plus("(ab)+");
    ASSERT_TRUE(plus.match("ababx"));
    EXPECT_EQ(plus.substring(0), "abab");
    EXPECT_EQ(plus.substring(1), "ab");
    EXPECT_EQ(plus.subLength(1), 2);

    CRegex unsetFirst("(a)?(b)");
    ASSERT_TRUE(unsetFirst.match("b"));
    EXPECT_EQ(unsetFirst.subCount(), 0);
    EXPECT_EQ(unsetFirst.substring(1), "");
    EXPECT_EQ(unsetFirst.substring(2), "b");

    CRegex unsetSecond("(a)(b)?c");
    ASSERT_TRUE(unsetSecond.match("ac"));
    EXPECT_EQ(unsetSecond.subCount(), 1);

    CRegex other("(a)|b");
    ASSERT_TRUE(other.match("b"));
    EXPECT_EQ(other.subCount(), 0);

    // Group numbers above 9 read group 9; negative ones nothing.
    CRegex nine("(a)(b)(c)(d)(e)(f)(g)(h)(i)");
    ASSERT_TRUE(nine.match("abcdefghi"));
    EXPECT_EQ(nine.substring(9), "i");
    EXPECT_EQ(nine.substring(12), "i");
    EXPECT_EQ(nine.subLength(-1), 0);
    EXPECT_EQ(nine.substring(-1), "");
}

TEST(Regex, WithoutPatternOrSubject) {
    CRegex none;
    EXPECT_FALSE(none.match("abc"));
    EXPECT_EQ(none.errorText(), "NULL regexp");
    EXPECT_EQ(none.subCount(), -1);
    EXPECT_EQ(none.substring(0), "");

    CRegex re("a");
    EXPECT_FALSE(re.match(static_cast<const char*>(nullptr)));
    EXPECT_EQ(re.errorText(), "NULL argument to regexec");
    EXPECT_TRUE(re.match("a"));
    EXPECT_EQ(re.errorText(), "") << "a match clears the error";
}

TEST(Regex, CopiesShareThePatternButNotTheirMatches) {
    CRegex first("(b+)");
    ASSERT_TRUE(first.match("abbc"));
    CRegex second = first;
    EXPECT_EQ(second.substring(1), "bb") << "a copy sees the shared positions";
    ASSERT_TRUE(second.match("xbz"));
    EXPECT_EQ(second.substring(1), "b");
    EXPECT_EQ(first.substring(1), "bb") << "matching a copy leaves the original alone";

    CRegex third;
    third = second;
    EXPECT_FALSE(third.match("xyz"));
    EXPECT_EQ(second.substring(1), "b");
    EXPECT_EQ(third.subCount(), -1);

    CRegex moved = std::move(first);
    EXPECT_EQ(moved.substring(1), "bb");
}

TEST(Regex, DamagedCodeIsReportedNotFollowed) {
    struct Case {
        std::vector<std::uint8_t> code;
        const char* error;
    };
    using namespace regex;
    const std::vector<Case> cases = {
        {{}, "corrupted regexp"},
        {{1, kEnd, 0, 0}, "corrupted regexp"},
        {{kMagic, 99, 0, 0}, "regexp corruption"},
        {{kMagic, kOpen, 0, 3, kEnd, 0, 0}, "regexp corruption"},  // there is no open node for group 0
        {{kMagic, kNothing, 0, 0}, "corrupted pointers"},
        {{kMagic, kNothing, 0, 40}, "corrupted pointers"},
        {{kMagic, kStar, 0, 6, kBol, 0, 0, kEnd, 0, 0}, "internal error: bad call of regrepeat"},
    };
    for (const auto& c : cases) {
        Program program;
        program.code = c.code;
        EXPECT_FALSE(execute(program, "abc"));
        EXPECT_STREQ(errorText(program.error), c.error);
        EXPECT_EQ(program.groupCount, -1);
    }
    EXPECT_STREQ(errorText(0), "");
    EXPECT_STREQ(errorText(25), "Unknown error");
    EXPECT_STREQ(errorText(-3), "Unknown error");
    EXPECT_EQ(CRegex::textOfError(15), "internal error: junk on end");
}

TEST(Regex, LongSubjectsNeedNoDeepStack) {
    // A template of several megabytes with tags near both ends.
    std::string text = "#x" + std::string(8 << 20, 'a') + "#x" + std::string(1000, '\n') + "end";
    CRegex tag("(.*)#x(.*)");
    ASSERT_TRUE(tag.match(text));
    EXPECT_EQ(tag.subLength(1), 2 + (8 << 20));
    EXPECT_EQ(tag.substring(2), std::string(1000, '\n') + "end");

    // A group repeated once per byte.
    std::string as(1 << 18, 'a');
    CRegex perByte("(a)*$");
    ASSERT_TRUE(perByte.match(as));
    EXPECT_EQ(perByte.subLength(0), 1 << 18);
    EXPECT_EQ(perByte.substring(1), "a");
    CRegex alternatives("(b|a)+c");
    EXPECT_FALSE(alternatives.match(as));
}

TEST(Regex, AmbiguousRepetitionsStillEnd) {
    // Without remembering failed positions these take exponential time.
    std::string as(64, 'a');
    EXPECT_FALSE(CRegex("(a|aa)*c").match(as));
    EXPECT_FALSE(CRegex("(a|a)*(a|a)*(a|a)*b").match(as));
    CRegex found("(a|aa)*(ac)");
    std::string subject = as + "c";
    ASSERT_TRUE(found.match(subject));
    EXPECT_EQ(found.subLength(0), 65);
    EXPECT_EQ(found.substring(2), "ac");
}

}  // namespace
